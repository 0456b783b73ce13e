#include "CompoundFileWriter.h"

#include "CompoundFile.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace cfb {

namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kPerSector = kSectorSize / 4;

uint32_t sectorsFor(uint64_t bytes, uint32_t unit) {
    return static_cast<uint32_t>((bytes + unit - 1) / unit);
}

// Sector allocation of the file being written: regular sectors are handed
// out in order and chained in the FAT.
class SectorPlan {
public:
    uint32_t allocate(uint32_t count, uint32_t marker = 0) {
        const uint32_t first = static_cast<uint32_t>(fat_.size());
        for (uint32_t i = 0; i < count; ++i) {
            fat_.push_back(marker != 0 ? marker : (i + 1 < count ? first + i + 1 : kEndOfChain));
        }
        return count == 0 ? kEndOfChain : first;
    }
    std::vector<uint32_t>& fat() { return fat_; }

private:
    std::vector<uint32_t> fat_;
};

struct TreeBuilder {
    std::vector<DirectoryEntry>& entries;
    // Balanced tree over sorted entries [lo, hi); returns its root.
    uint32_t build(const std::vector<uint32_t>& sorted, size_t lo, size_t hi) {
        if (lo >= hi) {
            return kNoStream;
        }
        const size_t mid = lo + (hi - lo) / 2;
        DirectoryEntry& node = entries[sorted[mid]];
        node.left = build(sorted, lo, mid);
        node.right = build(sorted, mid + 1, hi);
        return sorted[mid];
    }
};

void writeEntry(std::vector<uint8_t>& out, const DirectoryEntry& entry) {
    uint8_t e[kDirectoryEntrySize] = {};
    const size_t units = std::min<size_t>(entry.name.size(), 31);
    for (size_t i = 0; i < units; ++i) {
        le::set16(e + 2 * i, entry.name[i]);
    }
    le::set16(e + 0x40, static_cast<uint16_t>(entry.type == EntryType::Unused ? 0 : 2 * units + 2));
    e[0x42] = static_cast<uint8_t>(entry.type);
    e[0x43] = 1; // black: every node black keeps the sibling tree a valid red-black tree
    le::set32(e + 0x44, entry.left);
    le::set32(e + 0x48, entry.right);
    le::set32(e + 0x4C, entry.child);
    le::set32(e + 0x74, entry.startSector);
    le::set32(e + 0x78, static_cast<uint32_t>(entry.size));
    out.insert(out.end(), e, e + kDirectoryEntrySize);
}

void padToSector(std::vector<uint8_t>& out, uint8_t fill = 0) {
    out.resize((out.size() + kSectorSize - 1) / kSectorSize * kSectorSize, fill);
}

struct StreamShape {
    std::u16string name;
    uint64_t size = 0;
    std::span<const uint8_t> bytes; // needed only below the mini stream cutoff
};

size_t sectorPadding(uint64_t size) {
    return static_cast<size_t>((kSectorSize - size % kSectorSize) % kSectorSize);
}

