#pragma once

#include <cstdint>
#include <string>

// Constants and the directory entry of the Compound File container that holds
// the binary workbooks and word-processing documents of the stand-ins.
namespace cfb {

inline constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
inline constexpr uint32_t kMaxRegularSector = 0xFFFFFFFAu;
inline constexpr uint32_t kDifatSector = 0xFFFFFFFCu;
inline constexpr uint32_t kFatSector = 0xFFFFFFFDu;
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
inline constexpr uint32_t kFreeSector = 0xFFFFFFFFu;
inline constexpr uint32_t kNoStream = 0xFFFFFFFFu;
inline constexpr uint32_t kMiniStreamCutoff = 4096;
inline constexpr uint32_t kMiniSectorSize = 64;
inline constexpr uint32_t kHeaderDifatCount = 109;
inline constexpr uint32_t kDirectoryEntrySize = 128;

enum class EntryType : uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

struct DirectoryEntry {
    std::u16string name;
    EntryType type = EntryType::Unused;
    uint32_t left = kNoStream;
    uint32_t right = kNoStream;
    uint32_t child = kNoStream;
    uint32_t startSector = kEndOfChain;
    uint64_t size = 0;
};

// The container's name order: shorter names first, then by upper-cased code unit.
int compareNames(std::u16string_view a, std::u16string_view b);

} // namespace cfb
