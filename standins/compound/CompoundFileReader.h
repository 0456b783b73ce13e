#pragma once

#include "CompoundFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cfb {

// Reads a Compound File held in memory (sector sizes 512 and 4096).  Every
// sector chain is bounds-checked and loop-checked, and nothing is allocated
// beyond what the input itself can hold, so hostile files fail with a message.
class CompoundFileReader {
public:
    // The bytes must outlive the reader.
    bool open(std::span<const uint8_t> bytes);

    const std::string& error() const { return error_; }
    const std::vector<DirectoryEntry>& entries() const { return entries_; }

    // Index of the stream or storage named `name` (compared without case)
    // directly inside the storage `parent` (0 is the root).
    std::optional<uint32_t> findChild(uint32_t parent, std::u16string_view name) const;

    bool readStream(uint32_t entryIndex, std::vector<uint8_t>& out);
    // The stream's bytes inside the input itself, when its sectors follow one
    // another (as writers usually place a large stream); false otherwise.
    bool contiguousStream(uint32_t entryIndex, std::span<const uint8_t>& view);

private:
    bool fail(std::string message);
    bool readHeader();
    bool loadFat();
    bool loadDirectory();
    bool loadMiniStream();
    bool sectorSpan(uint32_t sector, std::span<const uint8_t>& out) const;
    // The chain starting at `start` in `table`, checked against `limit` sectors.
    bool followChain(const std::vector<uint32_t>& table, uint32_t start, uint64_t maxSectors,
                     std::vector<uint32_t>& chain);
    // The bytes of a regular sector, or of a mini sector inside the mini stream.
    bool sectorBytes(bool mini, uint32_t sector, std::span<const uint8_t>& out) const;
    bool readChain(bool mini, uint32_t start, uint64_t size, std::vector<uint8_t>& out);
    bool forEachSector(uint32_t start, const char* what,
                       const std::function<void(const uint8_t*)>& visit);

    std::span<const uint8_t> bytes_;
    std::string error_;
    uint32_t sectorShift_ = 9;
    uint32_t sectorSize_ = 512;
    uint64_t sectorCount_ = 0;
    uint32_t firstDirectorySector_ = kEndOfChain;
    uint32_t firstMiniFatSector_ = kEndOfChain;
    uint32_t miniFatSectorCount_ = 0;
    uint32_t firstDifatSector_ = kEndOfChain;
    uint32_t difatSectorCount_ = 0;
    uint32_t fatSectorCount_ = 0;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    std::vector<uint8_t> miniStream_;
    std::vector<DirectoryEntry> entries_;
};

} // namespace cfb
