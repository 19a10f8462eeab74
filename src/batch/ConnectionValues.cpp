#include "batch/ConnectionValues.h"

#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "settings/StoredPassword.h"

#include <QFile>

namespace tabulex::batch {

namespace {

// The first line, without its line end.
QString firstLine(QFile& file)
{
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

QString readPassword(const QString& path, FILE* input)
{
    QFile file;
    const bool opened = path == QLatin1String("-")
                            ? file.open(input, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)
                            : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        throw UsageError(
            QStringLiteral("cannot read the password file %1: %2").arg(path, file.errorString()));
    return firstLine(file);
}

} // namespace

ConnectionFields connectionFields(const BatchOptions& o, FILE* input)
{
    ConnectionFields f;
    f.paradoxFolder = o.folder.value_or(Settings::read(keys::ParadoxFolder));
    f.server = o.server.value_or(Settings::read(keys::Server));
    f.user = o.user.value_or(Settings::read(keys::User));
    f.database = o.database.value_or(Settings::read(keys::Database));
    f.port = o.port.value_or(Settings::read(keys::Port));
    f.localConnection =
        o.local.value_or(Settings::read(keys::LocalConnection) != QStringLiteral("0"));
    f.password = o.passwordFile ? readPassword(*o.passwordFile, input)
                                : StoredPassword(desktopSecretStore()).read();
    return f;
}

} // namespace tabulex::batch
