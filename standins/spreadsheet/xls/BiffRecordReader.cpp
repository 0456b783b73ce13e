#include "BiffRecordReader.h"

#include "BiffRecordIds.h"
#include "LittleEndian.h"
#include "TextCodec.h"

#include <algorithm>

namespace xls {

bool BiffRecordReader::next(BiffRecord& record) {
    if (position_ + 4 > stream_.size()) {
        truncated_ = position_ < stream_.size();
        return false;
    }
    const uint8_t* header = stream_.data() + position_;
    const uint16_t length = le::u16(header + 2);
    if (position_ + 4 + length > stream_.size()) {
        truncated_ = true;
        return false;
    }
    record.id = le::u16(header);
    record.offset = position_;
    record.data = stream_.subspan(position_ + 4, length);
    position_ += 4 + length;
    return true;
}

uint16_t BiffRecordReader::peekId() const {
    if (position_ + 4 > stream_.size()) {
        return 0;
    }
    return le::u16(stream_.data() + position_);
}

bool RecordCursor::ensure() {
    while (segment_ < segments_.size() && offset_ >= segments_[segment_].size()) {
        ++segment_;
        offset_ = 0;
    }
    if (segment_ >= segments_.size()) {
        failed_ = true;
        return false;
    }
    return true;
}

bool RecordCursor::atEnd() {
    while (segment_ < segments_.size() && offset_ >= segments_[segment_].size()) {
        ++segment_;
        offset_ = 0;
    }
    return segment_ >= segments_.size();
}

size_t RecordCursor::remainingInSegment() const {
    return segment_ < segments_.size() ? segments_[segment_].size() - offset_ : 0;
}

uint8_t RecordCursor::u8() {
    if (failed_ || !ensure()) {
        return 0;
    }
    return segments_[segment_][offset_++];
}

uint16_t RecordCursor::u16() {
    const uint8_t lo = u8();
    return static_cast<uint16_t>(lo | (u8() << 8));
}

uint32_t RecordCursor::u32() {
    const uint16_t lo = u16();
    return lo | (static_cast<uint32_t>(u16()) << 16);
}

double RecordCursor::f64() {
    uint8_t bytes[8];
    for (uint8_t& b : bytes) {
        b = u8();
    }
    return le::f64(bytes);
}

void RecordCursor::skip(size_t count) {
    while (count > 0 && !failed_ && ensure()) {
        const size_t take = std::min(count, segments_[segment_].size() - offset_);
        offset_ += take;
        count -= take;
    }
}

namespace {

// Appends the ASCII characters from `from` on in one go and gives the place of
// the first other one (or `end`).
size_t appendAsciiRun(std::string& out, std::span<const uint8_t> units, bool wide, size_t from,
                      size_t end) {
    size_t to = from;
    if (!wide) {
        while (to < end && units[to] < 0x80) {
            ++to;
        }
        out.append(reinterpret_cast<const char*>(units.data()) + from, to - from);
        return to;
    }
    while (to < end && units[2 * to] < 0x80 && units[2 * to + 1] == 0) {
        ++to;
    }
    const size_t at = out.size();
    out.resize(at + (to - from));
    for (size_t i = from; i < to; ++i) {
        out[at + (i - from)] = static_cast<char>(units[2 * i]);
    }
    return to;
}

} // namespace

std::string RecordCursor::unicodeBody(uint32_t chars, uint8_t options) {
    std::string out;
    char16_t pending = 0;
    bool wide = (options & 0x01) != 0;
    uint32_t left = chars;
    while (left > 0 && !failed_) {
        if (remainingInSegment() == 0) {
            // A string that goes on in a CONTINUE record restates its width there.
            if (atEnd()) {
                failed_ = true;
                break;
            }
            wide = (u8() & 0x01) != 0;
            continue;
        }
        // The characters this segment holds are taken in one go; only a wide
        // character cut by the segment's end goes through the cursor.
        const std::span<const uint8_t> rest = segments_[segment_].subspan(offset_);
        const size_t run = std::min<size_t>(left, wide ? rest.size() / 2 : rest.size());
        if (run == 0) {
            appendUtf16(out, u16(), pending);
            --left;
            continue;
        }
        out.reserve(out.size() + run);
        for (size_t i = 0; i < run;) {
            if (pending == 0) {
                i = appendAsciiRun(out, rest, wide, i, run); // most text is ASCII
                if (i == run) {
                    break;
                }
            }
            appendUtf16(out,
                        wide ? static_cast<char16_t>(rest[2 * i] | (rest[2 * i + 1] << 8))
                             : static_cast<char16_t>(rest[i]),
                        pending);
            ++i;
        }
        offset_ += wide ? 2 * run : run;
        left -= static_cast<uint32_t>(run);
    }
    if (pending != 0) {
        out += "\xEF\xBF\xBD";
    }
    return out;
}

std::string RecordCursor::unicodeString(uint32_t chars) {
    const uint8_t options = u8();
    uint16_t runs = 0;
    uint32_t phonetic = 0;
    if (options & 0x08) {
        runs = u16();
    }
    if (options & 0x04) {
        phonetic = u32();
    }
    std::string text = unicodeBody(chars, options);
    skip(4u * runs);
    skip(phonetic);
    return text;
}

std::string RecordCursor::unicodeString16() {
    return unicodeString(u16());
}

std::string RecordCursor::unicodeString8() {
    return unicodeString(u8());
}

} // namespace xls
