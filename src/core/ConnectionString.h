#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tabulex {

// One "Key=value" of a connection string, as written: the value without its braces.
struct ConnectionKey {
    QString name;
    QString value;
    bool braced = false; // written as {value}
};

// The keys of a connection string in the order written. Read once where the string enters
// the data access layer; the drivers take their settings from here.
class ConnectionKeys {
public:
    ConnectionKeys() = default;
    explicit ConnectionKeys(std::vector<ConnectionKey> keys) : m_keys(std::move(keys)) {}

    // The value of the first key of that name, without regard to case; nullopt when absent.
    std::optional<QString> value(QStringView name) const;
    bool contains(QStringView name) const { return value(name).has_value(); }

    const std::vector<ConnectionKey>& keys() const { return m_keys; }
    void append(ConnectionKey key) { m_keys.push_back(std::move(key)); }

private:
    std::vector<ConnectionKey> m_keys;
};

// Reads "Key=value;Key={value};": a braced value may hold semicolons and braces, "}}" in it
// standing for "}"; it ends at a single "}" followed by ";" or the end. (A single "}"
// elsewhere is kept, as FreeTDS keeps it.)
ConnectionKeys parseConnectionString(const QString& connectionString);

// A value as a connection string holds it: in braces, with "}" doubled, when it contains ";",
// "{" or "}" or begins or ends with a blank; else as it is. parseConnectionString reads it
// back to the same text.
QString quotedConnectionValue(const QString& value);

} // namespace tabulex
