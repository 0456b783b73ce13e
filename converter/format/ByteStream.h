#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sheaf {

// Where an encoded document goes.  write() returns false when the bytes could
// not all be written.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
};

// Where an encoded document comes from.  remaining() bounds what a reader may
// allocate, so that a hostile length can never ask for more than the input holds.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool read(std::span<uint8_t> bytes) = 0;
    virtual uint64_t remaining() const = 0;
};

class VectorSink final : public ByteSink {
public:
    bool write(std::span<const uint8_t> bytes) override {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return true;
    }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool read(std::span<uint8_t> out) override;
    uint64_t remaining() const override { return bytes_.size() - position_; }

private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

} // namespace sheaf
