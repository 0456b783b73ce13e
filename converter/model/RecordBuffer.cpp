#include "RecordBuffer.h"

#include "SheafError.h"

#include <algorithm>

namespace sheaf {

void RecordBuffer::appendWord(uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    bytes_.insert(bytes_.end(), bytes, bytes + 4);
}

void RecordBuffer::appendByte(uint8_t value) {
    bytes_.push_back(value);
}

void RecordBuffer::appendString(std::string_view text) {
    appendWord(static_cast<uint32_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void RecordBuffer::appendBuffer(const RecordBuffer& other) {
    // Appending a buffer to itself must copy the bytes as they were.
    if (&other == this) {
        const size_t size = bytes_.size();
        bytes_.resize(size * 2);
        std::copy_n(bytes_.begin(), size, bytes_.begin() + static_cast<std::ptrdiff_t>(size));
        return;
    }
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
}

void RecordBuffer::requireBytes(int32_t position, uint64_t count) const {
    if (position < 0 || static_cast<uint64_t>(position) + count > bytes_.size()) {
        throwDataError();
    }
}

uint32_t RecordBuffer::readWord(int32_t& position) const {
    requireBytes(position, 4);
    const uint8_t* p = bytes_.data() + position;
    position += 4;
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

uint8_t RecordBuffer::readByte(int32_t& position) const {
    requireBytes(position, 1);
    return bytes_[position++];
}

void RecordBuffer::readString(int32_t& position, std::string& text) const {
    text.clear();
    int32_t cursor = position;
    const uint32_t length = readWord(cursor);
    requireBytes(cursor, length);
    const char* start = reinterpret_cast<const char*>(bytes_.data()) + cursor;
    text.assign(start, length);
    position = cursor + static_cast<int32_t>(length);
}

std::span<uint8_t> RecordBuffer::resizeForOverwrite(size_t size) {
    bytes_.resize(size);
    return bytes_;
}

} // namespace sheaf
