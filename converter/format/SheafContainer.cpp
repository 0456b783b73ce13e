#include "SheafContainer.h"

#include "SheafResult.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sheaf {

bool SpanSource::read(std::span<uint8_t> out) {
    if (out.size() > remaining()) {
        return false;
    }
    if (out.empty()) {
        return true; // an empty record has no storage to copy into
    }
    std::memcpy(out.data(), bytes_.data() + position_, out.size());
    position_ += out.size();
    return true;
}

namespace {

std::array<uint8_t, 4> littleEndian(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

bool readLittleEndian(ByteSource& source, int32_t& value) {
    std::array<uint8_t, 4> b{};
    if (!source.read(b)) {
        return false;
    }
    value =
        static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                             static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
    return true;
}

int32_t decodeRecords(ByteSource& source, SheafDocument& document) {
    std::array<uint8_t, 4> magic{};
    int32_t count = 0;
    if (!source.read(magic) || magic != kSheafMagic || !readLittleEndian(source, count)) {
        return kResultReadFault;
    }
    if (count <= 0) {
        return kResultOk;
    }
    // Every record needs at least its length word: a count the input cannot
    // hold is refused before anything is allocated for it.
    if (static_cast<uint64_t>(count) > source.remaining() / 4) {
        return kResultReadFault;
    }
    // Reserve for the usual few records only: a file of empty records may
    // legitimately hold millions, and those grow the array as they come.
    document.reserve(std::min<size_t>(static_cast<size_t>(count), 4096));
    for (int32_t i = 0; i < count; ++i) {
        int32_t length = 0;
        if (!readLittleEndian(source, length) || length < 0 ||
            static_cast<uint64_t>(length) > source.remaining()) {
            return kResultReadFault;
        }
        RecordBuffer record;
        if (!source.read(record.resizeForOverwrite(static_cast<size_t>(length)))) {
            return kResultReadFault;
        }
        document.append(std::move(record));
    }
    return kResultOk;
}

} // namespace

int32_t encodeDocument(const SheafDocument& document, ByteSink& sink) {
    const int32_t count = std::max(document.recordCount(), 0);
    if (!sink.write(kSheafMagic) || !sink.write(littleEndian(count))) {
        return kResultWriteFault;
    }
    for (const RecordBuffer& record : document.records()) {
        if (!sink.write(littleEndian(record.size())) || !sink.write(record.bytes())) {
            return kResultWriteFault;
        }
    }
    return kResultOk;
}

int32_t decodeDocument(ByteSource& source, SheafDocument& document) {
    document.clear();
    int32_t result = kResultOk;
    try {
        result = decodeRecords(source, document);
    } catch (const std::bad_alloc&) {
        result = kResultOutOfMemory;
    }
    if (result != kResultOk) {
        document.clear();
    }
    return result;
}

uint64_t encodedSize(const SheafDocument& document) {
    uint64_t size = kSheafMagic.size() + 4;
    for (const RecordBuffer& record : document.records()) {
        size += 4 + static_cast<uint64_t>(record.size());
    }
    return size;
}

std::vector<uint8_t> encodeDocument(const SheafDocument& document) {
    VectorSink sink;
    sink.bytes().reserve(encodedSize(document));
    encodeDocument(document, sink);
    return std::move(sink.bytes());
}

int32_t decodeDocument(std::span<const uint8_t> bytes, SheafDocument& document) {
    SpanSource source(bytes);
    return decodeDocument(source, document);
}

} // namespace sheaf
