#include "ParadoxLockFiles.h"

#include <QDateTime>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace tabulex::test {

namespace {

QByteArray padded(const QByteArray& text, int size)
{
    return text + QByteArray(size - text.size(), '\0');
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    f.close();
    const QDateTime time = QDateTime::fromString(kLockFileTime, "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

QStringList writeParadoxLockFiles(const QString& folder, const QString& table)
{
    const QByteArray header("\x01\x00\x02\x00\x10\x00\x00\x00", 8);
    const QStringList paths{folder + u'/' + table + QStringLiteral(".LCK"),
                            folder + QStringLiteral("/PDOXUSRS.LCK"),
                            folder + QStringLiteral("/PARADOX.LCK")};
    write(paths[0], header + QByteArray("\x07\x00\x01\x00", 4) + QByteArray(24, '\0'));
    write(paths[1], header + padded("\\\\FILESRV\\PDOXNET\\", 80) + padded("ANNA", 16) +
                        QByteArray("\x01\x00", 2) + padded(table.toLatin1(), 80));
    write(paths[2], header + padded("ANNA", 16) + QByteArray(32, '\0'));
    return paths;
}

OpenFiles::OpenFiles(const QStringList& paths)
{
    for (const QString& p : paths) {
        const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0) << p.toStdString();
        m_fds.push_back(fd);
    }
}

OpenFiles::~OpenFiles()
{
    for (const int fd : m_fds)
        if (fd >= 0)
            ::close(fd);
}

} // namespace tabulex::test
