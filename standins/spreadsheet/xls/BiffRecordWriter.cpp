#include "BiffRecordWriter.h"

#include "BiffRecordIds.h"
#include "BiffRecordReader.h"
#include "LittleEndian.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstring>

namespace xls {

namespace {

void appendUnits(std::vector<uint8_t>& out, std::u16string_view units, bool wide) {
    for (char16_t u : units) {
        if (wide) {
            le::put16(out, u);
        } else {
            out.push_back(static_cast<uint8_t>(u));
        }
    }
}

} // namespace

void appendString8(std::vector<uint8_t>& out, std::u16string_view units) {
    units = units.substr(0, 255);
    const bool wide = !fitsCompressed(units);
    out.push_back(static_cast<uint8_t>(units.size()));
    out.push_back(wide ? 1 : 0);
    appendUnits(out, units, wide);
}

void appendString16(std::vector<uint8_t>& out, std::u16string_view units) {
    const bool wide = !fitsCompressed(units);
    le::put16(out, static_cast<uint16_t>(units.size()));
    out.push_back(wide ? 1 : 0);
    appendUnits(out, units, wide);
}

void appendStringBody(std::vector<uint8_t>& out, std::u16string_view units) {
    const bool wide = !fitsCompressed(units);
    out.push_back(wide ? 1 : 0);
    appendUnits(out, units, wide);
}

namespace {

// How much gathers before it is handed on: large enough for few writes, small
// enough to stay in the cache and to be reused rather than grown.
constexpr size_t kHandOnBytes = 1 << 20;

} // namespace

void BiffRecordWriter::expect(size_t bytes) {
    stream_.reserve(sink_ ? std::min(bytes, kHandOnBytes + 2 * (kMaxRecordData + 4)) : bytes);
}

bool BiffRecordWriter::handOn() {
    if (!sinkFailed_ && !stream_.empty()) {
        sinkFailed_ = !sink_(stream_);
    }
    handedOn_ += stream_.size();
    stream_.clear();
    return !sinkFailed_;
}

void BiffRecordWriter::handOnIfFull() {
    if (sink_ && !open_ && stream_.size() >= kHandOnBytes) {
        handOn();
    }
}

bool BiffRecordWriter::finish() {
    return handedOn_ == 0 || handOn();
}

void BiffRecordWriter::patch32(size_t position, uint32_t value) {
    if (position >= handedOn_) {
        le::set32(stream_.data() + (position - handedOn_), value);
    } else {
        latePatches_.push_back({position, value});
    }
}

void BiffRecordWriter::record(uint16_t id, std::span<const uint8_t> data) {
    handOnIfFull();
    if (data.size() <= kMaxRecordData) {
        const size_t at = stream_.size();
        stream_.resize(at + 4 + data.size());
        uint8_t* p = stream_.data() + at;
        le::set16(p, id);
        le::set16(p + 2, static_cast<uint16_t>(data.size()));
        if (!data.empty()) {
            std::memcpy(p + 4, data.data(), data.size());
        }
        return;
    }
    size_t offset = 0;
    do {
        const size_t take = std::min<size_t>(kMaxRecordData, data.size() - offset);
        le::put16(stream_, offset == 0 ? id : rec::Continue);
        le::put16(stream_, static_cast<uint16_t>(take));
        stream_.insert(stream_.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
                       data.begin() + static_cast<std::ptrdiff_t>(offset + take));
        offset += take;
    } while (offset < data.size());
}

void BiffRecordWriter::startSegment(uint16_t id) {
    segmentStart_ = stream_.size();
    le::put16(stream_, id);
    le::put16(stream_, 0);
    open_ = true;
}

void BiffRecordWriter::closeSegment() {
    if (open_) {
        le::set16(stream_.data() + segmentStart_ + 2,
                  static_cast<uint16_t>(stream_.size() - segmentStart_ - 4));
        open_ = false;
    }
}

size_t BiffRecordWriter::room() const {
    return kMaxRecordData - (stream_.size() - segmentStart_ - 4);
}

void BiffRecordWriter::begin(uint16_t id) {
    startSegment(id);
}

void BiffRecordWriter::reserve(size_t bytes) {
    if (room() < bytes) {
        closeSegment();
        startSegment(rec::Continue);
    }
}

void BiffRecordWriter::atomic(std::span<const uint8_t> bytes) {
    reserve(bytes.size());
    stream_.insert(stream_.end(), bytes.begin(), bytes.end());
}

void BiffRecordWriter::characters(std::u16string_view units, bool wide) {
    const size_t unit = wide ? 2 : 1;
    while (!units.empty()) {
        if (room() < unit) {
            closeSegment();
            startSegment(rec::Continue);
            stream_.push_back(wide ? 1 : 0);
        }
        const size_t take = std::min(units.size(), room() / unit);
        appendUnits(stream_, units.substr(0, take), wide);
        units.remove_prefix(take);
    }
}

void BiffRecordWriter::end() {
    closeSegment();
    handOnIfFull();
}

} // namespace xls
