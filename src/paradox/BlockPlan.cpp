#include "paradox/BlockPlan.h"

#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/Layout.h"
#include "paradox/Scramble.h"

#include <algorithm>

namespace paradox {

using namespace layout;

BlockView judgeBlock(const unsigned char* block, std::size_t got, const TableHeader& header,
                     int blockCount)
{
    BlockView v;
    if (got < std::size_t(kBlockHeaderSize))
        return v;
    const int rs = header.recordSize;
    v.next = bytes::le16(block);
    v.prev = bytes::le16(block + 2);
    const int last = std::int16_t(bytes::le16(block + 4));
    if (v.prev > blockCount || (last < 0 && last != -rs)) {
        v.state = BlockView::State::Unreadable;
        return v;
    }
    if (last < 0) {
        v.state = BlockView::State::Empty;
        return v;
    }
    v.claimed = last / rs + 1;
    if (last % rs != 0 || kBlockHeaderSize + last + rs > header.blockSize) {
        v.state = BlockView::State::BadCount;
        return v;
    }
    v.present = std::min(v.claimed, int((got - kBlockHeaderSize) / std::size_t(rs)));
    v.state = v.present < v.claimed ? BlockView::State::Cut : BlockView::State::Records;
    return v;
}

namespace {

class ChainWalk {
public:
    ChainWalk(ByteSource& db, const TableHeader& header, const Scramble* scramble, BlockPlan& plan)
        : m_db(db), m_header(header), m_scramble(scramble), m_plan(plan),
          m_seen(std::size_t(plan.blockCount) + 1, false)
    {
    }

    // The chain's blocks, or false when it is broken (the plan says why, where it can).
    bool walk()
    {
        int prev = 0;
        for (int b = m_header.firstBlock; b != 0;) {
            const std::string where = "block " + std::to_string(b);
            if (b > m_header.fileBlocks && b > m_plan.presentBlocks)
                return broken("the block chain leads to " + where + " but the file has " +
                              std::to_string(m_header.fileBlocks) + " blocks");
            if (b > m_header.fileBlocks)
                return broken("the block chain leads to " + where + " but the header counts " +
                              std::to_string(m_header.fileBlocks) + " blocks");
            if (b > m_plan.presentBlocks)
                return broken({}); // the file is cut short
            if (m_seen[std::size_t(b)])
                return broken("the block chain runs in a circle at " + where);
            m_seen[std::size_t(b)] = true;
            const BlockView v = look(b);
            if (v.state != BlockView::State::Records && v.state != BlockView::State::Empty)
                return broken({}); // the block itself is reported
            if (v.prev != prev)
                return broken("the block chain is broken at " + where);
            m_plan.blocks.push_back(b);
            prev = b;
            b = v.next;
        }
        if (prev != m_header.lastBlock)
            return broken("the block chain ends at block " + std::to_string(prev) +
                          " but the header names block " + std::to_string(m_header.lastBlock) +
                          " as its last");
        return true;
    }

private:
    bool broken(std::string why)
    {
        m_plan.chainProblem = std::move(why);
        return false;
    }

    BlockView look(int b)
    {
        const std::uint64_t at =
            std::uint64_t(m_header.headerSize) + std::uint64_t(b - 1) * m_header.blockSize;
        std::size_t got = std::size_t(
            std::min<std::uint64_t>(m_header.blockSize, m_db.size() > at ? m_db.size() - at : 0));
        unsigned char head[Scramble::kChunk] = {};
        std::size_t want = std::size_t(kBlockHeaderSize);
        if (m_scramble) {
            got -= got % Scramble::kChunk; // a partial chunk cannot be unscrambled
            want = std::min<std::size_t>(Scramble::kChunk, got);
        }
        if (m_db.readAt(at, head, want) < want)
            got = 0;
        if (m_scramble)
            m_scramble->decodeBlock(head, want, b);
        return judgeBlock(head, got, m_header, m_plan.blockCount);
    }

    ByteSource& m_db;
    const TableHeader& m_header;
    const Scramble* m_scramble;
    BlockPlan& m_plan;
    std::vector<bool> m_seen;
};

} // namespace

BlockPlan planBlocks(ByteSource& db, const TableHeader& header, const Scramble* scramble)
{
    BlockPlan plan;
    const std::uint64_t body =
        db.size() > std::uint64_t(header.headerSize) ? db.size() - header.headerSize : 0;
    const std::uint64_t bs = std::uint64_t(header.blockSize);
    plan.presentBlocks = int(std::min<std::uint64_t>((body + bs - 1) / bs, kMaxBlocks));
    plan.endsInside = body % bs != 0;
    plan.blockCount = std::max(header.fileBlocks, plan.presentBlocks);
    if (ChainWalk(db, header, scramble, plan).walk())
        return plan;
    plan.fileOrder = true;
    plan.blocks.clear();
    for (int b = 1; b <= plan.presentBlocks; ++b)
        plan.blocks.push_back(b);
    return plan;
}

} // namespace paradox
