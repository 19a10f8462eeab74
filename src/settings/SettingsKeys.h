#pragma once

#include <QString>

namespace tabulex {

// A key of the settings store: the text it is stored under and what reading it gives while
// the store does not hold it.
struct SettingKey {
    QString text;
    QString defaultValue;
};

// The keys of the settings store, each with its default.
namespace keys {

inline const SettingKey ParadoxFolder{QStringLiteral("ParadoxFolder"), {}};
inline const SettingKey Server{QStringLiteral("Server"), {}};
inline const SettingKey User{QStringLiteral("User"), {}};
inline const SettingKey Password{QStringLiteral("Password"), {}};
inline const SettingKey Database{QStringLiteral("Database"), {}};
inline const SettingKey Port{QStringLiteral("Port"), QStringLiteral("1433")};
inline const SettingKey LocalConnection{QStringLiteral("Local Connection"), QStringLiteral("0")};
// The table window's "Send with data type customization" box of each direction.
inline const SettingKey CustomizeToParadox{QStringLiteral("With Data Type Change 1"),
                                           QStringLiteral("0")};
inline const SettingKey CustomizeToSqlServer{QStringLiteral("With Data Type Change 2"),
                                             QStringLiteral("0")};
// The table window's "Keep keys, autoincrement and field types" box: the faithful mapping.
inline const SettingKey FaithfulMapping{QStringLiteral("Faithful Mapping"), QStringLiteral("0")};
// Where each window was last: "x,y,width,height" of its frame's corner and its inside.
inline const SettingKey ConnectionWindowPlace{QStringLiteral("Connection Window Place"), {}};
inline const SettingKey TableWindowPlace{QStringLiteral("Table Window Place"), {}};
// The folder picker's start folder; read, never written.
inline const SettingKey LastFolderDot{QStringLiteral("LastFolderDot"), {}};

} // namespace keys

} // namespace tabulex
