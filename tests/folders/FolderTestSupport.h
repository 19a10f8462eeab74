#pragma once

#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>

namespace tabulex::test {

inline QSet<QString> asSet(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

// Takes every permission from a folder and gives them back at the end of the scope.
struct Locked {
    explicit Locked(const QString& path) : m_path(path)
    {
        QFile::setPermissions(m_path, QFileDevice::Permissions{});
    }
    ~Locked()
    {
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    QString m_path;
};

} // namespace tabulex::test
