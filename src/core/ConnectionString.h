#pragma once

#include <QString>

#include <map>

namespace tabulex {

// The keys and values of a connection string "Key=value;Key={value};", keys upper-cased.
// Used only to pick a driver; each driver reads the string itself.
std::map<QString, QString> parseConnectionString(const QString& connectionString);

} // namespace tabulex
