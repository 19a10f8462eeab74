#include "paradox/RecordSorter.h"

#include "paradox/Error.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <queue>

namespace paradox {

namespace {

constexpr std::size_t kRunBuffer = std::size_t(256) << 10;

// An unlinked file in the folder, closed by the destructor.
int anonymousFile(const std::filesystem::path& folder)
{
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    std::string name = (folder / "~sort-XXXXXX").string();
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.c_str());
    return fd;
}

} // namespace

// A sorted run in a file of its own, read back through a buffer.
struct RecordSorter::Run : SortedRecords {
    const std::string* table = nullptr;
    int fd = -1;
    std::uint64_t records = 0;
    std::size_t recordSize = 0;
    std::vector<unsigned char> buffer;
    std::size_t at = 0;
    std::size_t held = 0;
    std::uint64_t read = 0;
    std::uint64_t offset = 0;

    ~Run() override
    {
        if (fd >= 0)
            ::close(fd);
    }

    const unsigned char* next() override
    {
        if (read == records)
            return nullptr;
        if (at == held) {
            const std::uint64_t left = (records - read) * recordSize;
            const std::size_t want =
                std::size_t(std::min<std::uint64_t>(left, buffer.size() / recordSize * recordSize));
            std::size_t got = 0;
            while (got < want) {
                const ssize_t n = ::pread(fd, buffer.data() + got, want - got, off_t(offset + got));
                if (n <= 0)
                    throw Error(*table, std::string("cannot read back the records being sorted: ") +
                                            (n < 0 ? std::strerror(errno) : "the file is short"));
                got += std::size_t(n);
            }
            offset += got;
            held = got;
            at = 0;
        }
        const unsigned char* record = buffer.data() + at;
        at += recordSize;
        ++read;
        return record;
    }
};

RecordSorter::RecordSorter(std::size_t recordSize, std::size_t keySize,
                           std::filesystem::path folder, std::string table, std::size_t memoryBytes)
    : m_recordSize(recordSize), m_keySize(keySize), m_folder(std::move(folder)),
      m_table(std::move(table)), m_capacity(std::max<std::size_t>(1, memoryBytes / recordSize))
{
}

RecordSorter::~RecordSorter() = default;

void RecordSorter::fail(const std::string& what) const
{
    throw Error(m_table, what + ": " + std::strerror(errno));
}

void RecordSorter::add(const unsigned char* record)
{
    if (m_buffer.empty())
        m_buffer.resize(m_capacity * m_recordSize);
    if (m_inBuffer == m_capacity)
        spill();
    std::memcpy(m_buffer.data() + m_inBuffer * m_recordSize, record, m_recordSize);
    ++m_inBuffer;
    ++m_count;
}

void RecordSorter::sortBuffer()
{
    m_order.resize(m_inBuffer);
    for (std::size_t i = 0; i < m_inBuffer; ++i)
        m_order[i] = std::uint32_t(i);
    const unsigned char* base = m_buffer.data();
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return std::memcmp(base + a * m_recordSize, base + b * m_recordSize, m_keySize) < 0;
    });
}

void RecordSorter::spill()
{
    sortBuffer();
    auto run = std::make_unique<Run>();
    run->fd = anonymousFile(m_folder);
    if (run->fd < 0)
        fail("cannot create a file to sort the records in");
    run->recordSize = m_recordSize;
    run->table = &m_table;
    std::vector<unsigned char> out;
    out.reserve(kRunBuffer);
    std::uint64_t offset = 0;
    auto flush = [&] {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n =
                ::pwrite(run->fd, out.data() + done, out.size() - done, off_t(offset + done));
            if (n < 0)
                fail("cannot write the records being sorted");
            done += std::size_t(n);
        }
        offset += out.size();
        out.clear();
    };
    for (const std::uint32_t i : m_order) {
        if (out.size() + m_recordSize > kRunBuffer)
            flush();
        const unsigned char* r = m_buffer.data() + i * m_recordSize;
        out.insert(out.end(), r, r + m_recordSize);
    }
    flush();
    run->records = m_inBuffer;
    m_runs.push_back(std::move(run));
    m_inBuffer = 0;
}

namespace {

// The records of the buffer in sorted order.
struct BufferRun : SortedRecords {
    const unsigned char* base;
    std::size_t recordSize;
    const std::vector<std::uint32_t>& order;
    std::size_t at = 0;
    BufferRun(const unsigned char* b, std::size_t size, const std::vector<std::uint32_t>& o)
        : base(b), recordSize(size), order(o)
    {
    }
    const unsigned char* next() override
    {
        return at == order.size() ? nullptr : base + order[at++] * recordSize;
    }
};

} // namespace

void RecordSorter::merge(SortedRecords* before,
                         const std::function<void(const unsigned char*)>& sink)
{
    sortBuffer();
    BufferRun last(m_buffer.data(), m_recordSize, m_order);
    std::vector<SortedRecords*> sources;
    if (before)
        sources.push_back(before);
    for (auto& run : m_runs) {
        run->buffer.resize(std::max(kRunBuffer / m_recordSize, std::size_t(1)) * m_recordSize);
        sources.push_back(run.get());
    }
    sources.push_back(&last);

    struct Head {
        const unsigned char* record;
        std::size_t source;
    };
    // Smallest key first; among equal keys the earlier source.
    auto later = [this](const Head& a, const Head& b) {
        const int c = std::memcmp(a.record, b.record, m_keySize);
        return c != 0 ? c > 0 : a.source > b.source;
    };
    std::priority_queue<Head, std::vector<Head>, decltype(later)> heads(later);
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (const unsigned char* r = sources[i]->next())
            heads.push({r, i});
    while (!heads.empty()) {
        const Head h = heads.top();
        heads.pop();
        sink(h.record);
        if (const unsigned char* r = sources[h.source]->next())
            heads.push({r, h.source});
    }
}

} // namespace paradox
