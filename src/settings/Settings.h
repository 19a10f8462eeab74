#pragma once

#include <QString>

namespace tabulex {

// The per-user settings store: an INI file under $XDG_CONFIG_HOME (default ~/.config),
// application name Quorvane, section Tabulex. Nothing is cached: every read goes to the
// file, every write is flushed at once. The file holds the password, so it is kept
// readable and writable by its owner only.
class Settings {
public:
    // Reads a key; the default when the key does not exist.
    static QString read(const QString& key, const QString& defaultValue = {});
    static void write(const QString& key, const QString& value);
    // The file behind the store.
    static QString filePath();
};

} // namespace tabulex
