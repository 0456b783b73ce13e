#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace xls {

// Builds a BIFF8 workbook stream.  A record whose data passes 8224 bytes goes
// on in CONTINUE records; strings split there restate their width.
class BiffRecordWriter {
public:
    std::vector<uint8_t>& stream() { return stream_; }
    size_t position() const { return stream_.size(); }

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
    size_t segmentStart() const { return segmentStart_; }
    // Makes sure `bytes` fit in the record being written.
    void reserve(size_t bytes);

private:
    void startSegment(uint16_t id);
    void closeSegment();
    size_t room() const;

    std::vector<uint8_t> stream_;
    size_t segmentStart_ = 0;
    bool open_ = false;
};

// "cch, option byte" headers and the ShortXLUnicodeString / XLUnicodeString forms.
void appendString8(std::vector<uint8_t>& out, std::u16string_view units);
void appendString16(std::vector<uint8_t>& out, std::u16string_view units);
// The option byte and the characters alone, for records that give the count
// elsewhere (NAME).
void appendStringBody(std::vector<uint8_t>& out, std::u16string_view units);

} // namespace xls
