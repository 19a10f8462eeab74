#include "paradox/DamageReport.h"

#include "paradox/Layout.h"

#include <algorithm>

namespace paradox {

namespace {

std::string counted(std::uint64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool isMemo(FieldType type) { return type == FieldType::Memo || type == FieldType::FormattedMemo; }

const char* kindText(BlobError::Kind kind)
{
    switch (kind) {
    case BlobError::Kind::Missing:
        return " is missing";
    case BlobError::Kind::Cut:
        return " is cut short";
    case BlobError::Kind::Damaged:
        break;
    }
    return " is damaged";
}

} // namespace

DamageReport::DamageReport(const TableHeader& header, std::string mbName)
    : m_header(header), m_mbName(std::move(mbName))
{
}

void DamageReport::plan(const BlockPlan& plan, int headerBlocks)
{
    m_blockCount = plan.blockCount;
    if (plan.presentBlocks < headerBlocks) {
        const std::string last = std::to_string(plan.presentBlocks);
        const std::string where = plan.presentBlocks == 0 ? "after its header"
                                  : plan.endsInside       ? "inside block " + last
                                                          : "after block " + last;
        m_layout.push_back(
            "the file ends " + where + ": " +
            counted(std::uint64_t(headerBlocks - plan.presentBlocks), "block", "blocks") +
            " missing");
    }
    if (plan.fileOrder && !plan.chainProblem.empty())
        m_layout.push_back(plan.chainProblem + ": the blocks were read in file order");
}

std::string DamageReport::blockLine(int block, const char* what, int lost, bool upTo) const
{
    return "block " + std::to_string(block) + " of " + std::to_string(m_blockCount) + ": " + what +
           ", " + (upTo ? "up to " : "") + counted(std::uint64_t(lost), "record", "records") +
           " lost";
}

void DamageReport::block(int block, const BlockView& view)
{
    const int capacity = (m_header.blockSize - layout::kBlockHeaderSize) / m_header.recordSize;
    switch (view.state) {
    case BlockView::State::Records:
    case BlockView::State::Empty:
        return;
    case BlockView::State::Unreadable:
        m_blocks.push_back(blockLine(block, "header unreadable", capacity, true));
        return;
    case BlockView::State::BadCount:
        m_blocks.push_back(blockLine(block, "its record count does not fit the block",
                                     std::min(view.claimed, capacity), true));
        return;
    case BlockView::State::Cut:
        if (view.claimed == 0)
            m_blocks.push_back(blockLine(block, "cut off by the end of the file", capacity, true));
        else
            m_blocks.push_back(blockLine(block, "cut off by the end of the file",
                                         view.claimed - view.present, false));
        return;
    }
}

void DamageReport::unreadableValue(const std::string& cause)
{
    if (m_unreadable++ == 0)
        m_firstUnreadable = cause;
}

void DamageReport::lostValue(const Field& field, BlobError::Kind kind)
{
    ++m_lost[{std::size_t(&field - m_header.fields.data()), kind}];
}

void DamageReport::recordCount(std::uint64_t held)
{
    m_count.clear();
    if (held != m_header.recordCount)
        m_count = "the header counts " + counted(m_header.recordCount, "record", "records") +
                  ", the blocks hold " + std::to_string(held);
}

std::vector<std::string> DamageReport::lines() const
{
    std::vector<std::string> out = m_layout;
    out.insert(out.end(), m_blocks.begin(), m_blocks.end());
    if (m_unreadable == 1)
        out.push_back("1 record lost: " + m_firstUnreadable);
    else if (m_unreadable > 1)
        out.push_back(
            std::to_string(m_unreadable) +
            " records lost, a value in each cannot be read (the first: " + m_firstUnreadable + ")");
    if (!m_count.empty())
        out.push_back(m_count);
    for (const auto& [key, n] : m_lost) {
        const Field& f = m_header.fields[key.first];
        out.push_back(counted(n, isMemo(f.type) ? "memo value" : "BLOb value",
                              isMemo(f.type) ? "memo values" : "BLOb values") +
                      " of field " + f.name + " lost: " + m_mbName + kindText(key.second));
    }
    return out;
}

std::string DamageReport::text() const
{
    std::string s;
    for (const std::string& line : lines())
        s += line + "\n";
    return s;
}

} // namespace paradox
