#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quire::addin {

// Field ids of a "Quire" record; every value is an array of bytes.
enum FieldId : short {
    FIELD_ID = 1,
    FIELD_NAME = 2,
    FIELD_PARENT = 3,
    FIELD_SIZE = 4,
    FIELD_TIME = 5,
    FIELD_CHANGED = 6,
    FIELD_DATAPART = 7,
    FIELD_DATA = 8,
};

// A text field's value: its bytes up to the first zero byte.
std::string FieldText(std::span<const uint8_t> bytes);

// The decimal value at the start of a text, read as the C library's atoi
// reads it (leading blanks, a sign, digits up to the first other character),
// held to the 32-bit range: the handheld's texts are not trusted to fit.
int32_t FieldNumber(std::string_view text);

// A record time, "yyyymmddhhmmss" in the handheld's local time.
struct RecordTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
// Fields the text does not hold stay 0.
RecordTime ParseRecordTimeText(const std::string& text);
std::string FormatRecordTimeText(const RecordTime& time);

// Fields 1 to 7 of a record as texts.
struct RecordTexts {
    std::string id;
    std::string name;
    std::string parent;
    std::string size;
    std::string time;
    std::string changed;
    std::string part;
};

// What fields 1 to 7 say about the entry.
struct RecordHeader {
    std::wstring path;
    int32_t id = -1;
    int32_t size = 0; // negative for a folder
    bool changed = false;
    int32_t part = 0;
    RecordTime time;

    bool isFolder() const { return size < 0; }
    // A size of exactly -1 marks a record without data.
    bool hasData() const { return size != -1; }
};

// Nothing when the record would place its entry outside the sync folder.
std::optional<RecordHeader> DecodeRecordHeader(const RecordTexts& texts);

} // namespace quire::addin