// Everything of the file but the large streams' own sectors: the header, and
// what follows those sectors.  Both depend only on the streams' names and sizes
// and on the bytes of the small ones.
CompoundFileWriter::Frame makeFrame(const std::vector<StreamShape>& streams) {
    // Directory: the root, then one entry per stream.
    std::vector<DirectoryEntry> entries(1 + streams.size());
    entries[0].name = u"Root Entry";
    entries[0].type = EntryType::Root;

    std::vector<uint8_t> miniStream;
    std::vector<uint32_t> miniFat;
    for (size_t i = 0; i < streams.size(); ++i) {
        DirectoryEntry& entry = entries[i + 1];
        entry.name = streams[i].name;
        entry.type = EntryType::Stream;
        entry.size = streams[i].size;
        if (entry.size > 0 && entry.size < kMiniStreamCutoff) {
            const uint32_t count = sectorsFor(entry.size, kMiniSectorSize);
            entry.startSector = static_cast<uint32_t>(miniFat.size());
            for (uint32_t s = 0; s < count; ++s) {
                miniFat.push_back(s + 1 < count ? entry.startSector + s + 1 : kEndOfChain);
            }
            miniStream.insert(miniStream.end(), streams[i].bytes.begin(), streams[i].bytes.end());
            miniStream.resize(static_cast<size_t>(miniFat.size()) * kMiniSectorSize, 0);
        }
    }

    // Sector layout: big streams, mini stream, mini FAT, directory, then the
    // FAT and DIFAT sectors, whose number depends on everything before them.
    SectorPlan plan;
    std::vector<uint32_t> bigStart(streams.size(), kEndOfChain);
    for (size_t i = 0; i < streams.size(); ++i) {
        if (entries[i + 1].size >= kMiniStreamCutoff) {
            bigStart[i] = plan.allocate(sectorsFor(entries[i + 1].size, kSectorSize));
            entries[i + 1].startSector = bigStart[i];
        }
    }
    entries[0].startSector = plan.allocate(sectorsFor(miniStream.size(), kSectorSize));
    entries[0].size = miniStream.size();
    const uint32_t miniFatSectors = sectorsFor(miniFat.size() * 4, kSectorSize);
    const uint32_t miniFatStart = plan.allocate(miniFatSectors);
    const uint32_t dirSectors = sectorsFor(entries.size() * kDirectoryEntrySize, kSectorSize);
    const uint32_t dirStart = plan.allocate(dirSectors);

    const uint32_t used = static_cast<uint32_t>(plan.fat().size());
    uint32_t fatSectors = 1;
    uint32_t difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > kHeaderDifatCount
                           ? sectorsFor(fatSectors - kHeaderDifatCount, kPerSector - 1)
                           : 0;
        if (static_cast<uint64_t>(fatSectors) * kPerSector >= used + fatSectors + difatSectors) {
            break;
        }
        ++fatSectors;
    }
    const uint32_t fatStart = plan.allocate(fatSectors, kFatSector);
    const uint32_t difatStart = plan.allocate(difatSectors, kDifatSector);
    std::vector<uint32_t>& fat = plan.fat();
    fat.resize(static_cast<size_t>(fatSectors) * kPerSector, kFreeSector);

    std::vector<uint32_t> sorted;
    for (uint32_t i = 1; i < entries.size(); ++i) {
        sorted.push_back(i);
    }
    std::sort(sorted.begin(), sorted.end(), [&](uint32_t a, uint32_t b) {
        return compareNames(entries[a].name, entries[b].name) < 0;
    });
    entries[0].child = TreeBuilder{entries}.build(sorted, 0, sorted.size());

    std::vector<uint8_t> out(kSectorSize, 0);
    uint8_t* h = out.data();
    std::memcpy(h, kSignature, 8);
    le::set16(h + 0x18, 0x3E);
    le::set16(h + 0x1A, 3);
    le::set16(h + 0x1C, 0xFFFE);
    le::set16(h + 0x1E, 9);
    le::set16(h + 0x20, 6);
    le::set32(h + 0x2C, fatSectors);
    le::set32(h + 0x30, dirStart);
    le::set32(h + 0x38, kMiniStreamCutoff);
    le::set32(h + 0x3C, miniFatSectors ? miniFatStart : kEndOfChain);
    le::set32(h + 0x40, miniFatSectors);
    le::set32(h + 0x44, difatSectors ? difatStart : kEndOfChain);
    le::set32(h + 0x48, difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatCount; ++i) {
        le::set32(h + 0x4C + 4 * i, i < fatSectors ? fatStart + i : kFreeSector);
    }

    CompoundFileWriter::Frame frame;
    frame.header = std::move(out);
    out.clear();
    out.insert(out.end(), miniStream.begin(), miniStream.end());
    padToSector(out);
    for (uint32_t v : miniFat) {
        le::put32(out, v);
    }
    padToSector(out, 0xFF);
    for (const DirectoryEntry& entry : entries) {
        writeEntry(out, entry);
    }
    for (size_t i = entries.size(); i < dirSectors * (kSectorSize / kDirectoryEntrySize); ++i) {
        writeEntry(out, DirectoryEntry{});
    }
    for (uint32_t v : fat) {
        le::put32(out, v);
    }
    for (uint32_t d = 0; d < difatSectors; ++d) {
        for (uint32_t i = 0; i < kPerSector - 1; ++i) {
            const uint32_t index = kHeaderDifatCount + d * (kPerSector - 1) + i;
            le::put32(out, index < fatSectors ? fatStart + index : kFreeSector);
        }
        le::put32(out, d + 1 < difatSectors ? difatStart + d + 1 : kEndOfChain);
    }
    frame.trailer = std::move(out);
    return frame;
}

} // namespace

void CompoundFileWriter::addStream(std::u16string name, std::vector<uint8_t> bytes) {
    streams_.push_back({std::move(name), std::move(bytes)});
}

bool CompoundFileWriter::writeTo(const ByteWriter& write) const {
    std::vector<StreamShape> shapes;
    for (const Stream& stream : streams_) {
        shapes.push_back({stream.name, stream.bytes.size(), stream.bytes});
    }
    const Frame frame = makeFrame(shapes);
    if (!write(frame.header)) {
        return false;
    }
    // The large streams go out as they are, without a copy of the whole file.
    const std::vector<uint8_t> padding(kSectorSize, 0);
    for (const Stream& stream : streams_) {
        if (stream.bytes.size() >= kMiniStreamCutoff &&
            (!write(stream.bytes) ||
             !write(std::span(padding).first(sectorPadding(stream.bytes.size()))))) {
            return false;
        }
    }
    return write(frame.trailer);
}

CompoundFileWriter::Frame CompoundFileWriter::frameForStream(std::u16string name, uint64_t size) {
    Frame frame = makeFrame({{std::move(name), size, {}}});
    frame.trailer.insert(frame.trailer.begin(), sectorPadding(size), 0);
    return frame;
}

std::vector<uint8_t> CompoundFileWriter::finish() const {
    std::vector<uint8_t> file;
    writeTo([&](std::span<const uint8_t> bytes) {
        file.insert(file.end(), bytes.begin(), bytes.end());
        return true;
    });
    return file;
}

} // namespace cfb
