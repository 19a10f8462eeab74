#pragma once

#include <cstddef>
#include <cstdint>

// Offsets and constants of the .DB and .MB layouts shared by the reader and the writer.
namespace paradox::layout {

// Fixed header, all files.
constexpr std::size_t kRecordSizeAt = 0x00;
constexpr std::size_t kHeaderSizeAt = 0x02;
constexpr std::size_t kFileTypeAt = 0x04;
constexpr std::size_t kBlockSizeAt = 0x05;
constexpr std::size_t kRecordCountAt = 0x06;
constexpr std::size_t kUsedBlocksAt = 0x0A;
constexpr std::size_t kFileBlocksAt = 0x0C;
constexpr std::size_t kFirstBlockAt = 0x0E;
constexpr std::size_t kLastBlockAt = 0x10;
constexpr std::size_t kUnknown12At = 0x12;
constexpr std::size_t kIndexWorkspaceAt = 0x16;
constexpr std::size_t kIndexRootAt = 0x1E;
constexpr std::size_t kIndexLevelsAt = 0x20;
constexpr std::size_t kFieldCountAt = 0x21;
constexpr std::size_t kKeyFieldsAt = 0x23;
constexpr std::size_t kEncryption1At = 0x25;
constexpr std::size_t kSortOrderAt = 0x29;
constexpr std::size_t kIndexStampAt = 0x2C;
constexpr std::size_t kChangeCount1At = 0x2D;
constexpr std::size_t kChangeCount2At = 0x2E;
constexpr std::size_t kVersionAt = 0x39;
constexpr std::size_t kMaxBlocksAt = 0x3A;
constexpr std::size_t kUnknown3EAt = 0x3E;
constexpr std::size_t kAutoIncrementAt = 0x49;
constexpr std::size_t kRealHeaderSizeAt = 0x51;
constexpr std::size_t kUnknown56At = 0x56;
constexpr std::size_t kFixedHeaderSize = 0x58;

// Data header of 4.x and later tables.
constexpr std::size_t kFileVersion2At = 0x58;
constexpr std::size_t kFileVersion3At = 0x5A;
constexpr std::size_t kEncryption2At = 0x5C;
constexpr std::size_t kUpdateTimeAt = 0x60;
constexpr std::size_t kHiFieldIdAt = 0x64;
constexpr std::size_t kFieldNumbersOffsetAt = 0x66;
constexpr std::size_t kCodePageAt = 0x6A;
constexpr std::size_t kUnknown6CAt = 0x6C;
constexpr std::size_t kSortOrderOffsetAt = 0x6E;
constexpr std::size_t kChangeCount4At = 0x70;
constexpr std::size_t kDataHeaderEnd = 0x78;

constexpr int kKeyedTable = 0;
constexpr int kUnkeyedTable = 2;
constexpr int kFirstDataHeaderVersion = 5; // 4.x
constexpr int kVersion5 = 0x0B;
constexpr int kMaxFields = 255;
// At 0x25 of 4.x and later tables: the password checksum is at 0x5C instead.
constexpr std::uint32_t kChecksumInDataHeader = 0xFF00FF00;
constexpr std::size_t kPointerSize = 4;
constexpr std::size_t kHeaderUnit = 0x800;

inline std::size_t tableNameLength(int versionId) { return versionId >= 12 ? 261 : 79; }

// Data blocks.
constexpr int kBlockHeaderSize = 6;
constexpr int kMaxBlocks = 65535;

// The .MB file.
constexpr std::size_t kMbUnit = 4096;
constexpr int kMbHeaderBlock = 0;
constexpr int kMbSingleBlock = 2;
constexpr int kMbSubBlock = 3;
constexpr int kMbFreeBlock = 4;
constexpr std::size_t kMbSingleHeader = 9;
constexpr std::size_t kMbSubEntries = 64;
constexpr std::size_t kMbSubEntryAt = 12;
constexpr std::size_t kMbSubEntrySize = 5;
constexpr std::size_t kMbChunk = 16;
constexpr std::size_t kMbFirstChunk = 0x15;
constexpr std::size_t kMbChunks = 256;
constexpr std::size_t kMbSmallLimit = 2048;
constexpr std::uint32_t kMbSingleIndex = 0xFF;
constexpr std::size_t kGraphicPrefix = 8;

} // namespace paradox::layout
