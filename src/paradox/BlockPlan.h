#pragma once

#include "paradox/Header.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace paradox {

class ByteSource;
class Scramble;

// What a data block's header says, judged on its own (salvage reading).
struct BlockView {
    enum class State {
        Records,    // every record it claims is in the file
        Empty,      // it holds no records
        Cut,        // the end of the file cuts off its header or some of its records
        Unreadable, // its header is garbage
        BadCount,   // its record count does not fit the block
    };
    State state = State::Cut;
    int next = 0;
    int prev = 0;
    int claimed = 0; // records the header claims (0 when it cannot be read)
    int present = 0; // of those, the ones wholly in the file
};

// `got`: the bytes of the block in the file, unscrambled; `blockCount`: the blocks the table
// is taken to have.
BlockView judgeBlock(const unsigned char* block, std::size_t got, const TableHeader& header,
                     int blockCount);

// The data blocks a salvage read visits, in order: the block chain when it is sound, else
// every block of the file in file order.
struct BlockPlan {
    std::vector<int> blocks;
    int blockCount = 0;       // the header's block count, or the file's when it has more
    int presentBlocks = 0;    // blocks of which the file holds at least one byte
    bool endsInside = true;   // the file ends inside its last block, not after it
    bool fileOrder = false;   // the chain is broken
    std::string chainProblem; // why, unless the damaged blocks tell it
};

// Walks the chain reading block headers only; `scramble` is null for plain tables.
BlockPlan planBlocks(ByteSource& db, const TableHeader& header, const Scramble* scramble);

} // namespace paradox
