// libsecret's headers come before Qt's: GLib names a struct member "signals", which Qt
// defines as a keyword.
#include <libsecret/secret.h>

#include "secrets/SecretStore.h"

#include <QByteArray>
#include <QFileInfo>

namespace tabulex {

namespace {

constexpr int kBusTimeoutMs = 3000;

const SecretSchema* schema()
{
    static const SecretSchema s = {"org.quorvane.Tabulex",
                                   SECRET_SCHEMA_NONE,
                                   {
                                       {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"database", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                   },
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr};
    return &s;
}

// A session bus that GLib would reach without starting one: DBUS_SESSION_BUS_ADDRESS, or
// the user's bus socket. (With neither, GLib would try to launch a bus on the X display.)
bool sessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

// True when a process owns org.freedesktop.secrets on the session bus now; the service is
// not started by the question.
bool secretServiceRunning()
{
    if (!sessionBusConfigured())
        return false;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", "org.freedesktop.secrets"), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kBusTimeoutMs, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

class DesktopSecretStore final : public SecretStore {
public:
    bool available() override
    {
        if (!m_available)
            m_available = secretServiceRunning();
        return *m_available;
    }

    std::optional<QString> lookup(const SecretLogin& login) override
    {
        if (!available())
            return std::nullopt;
        const QByteArray server = login.server.toUtf8(), database = login.database.toUtf8(),
                         user = login.user.toUtf8();
        GError* error = nullptr;
        gchar* password = secret_password_lookup_sync(
            schema(), nullptr, &error, "server", server.constData(), "database",
            database.constData(), "user", user.constData(), nullptr);
        g_clear_error(&error);
        if (!password)
            return std::nullopt;
        QString text = QString::fromUtf8(password);
        secret_password_free(password);
        return text;
    }

    bool store(const SecretLogin& login, const QString& password) override
    {
        if (!available() || !clear())
            return false;
        const QByteArray server = login.server.toUtf8(), database = login.database.toUtf8(),
                         user = login.user.toUtf8(), secret = password.toUtf8();
        const QByteArray label =
            QStringLiteral("Tabulex: %1 on %2, database %3")
                .arg(login.user.isEmpty() ? QStringLiteral("(no user)") : login.user,
                     login.server.isEmpty() ? QStringLiteral("(no server)") : login.server,
                     login.database.isEmpty() ? QStringLiteral("(none)") : login.database)
                .toUtf8();
        GError* error = nullptr;
        const gboolean stored = secret_password_store_sync(
            schema(), SECRET_COLLECTION_DEFAULT, label.constData(), secret.constData(), nullptr,
            &error, "server", server.constData(), "database", database.constData(), "user",
            user.constData(), nullptr);
        g_clear_error(&error);
        return stored;
    }

    bool clear() override
    {
        if (!available())
            return false;
        GError* error = nullptr;
        // No attributes: every item of the schema.
        secret_password_clear_sync(schema(), nullptr, &error, nullptr);
        const bool failed = error != nullptr;
        g_clear_error(&error);
        return !failed;
    }

private:
    std::optional<bool> m_available;
};

} // namespace

SecretStore& desktopSecretStore()
{
    static DesktopSecretStore store;
    return store;
}

} // namespace tabulex
