#include "CompoundFileReader.h"

#include "LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace cfb {

namespace {

char16_t upper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

} // namespace

int compareNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t x = upper(a[i]);
        const char16_t y = upper(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

bool CompoundFileReader::fail(std::string message) {
    error_ = std::move(message);
    return false;
}

bool CompoundFileReader::open(std::span<const uint8_t> bytes) {
    *this = CompoundFileReader();
    bytes_ = bytes;
    return readHeader() && loadFat() && loadDirectory() && loadMiniStream();
}

bool CompoundFileReader::readHeader() {
    if (bytes_.size() < 512 || std::memcmp(bytes_.data(), kSignature, 8) != 0) {
        return fail("not a compound file");
    }
    const uint8_t* h = bytes_.data();
    const uint16_t major = le::u16(h + 0x1A);
    sectorShift_ = le::u16(h + 0x1E);
    if (le::u16(h + 0x1C) != 0xFFFE) {
        return fail("compound file: bad byte order mark");
    }
    if (!((major == 3 && sectorShift_ == 9) || (major == 4 && sectorShift_ == 12))) {
        return fail("compound file: unsupported version or sector size");
    }
    if (le::u16(h + 0x20) != 6) {
        return fail("compound file: unsupported mini sector size");
    }
    sectorSize_ = 1u << sectorShift_;
    if (bytes_.size() < sectorSize_) {
        return fail("compound file: truncated header");
    }
    // A last sector that the file holds only in part still counts; reads past
    // the end are refused sector by sector.
    sectorCount_ = (bytes_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_;
    fatSectorCount_ = le::u32(h + 0x2C);
    firstDirectorySector_ = le::u32(h + 0x30);
    firstMiniFatSector_ = le::u32(h + 0x3C);
    miniFatSectorCount_ = le::u32(h + 0x40);
    firstDifatSector_ = le::u32(h + 0x44);
    difatSectorCount_ = le::u32(h + 0x48);
    if (fatSectorCount_ > sectorCount_ || difatSectorCount_ > sectorCount_ ||
        miniFatSectorCount_ > sectorCount_) {
        return fail("compound file: sector counts exceed the file");
    }
    return true;
}

bool CompoundFileReader::sectorSpan(uint32_t sector, std::span<const uint8_t>& out) const {
    if (sector > kMaxRegularSector || sector >= sectorCount_) {
        return false;
    }
    const uint64_t offset = (static_cast<uint64_t>(sector) + 1) << sectorShift_;
    if (offset + sectorSize_ > bytes_.size()) {
        return false;
    }
    out = bytes_.subspan(static_cast<size_t>(offset), sectorSize_);
    return true;
}

bool CompoundFileReader::loadFat() {
    std::vector<uint32_t> fatSectors;
    const uint8_t* h = bytes_.data();
    for (uint32_t i = 0; i < kHeaderDifatCount && fatSectors.size() < fatSectorCount_; ++i) {
        fatSectors.push_back(le::u32(h + 0x4C + 4 * i));
    }
    const uint32_t perSector = sectorSize_ / 4;
    uint32_t difat = firstDifatSector_;
    for (uint32_t n = 0; fatSectors.size() < fatSectorCount_; ++n) {
        std::span<const uint8_t> sector;
        if (n >= difatSectorCount_ || !sectorSpan(difat, sector)) {
            return fail("compound file: broken DIFAT chain");
        }
        for (uint32_t i = 0; i + 1 < perSector && fatSectors.size() < fatSectorCount_; ++i) {
            fatSectors.push_back(le::u32(sector.data() + 4 * i));
        }
        difat = le::u32(sector.data() + 4 * (perSector - 1));
    }
    fat_.reserve(static_cast<size_t>(fatSectorCount_) * perSector);
    for (uint32_t s : fatSectors) {
        std::span<const uint8_t> sector;
        if (!sectorSpan(s, sector)) {
            return fail("compound file: FAT sector outside the file");
        }
        for (uint32_t i = 0; i < perSector; ++i) {
            fat_.push_back(le::u32(sector.data() + 4 * i));
        }
    }
    return true;
}

bool CompoundFileReader::followChain(const std::vector<uint32_t>& table, uint32_t start,
                                     uint64_t maxSectors, std::vector<uint32_t>& chain) {
    chain.clear();
    uint32_t sector = start;
    while (sector != kEndOfChain) {
        // A chain can visit each sector at most once, so a longer one loops.
        if (sector >= table.size() || sector >= maxSectors || chain.size() >= table.size()) {
            return fail("compound file: broken or looping sector chain");
        }
        chain.push_back(sector);
        sector = table[sector];
    }
    return true;
}

bool CompoundFileReader::sectorBytes(bool mini, uint32_t sector,
                                     std::span<const uint8_t>& out) const {
    if (!mini) {
        return sectorSpan(sector, out);
    }
    const uint64_t offset = static_cast<uint64_t>(sector) * kMiniSectorSize;
    if (offset + kMiniSectorSize > miniStream_.size()) {
        return false;
    }
    out =
        std::span<const uint8_t>(miniStream_).subspan(static_cast<size_t>(offset), kMiniSectorSize);
    return true;
}

bool CompoundFileReader::readChain(bool mini, uint32_t start, uint64_t size,
                                   std::vector<uint8_t>& out) {
    const std::vector<uint32_t>& table = mini ? miniFat_ : fat_;
    const uint64_t limit = mini ? miniStream_.size() / kMiniSectorSize : sectorCount_;
    const uint32_t unit = mini ? kMiniSectorSize : sectorSize_;
    std::vector<uint32_t> chain;
    if (!followChain(table, start, limit, chain)) {
        return false;
    }
    // Checked before anything is allocated: the size is only a claim.
    if (static_cast<uint64_t>(chain.size()) * unit < size) {
        return fail("compound file: stream longer than its sector chain");
    }
    out.clear();
    out.reserve(static_cast<size_t>(size));
    for (size_t i = 0; i < chain.size() && out.size() < size; ++i) {
        std::span<const uint8_t> sector;
        if (!sectorBytes(mini, chain[i], sector)) {
            return fail("compound file: sector outside the file");
        }
        const size_t take = static_cast<size_t>(std::min<uint64_t>(unit, size - out.size()));
        out.insert(out.end(), sector.begin(), sector.begin() + static_cast<std::ptrdiff_t>(take));
    }
    return true;
}

bool CompoundFileReader::forEachSector(uint32_t start, const char* what,
                                       const std::function<void(const uint8_t*)>& visit) {
    std::vector<uint32_t> chain;
    if (!followChain(fat_, start, sectorCount_, chain)) {
        return false;
    }
    for (uint32_t s : chain) {
        std::span<const uint8_t> sector;
        if (!sectorSpan(s, sector)) {
            return fail(std::string("compound file: ") + what + " sector outside the file");
        }
        visit(sector.data());
    }
    return true;
}

bool CompoundFileReader::loadDirectory() {
    const bool read = forEachSector(firstDirectorySector_, "directory", [&](const uint8_t* sector) {
        for (uint32_t off = 0; off < sectorSize_; off += kDirectoryEntrySize) {
            const uint8_t* e = sector + off;
            DirectoryEntry entry;
            const uint16_t nameBytes = std::min<uint16_t>(le::u16(e + 0x40), 64);
            for (uint16_t i = 0; i + 1 < nameBytes; i += 2) {
                const char16_t c = le::u16(e + i);
                if (c == 0) {
                    break;
                }
                entry.name.push_back(c);
            }
            entry.type = static_cast<EntryType>(e[0x42]);
            entry.left = le::u32(e + 0x44);
            entry.right = le::u32(e + 0x48);
            entry.child = le::u32(e + 0x4C);
            entry.startSector = le::u32(e + 0x74);
            entry.size = le::u64(e + 0x78);
            if (sectorShift_ == 9) {
                entry.size &= 0xFFFFFFFFu; // version 3 leaves the high half undefined
            }
            entries_.push_back(std::move(entry));
        }
    });
    if (!read) {
        return false;
    }
    if (entries_.empty() || entries_[0].type != EntryType::Root) {
        return fail("compound file: no root entry");
    }
    return true;
}

bool CompoundFileReader::loadMiniStream() {
    const bool read = forEachSector(firstMiniFatSector_, "mini FAT", [&](const uint8_t* sector) {
        for (uint32_t i = 0; i < sectorSize_; i += 4) {
            miniFat_.push_back(le::u32(sector + i));
        }
    });
    if (!read) {
        return false;
    }
    const DirectoryEntry& root = entries_[0];
    if (root.size == 0 || root.startSector == kEndOfChain) {
        return true;
    }
    return readChain(false, root.startSector, root.size, miniStream_);
}

std::optional<uint32_t> CompoundFileReader::findChild(uint32_t parent,
                                                      std::u16string_view name) const {
    if (parent >= entries_.size()) {
        return std::nullopt;
    }
    // Visit the whole sibling tree rather than trusting its order, which some
    // writers get wrong; each entry is visited once, so a cyclic tree ends.
    std::vector<bool> seen(entries_.size());
    std::vector<uint32_t> pending{entries_[parent].child};
    while (!pending.empty()) {
        const uint32_t node = pending.back();
        pending.pop_back();
        if (node >= entries_.size() || seen[node]) {
            continue;
        }
        seen[node] = true;
        const DirectoryEntry& entry = entries_[node];
        if ((entry.type == EntryType::Stream || entry.type == EntryType::Storage) &&
            compareNames(name, entry.name) == 0) {
            return node;
        }
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    return std::nullopt;
}

bool CompoundFileReader::readStream(uint32_t entryIndex, std::vector<uint8_t>& out) {
    if (entryIndex >= entries_.size() || entries_[entryIndex].type != EntryType::Stream) {
        return fail("compound file: no such stream");
    }
    const DirectoryEntry& entry = entries_[entryIndex];
    if (entry.size == 0) {
        out.clear();
        return true;
    }
    if (entry.size < kMiniStreamCutoff) {
        return readChain(true, entry.startSector, entry.size, out);
    }
    return readChain(false, entry.startSector, entry.size, out);
}

bool CompoundFileReader::contiguousStream(uint32_t entryIndex, std::span<const uint8_t>& view) {
    if (entryIndex >= entries_.size() || entries_[entryIndex].type != EntryType::Stream ||
        entries_[entryIndex].size < kMiniStreamCutoff) {
        return false;
    }
    const DirectoryEntry& entry = entries_[entryIndex];
    std::vector<uint32_t> chain;
    if (!followChain(fat_, entry.startSector, sectorCount_, chain) ||
        static_cast<uint64_t>(chain.size()) * sectorSize_ < entry.size) {
        return false;
    }
    for (size_t i = 1; i < chain.size(); ++i) {
        if (chain[i] != chain[i - 1] + 1) {
            return false;
        }
    }
    const uint64_t offset = (static_cast<uint64_t>(chain[0]) + 1) << sectorShift_;
    if (offset + entry.size > bytes_.size()) {
        return false;
    }
    view = bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(entry.size));
    return true;
}

} // namespace cfb
