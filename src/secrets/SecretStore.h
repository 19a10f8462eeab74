#pragma once

#include <QString>

#include <optional>

namespace tabulex {

// The login a kept password belongs to; the secret store shows it beside the password.
struct SecretLogin {
    QString server;
    QString database;
    QString user;
    friend bool operator==(const SecretLogin&, const SecretLogin&) = default;
};

// Where passwords are kept apart from the settings file. The program keeps one password: the
// one of the remembered login.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    // True when a store is running and may be asked; asking never starts one.
    virtual bool available() = 0;
    // The password kept for the login; nothing when none is kept or the store failed.
    virtual std::optional<QString> lookup(const SecretLogin& login) = 0;
    // Keeps the password for the login in place of any other the program kept; false when the
    // store did not take it.
    virtual bool store(const SecretLogin& login, const QString& password) = 0;
    // Removes every password the program kept; false when the store failed.
    virtual bool clear() = 0;
};

// The desktop's Secret Service (org.freedesktop.secrets) through libsecret, under the schema
// "org.quorvane.Tabulex" with the attributes server, database and user. Without a session
// bus, or without a service that owns the name, it is not available and nothing waits.
SecretStore& desktopSecretStore();

} // namespace tabulex
