#pragma once

#include "secrets/SecretStore.h"

#include <QString>

#include <optional>

namespace tabulex {

// The remembered password of the remembered login (the settings' Server, Database and User):
// in the secret store where one is running, else in the settings file as the key Password.
// A password the settings file still holds moves into the store at the first read that has
// one, and leaves the file.
class StoredPassword {
public:
    explicit StoredPassword(SecretStore& store) : m_store(store) {}

    QString read();
    // Keeps the password (empty: none) for the login the settings now hold.
    void write(const QString& password);
    // The settings' login changed: the kept password goes with it.
    void loginChanged();

private:
    bool keep(const SecretLogin& login, const QString& password);

    SecretStore& m_store;
    // What the store holds for which login, once known.
    std::optional<QString> m_kept;
    SecretLogin m_keptLogin;
};

} // namespace tabulex
