#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <memory>
#include <utility>
#include <vector>

namespace sheaf {

// Leaves new bytes uninitialised on resize: a record read from a file is
// overwritten at once, and zeroing it first would touch every byte twice.
template <typename T> struct DefaultInitAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = DefaultInitAllocator<U>; };
    using std::allocator<T>::allocator;
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// One record's bytes.  Integers inside a record are big-endian; strings are a
// length word followed by the bytes, without terminator.  The read position is
// held by the caller, so one buffer can be read by several readers at once.
class RecordBuffer {
public:
    RecordBuffer() = default;
    explicit RecordBuffer(std::span<const uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}

    void appendWord(uint32_t value);
    void appendByte(uint8_t value);
    void appendString(std::string_view text);
    void appendBuffer(const RecordBuffer& other);
    void assign(const RecordBuffer& other) { bytes_ = other.bytes_; }
    void clear() { decltype(bytes_)().swap(bytes_); }
    // Empty again but keeping its room, for a buffer filled over and over.
    void rewind() { bytes_.clear(); }

    // Each reader throws SHEAF_E_DATA when the bytes it needs are not all
    // inside the buffer, and then leaves the position unchanged.
    uint32_t readWord(int32_t& position) const;
    uint8_t readByte(int32_t& position) const;
    void readString(int32_t& position, std::string& text) const;

    int32_t size() const { return static_cast<int32_t>(bytes_.size()); }
    const uint8_t* data() const { return bytes_.data(); }
    std::span<const uint8_t> bytes() const { return bytes_; }

    // Room for a record being filled from a file, without zeroing it twice.
    std::span<uint8_t> resizeForOverwrite(size_t size);

    friend bool operator==(const RecordBuffer&, const RecordBuffer&) = default;

private:
    // Throws unless `count` bytes starting at `position` are inside the buffer.
    void requireBytes(int32_t position, uint64_t count) const;

    std::vector<uint8_t, DefaultInitAllocator<uint8_t>> bytes_;
};

} // namespace sheaf
