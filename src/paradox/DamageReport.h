#pragma once

#include "paradox/BlobReader.h"
#include "paradox/BlockPlan.h"
#include "paradox/Header.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace paradox {

// The account of a salvage read: each kind of damage found in a table and what it cost, as
// one line each.
class DamageReport {
public:
    // `mbName`: the .MB file as lines name it.
    DamageReport(const TableHeader& header, std::string mbName);

    // The file layout the read works on: a file cut short, a broken chain.
    void plan(const BlockPlan& plan, int headerBlocks);
    // A block the read skipped or read in part (`view` of block `block`).
    void block(int block, const BlockView& view);
    // A record left out because a value in it cannot be read.
    void unreadableValue(const std::string& cause);
    // A BLOb value of `field` that became NULL.
    void lostValue(const Field& field, BlobError::Kind kind);
    // The records the blocks held, against the header's count.
    void recordCount(std::uint64_t held);

    bool empty() const { return lines().empty(); }
    std::vector<std::string> lines() const;
    // The lines, each ended by a line feed.
    std::string text() const;

private:
    std::string blockLine(int block, const char* what, int lost, bool upTo) const;

    const TableHeader& m_header;
    std::string m_mbName;
    int m_blockCount = 0;
    std::vector<std::string> m_layout;
    std::vector<std::string> m_blocks;
    std::uint64_t m_unreadable = 0;
    std::string m_firstUnreadable;
    std::string m_count;
    std::map<std::pair<std::size_t, BlobError::Kind>, std::uint64_t> m_lost; // field, kind
};

} // namespace paradox
