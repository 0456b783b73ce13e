#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace cfb {

// Writes a version 3 Compound File (512-byte sectors) whose root storage holds
// the given streams.  Streams under 4096 bytes go into the mini stream.
class CompoundFileWriter {
public:
    // Takes each piece of the file in order; false stops the writing.
    using ByteWriter = std::function<bool(std::span<const uint8_t>)>;

    void addStream(std::u16string name, std::vector<uint8_t> bytes);
    bool writeTo(const ByteWriter& write) const;
    std::vector<uint8_t> finish() const;

private:
    struct Stream {
        std::u16string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Stream> streams_;
};

} // namespace cfb
