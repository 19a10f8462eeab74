#include "transfer/RejectedRows.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tabulex {

namespace {

// A table name as part of a file name: no folder separators or control characters, no
// leading dot.
QString fileNamePart(const QString& table)
{
    QString part = table;
    for (QChar& c : part)
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    if (part.isEmpty() || part.startsWith(u'.'))
        part.prepend(u'_');
    return part.left(100);
}

// Each line of the text behind "-- ".
QString commentLines(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString out;
    for (const QString& line : text.split(lineBreak))
        out += QStringLiteral("-- ") + line + u'\n';
    return out;
}

// A new file of the folder, readable by the user alone, named after the table and the time:
// its descriptor, or -1 with the reason in `error`.
int createFile(const QString& table, const QString& suffix, QString& path, QString& error)
{
    const QString folder = rejectedRowsFolder();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(folder);
        return -1;
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString stem = folder + u'/' + fileNamePart(table) + u'-' +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString name = stem + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + suffix;
        const int fd = ::open(QFile::encodeName(name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            break;
        path = name;
        return fd;
    }
    error = QStringLiteral("cannot create a file in %1: %2")
                .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    return -1;
}

} // namespace

QString rejectedRowsFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG rule: a relative XDG_STATE_HOME counts as unset.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quorvane/rejected");
}

RejectedRows::RejectedRows(QString table, bool statementsRun)
    : m_table(std::move(table)), m_statementsRun(statementsRun)
{
}

RejectedRows::~RejectedRows() = default;

bool RejectedRows::open()
{
    const int fd = createFile(m_table, QStringLiteral(".sql"), m_path, m_error);
    if (fd < 0)
        return false;
    m_file = std::make_unique<QFile>();
    m_file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    const QString advice =
        m_statementsRun
            ? QStringLiteral("Mend them and run the statements again.")
            : QStringLiteral("The statements show each row's values as the Paradox table "
                             "would have taken them; they cannot be run. Mend the rows in "
                             "the source table and send it again.");
    m_file->write(commentLines(QStringLiteral("Rows of the table %1 that did not arrive, each with "
                                              "its error report. ")
                                   .arg(m_table) +
                               advice)
                      .toUtf8());
    return true;
}

void RejectedRows::add(const QString& report, const QString& statement)
{
    ++m_rows;
    if (!m_error.isEmpty() || (!m_file && !open()))
        return;
    const QByteArray text =
        (u'\n' + commentLines(report) + statement + QStringLiteral(";\n")).toUtf8();
    if (m_file->write(text) != text.size() || !m_file->flush())
        m_error = m_file->errorString();
}

QString keepDamageReport(const QString& table, const QString& report, QString& error)
{
    QString path;
    const int fd = createFile(table, QStringLiteral("-damage.txt"), path, error);
    if (fd < 0)
        return {};
    QFile file;
    file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    const QByteArray text =
        (QStringLiteral("The damage found in the Paradox table %1, whose records that could be "
                        "read were sent:\n")
             .arg(table) +
         report)
            .toUtf8();
    if (file.write(text) != text.size() || !file.flush()) {
        error = file.errorString();
        return {};
    }
    return path;
}

} // namespace tabulex
