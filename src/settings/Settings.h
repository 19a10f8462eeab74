#pragma once

#include "settings/SettingsKeys.h"

#include <QString>

namespace tabulex {

// The per-user settings store: an INI file under $XDG_CONFIG_HOME (default ~/.config),
// application name Quorvane, section Tabulex. Nothing is cached: every read goes to the
// file, every write is flushed at once. The file holds the password, so it is kept
// readable and writable by its owner only.
class Settings {
public:
    // Reads a key; its default (SettingsKeys.h) while the store does not hold it.
    static QString read(const SettingKey& key);
    static void write(const SettingKey& key, const QString& value);
    // True when the store holds the key; remove takes it out.
    static bool contains(const SettingKey& key);
    static void remove(const SettingKey& key);
    // The file behind the store.
    static QString filePath();
};

} // namespace tabulex
