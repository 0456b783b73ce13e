#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace xls {

// Builds a BIFF8 workbook stream.  A record whose data passes 8224 bytes goes
// on in CONTINUE records; strings split there restate their width.
class BiffRecordWriter {
public:
    using Sink = std::function<bool(std::span<const uint8_t>)>;
    // Four bytes to put at a stream position that was handed on before they
    // were known.
    struct LatePatch {
        size_t position = 0;
        uint32_t value = 0;
    };

    // Without a sink the whole stream stays in stream().  With one, finished
    // records are handed on whenever a megabyte has gathered, so that a large
    // stream is never held whole; finish() hands on the rest.
    void handTo(Sink sink) { sink_ = std::move(sink); }
    // Room for a stream of about `bytes`: all of it when the stream stays here.
    void expect(size_t bytes);
    // What has not been handed on; the whole stream when nothing has been.
    std::vector<uint8_t>& stream() { return stream_; }
    size_t position() const { return handedOn_ + stream_.size(); }
    size_t handedOn() const { return handedOn_; }
    // Once something was handed on, hands on the rest.  False when the sink
    // failed, now or earlier.
    bool finish();
    // Puts `value` at `position`, or keeps it in latePatches() when the bytes
    // there were handed on already.
    void patch32(size_t position, uint32_t value);
    const std::vector<LatePatch>& latePatches() const { return latePatches_; }

    // A whole record; data past the limit spills into CONTINUE records.
    void record(uint16_t id, std::span<const uint8_t> data);

    // A record built piece by piece.
    void begin(uint16_t id);
    // Bytes that must stay together in one record.
    void atomic(std::span<const uint8_t> bytes);
    // The character data of a string whose header was written with atomic();
    // `wide` as stated in that header.
    void characters(std::u16string_view units, bool wide);
    void end();
    // Where the record (or CONTINUE record) being written starts.
    size_t segmentStart() const { return handedOn_ + segmentStart_; }
    // Makes sure `bytes` fit in the record being written.
    void reserve(size_t bytes);

private:
    void handOnIfFull();
    bool handOn();
    void startSegment(uint16_t id);
    void closeSegment();
    size_t room() const;

    std::vector<uint8_t> stream_;
    size_t segmentStart_ = 0; // in stream_
    bool open_ = false;
    Sink sink_;
    size_t handedOn_ = 0;
    bool sinkFailed_ = false;
    std::vector<LatePatch> latePatches_;
};

// "cch, option byte" headers and the ShortXLUnicodeString / XLUnicodeString forms.
void appendString8(std::vector<uint8_t>& out, std::u16string_view units);
void appendString16(std::vector<uint8_t>& out, std::u16string_view units);
// The option byte and the characters alone, for records that give the count
// elsewhere (NAME).
void appendStringBody(std::vector<uint8_t>& out, std::u16string_view units);

} // namespace xls
