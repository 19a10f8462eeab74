#include "settings/StoredPassword.h"

#include "settings/Settings.h"

namespace tabulex {

namespace {

SecretLogin storedLogin()
{
    return {Settings::read(keys::Server), Settings::read(keys::Database),
            Settings::read(keys::User)};
}

} // namespace

bool StoredPassword::keep(const SecretLogin& login, const QString& password)
{
    const bool kept = password.isEmpty() ? m_store.clear() : m_store.store(login, password);
    if (!kept)
        return false;
    Settings::remove(keys::Password);
    m_kept = password;
    m_keptLogin = login;
    return true;
}

QString StoredPassword::read()
{
    if (!m_store.available())
        return Settings::read(keys::Password);
    const SecretLogin login = storedLogin();
    // A password in the file was written where no store ran, so it is the newest.
    if (Settings::contains(keys::Password)) {
        const QString inFile = Settings::read(keys::Password);
        keep(login, inFile);
        return inFile;
    }
    m_kept = m_store.lookup(login).value_or(QString());
    m_keptLogin = login;
    return *m_kept;
}

void StoredPassword::write(const QString& password)
{
    if (!m_store.available()) {
        Settings::write(keys::Password, password);
        return;
    }
    const SecretLogin login = storedLogin();
    if (m_kept == password && m_keptLogin == login)
        return;
    // A store that fails keeps the password in the file, as without one.
    if (!keep(login, password))
        Settings::write(keys::Password, password);
}

void StoredPassword::loginChanged()
{
    if (!m_kept || m_kept->isEmpty() || !m_store.available())
        return;
    const SecretLogin login = storedLogin();
    if (login != m_keptLogin && !keep(login, *m_kept))
        Settings::write(keys::Password, *m_kept);
}

} // namespace tabulex
