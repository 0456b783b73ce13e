#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace cfb {

// Where a file is written: in order, and bytes written before may be
// written again in place.
class FileSink {
public:
    virtual ~FileSink() = default;
    virtual bool write(std::span<const uint8_t> bytes) = 0;
    virtual bool rewrite(uint64_t offset, std::span<const uint8_t> bytes) = 0;
};

// Writes a version 3 Compound File (512-byte sectors) whose root storage holds
// the given streams.  Streams under 4096 bytes go into the mini stream.
class CompoundFileWriter {
public:
    // Takes each piece of the file in order; false stops the writing.
    using ByteWriter = std::function<bool(std::span<const uint8_t>)>;

    void addStream(std::u16string name, std::vector<uint8_t> bytes);
    bool writeTo(const ByteWriter& write) const;
    std::vector<uint8_t> finish() const;

    static constexpr size_t kHeaderBytes = 512;

    // A file's sectors around its large streams: the header comes first, the
    // streams' sectors follow, then the trailer.
    struct Frame {
        std::vector<uint8_t> header;
        std::vector<uint8_t> trailer;
    };
    // The frame of a file whose one stream, of at least the mini stream cutoff
    // (4096 bytes), is written piece by piece as it is made: its bytes start
    // right after the header, and the header, which depends on the stream's
    // size, can be put in place last.  The trailer starts with the padding of
    // the stream's last sector.  The file is the same as writeTo() makes.
    static Frame frameForStream(std::u16string name, uint64_t size);

private:
    struct Stream {
        std::u16string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Stream> streams_;
};

} // namespace cfb
