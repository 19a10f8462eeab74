#include "paradox/TableStamp.h"

#include "paradox/TableFiles.h"

#include <sys/stat.h>

#include <fstream>

namespace paradox {

namespace {

// The fixed and the data header (0x00-0x77): counts, block numbers, the change counter
// 0x2D and the rebuild flags 0x14 and 0x2A.
constexpr std::size_t kStampedHeader = 0x78;

TableStamp::File fileStamp(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return {};
    return {true, std::uintmax_t(st.st_size),
            std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

} // namespace

TableStamp stampOf(const std::filesystem::path& dbFile)
{
    TableStamp stamp;
    stamp.db = fileStamp(dbFile);
    if (const auto mb = findCompanion(dbFile, "MB"))
        stamp.blobs = fileStamp(*mb);
    std::ifstream in(dbFile, std::ios::binary);
    stamp.header.resize(kStampedHeader);
    in.read(stamp.header.data(), std::streamsize(kStampedHeader));
    stamp.header.resize(std::size_t(std::max<std::streamsize>(in.gcount(), 0)));
    return stamp;
}

} // namespace paradox
