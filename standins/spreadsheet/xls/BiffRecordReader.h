#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Records of a BIFF8 workbook stream: a 16-bit identifier, a 16-bit length and
// the data.  Records longer than 8224 bytes carry on in CONTINUE records.
namespace xls {

inline constexpr uint16_t kMaxRecordData = 8224;

struct BiffRecord {
    uint16_t id = 0;
    size_t offset = 0; // of the record header in the stream
    std::span<const uint8_t> data;
};

class BiffRecordReader {
public:
    explicit BiffRecordReader(std::span<const uint8_t> stream) : stream_(stream) {}

    // False at the end of the stream or at a record the stream holds only in part
    // (truncated() tells which).
    bool next(BiffRecord& record);
    uint16_t peekId() const;
    bool truncated() const { return truncated_; }
    void seek(size_t offset) { position_ = offset; }
    size_t position() const { return position_; }

private:
    std::span<const uint8_t> stream_;
    size_t position_ = 0;
    bool truncated_ = false;
};

// The data of one record and its CONTINUE records, read as one sequence.
// Reads past the end set failed() and give zeros; a caller checks once at the end.
class RecordCursor {
public:
    void append(std::span<const uint8_t> segment) { segments_.push_back(segment); }

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    double f64();
    void skip(size_t count);
    // A string of `chars` characters whose option byte comes first.  When the
    // character data reaches the end of a segment, the next one starts with a
    // fresh option byte that says whether the rest is compressed.
    std::string unicodeString(uint32_t chars);
    // Character count (16-bit) and option byte, then the string, then any rich
    // text runs and phonetic block, which are skipped.
    std::string unicodeString16();
    std::string unicodeString8();
    bool atEnd();
    bool failed() const { return failed_; }
    size_t remainingInSegment() const;

private:
    bool ensure();
    std::string unicodeBody(uint32_t chars, uint8_t options);

    std::vector<std::span<const uint8_t>> segments_;
    size_t segment_ = 0;
    size_t offset_ = 0;
    bool failed_ = false;
};

} // namespace xls
