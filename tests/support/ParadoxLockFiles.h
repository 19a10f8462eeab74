#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tabulex::test {

// Writes the lock files a Paradox or BDE program keeps while it has the table open:
// <table>.LCK (no text: a 4.x table lock only points into the net file), PDOXUSRS.LCK
// (the net folder, the user ANNA and the table's name) and PARADOX.LCK, dated 2026-12-09
// 03:10:00 local time. Their layout is not published; these follow what is known of it.
// The files' paths, in that order.
QStringList writeParadoxLockFiles(const QString& folder, const QString& table);

// The local time of the lock files, as messages show it.
inline const QString kLockFileTime = QStringLiteral("2026-12-09 03:10:00");

// Holds files open for its lifetime, as a running Paradox program holds its lock files.
class OpenFiles {
public:
    explicit OpenFiles(const QStringList& paths);
    ~OpenFiles();
    OpenFiles(const OpenFiles&) = delete;
    OpenFiles& operator=(const OpenFiles&) = delete;

private:
    std::vector<int> m_fds;
};

} // namespace tabulex::test
