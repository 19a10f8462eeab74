// The lock files of Paradox and BDE programs: found, read, and judged held or stale.
#include "TestSupport.h"

#include "paradox/LockFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>

namespace paradox {
namespace {

using test::TempDir;

std::string padded(const std::string& text, std::size_t size)
{
    return text + std::string(size - text.size(), '\0');
}

void writeDated(const std::filesystem::path& file, const std::string& bytes, std::time_t time)
{
    test::writeFileBytes(file, bytes);
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST(LockFiles, areFoundReadAndJudged)
{
    TempDir dir;
    const std::time_t time = 1796785800; // 2026-12-09 03:10:00 UTC
    const std::string header("\x01\x00\x02\x00\x10\x00\x00\x00", 8);
    test::writeFileBytes(dir / "ORDERS.DB", "x");
    test::writeFileBytes(dir / "OTHER.LCK", "x");
    EXPECT_EQ(checkLocks({dir / "ORDERS.DB"}).state, LockCheck::State::Free);

    writeDated(dir / "Orders.lck", header + std::string(24, '\0'), time);
    writeDated(dir / "pdoxusrs.lck",
               header + padded("F:\\PDOXNET\\PDOXUSRS.NET", 80) + padded("ANNA", 16) + "\x01" +
                   padded("ORDERS", 80),
               time);
    writeDated(dir / "PARADOX.LCK", header + padded("  BEN ", 16) + "ab", time);
    const std::vector<LockFile> found = findLockFiles(dir / "ORDERS.DB");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, dir / "Orders.lck");
    EXPECT_EQ(found[0].kind, LockFile::Kind::Table);
    EXPECT_TRUE(found[0].texts.empty());
    EXPECT_EQ(found[1].kind, LockFile::Kind::Users);
    EXPECT_EQ(found[1].texts,
              (std::vector<std::string>{"F:\\PDOXNET\\PDOXUSRS.NET", "ANNA", "ORDERS"}));
    EXPECT_EQ(found[1].netFile, "F:\\PDOXNET\\PDOXUSRS.NET");
    EXPECT_EQ(found[2].kind, LockFile::Kind::Directory);
    EXPECT_EQ(found[2].texts, std::vector<std::string>{"BEN"});
    for (const LockFile& f : found) {
        EXPECT_EQ(f.modified, time);
        EXPECT_FALSE(f.marksReadOnly);
    }

    // Nobody holds them: stale.
    LockCheck check = checkLocks({dir / "ORDERS.DB", dir / "orders.db"});
    EXPECT_EQ(check.state, LockCheck::State::Stale);
    EXPECT_EQ(check.files.size(), 3u);
    EXPECT_EQ(check.reason, "no process on this machine has them open or locked");

    // A folder marked read-only for Paradox stays so, whoever holds the file.
    writeDated(dir / "pdoxusrs.lck", header + padded("PARADOX.DRO", 80), time);
    check = checkLocks({dir / "ORDERS.DB"});
    EXPECT_EQ(check.state, LockCheck::State::Locked);
    EXPECT_EQ(check.reason, "pdoxusrs.lck marks the folder read-only for Paradox programs");
}

} // namespace
} // namespace paradox
