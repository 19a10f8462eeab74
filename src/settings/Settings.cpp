#include "settings/Settings.h"

#include "core/AppInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulex {

namespace {

const QString kApplicationName = QStringLiteral("Quorvane");

// Creates the file with mode 0600 before QSettings ever writes it, and tightens an
// existing file that is more open than that.
void ensurePrivateFile(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && (st.st_mode & 0777) != 0600)
        ::chmod(native.constData(), 0600);
}

} // namespace

QString Settings::filePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + u'/' + kApplicationName + u'/' + kApplicationName + QStringLiteral(".ini");
}

QString Settings::read(const SettingKey& key)
{
    QSettings s(filePath(), QSettings::IniFormat);
    s.beginGroup(kProductTitle);
    return s.value(key.text, key.defaultValue).toString();
}

void Settings::write(const SettingKey& key, const QString& value)
{
    const QString path = filePath();
    ensurePrivateFile(path);
    {
        QSettings s(path, QSettings::IniFormat);
        s.beginGroup(kProductTitle);
        s.setValue(key.text, value);
        s.endGroup();
        s.sync();
    }
    // QSettings writes through a temporary file that it renames into place.
    ensurePrivateFile(path);
}

bool Settings::contains(const SettingKey& key)
{
    QSettings s(filePath(), QSettings::IniFormat);
    s.beginGroup(kProductTitle);
    return s.contains(key.text);
}

void Settings::remove(const SettingKey& key)
{
    if (!contains(key))
        return;
    const QString path = filePath();
    {
        QSettings s(path, QSettings::IniFormat);
        s.beginGroup(kProductTitle);
        s.remove(key.text);
        s.endGroup();
        s.sync();
    }
    ensurePrivateFile(path);
}

} // namespace tabulex
