#include "RecordFields.h"

#include "RecordPath.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace quire::addin {

std::string FieldText(std::span<const uint8_t> bytes) {
    auto zero = std::find(bytes.begin(), bytes.end(), uint8_t(0));
    return std::string(bytes.begin(), zero);
}

int32_t FieldNumber(std::string_view text) {
    size_t at = 0;
    // The C library's blanks: space, tab, line feed, vertical tab, form feed, return.
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min<int64_t>(value * 10 + (text[at] - '0'), kLimit);
    }
    if (negative) {
        return static_cast<int32_t>(-value);
    }
    return static_cast<int32_t>(std::min<int64_t>(value, kLimit - 1));
}

RecordTime ParseRecordTimeText(const std::string& text) {
    RecordTime time;
    std::sscanf(text.c_str(), "%4d%2d%2d%2d%2d%2d", &time.year, &time.month, &time.day, &time.hour,
                &time.minute, &time.second);
    return time;
}

std::string FormatRecordTimeText(const RecordTime& time) {
    char text[80];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return text;
}

std::optional<RecordHeader> DecodeRecordHeader(const RecordTexts& texts) {
    std::optional<std::wstring> path = recordEntryPath(texts.parent, texts.name);
    if (!path) {
        return std::nullopt;
    }
    RecordHeader header;
    header.path = std::move(*path);
    header.id = FieldNumber(texts.id);
    header.size = FieldNumber(texts.size);
    header.changed = FieldNumber(texts.changed) != 0;
    header.part = FieldNumber(texts.part);
    header.time = ParseRecordTimeText(texts.time);
    return header;
}

} // namespace quire::addin
