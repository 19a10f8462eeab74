#pragma once

#include <QString>

// The keys of the settings store.
namespace tabulex::keys {

inline const QString ParadoxFolder = QStringLiteral("ParadoxFolder");
inline const QString Server = QStringLiteral("Server");
inline const QString User = QStringLiteral("User");
inline const QString Password = QStringLiteral("Password");
inline const QString Database = QStringLiteral("Database");
inline const QString Port = QStringLiteral("Port");
inline const QString LocalConnection = QStringLiteral("Local Connection");
inline const QString WithDataTypeChange1 = QStringLiteral("With Data Type Change 1");
inline const QString WithDataTypeChange2 = QStringLiteral("With Data Type Change 2");
inline const QString LastFolderDot = QStringLiteral("LastFolderDot");

inline const QString kDefaultPort = QStringLiteral("1433");

} // namespace tabulex::keys
