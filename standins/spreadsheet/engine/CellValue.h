#pragma once

#include <cstdint>
#include <string>

namespace spreadsheet {

enum class ValueKind : uint8_t { Empty, Number, Text, Boolean, Error };

// Error values carry the codes of the binary workbook format; the automation
// error variant of each one is 0x800A0000 | (2000 + code).
enum class ErrorCode : uint8_t {
    Null = 0x00,
    Div0 = 0x07,
    Value = 0x0F,
    Ref = 0x17,
    Name = 0x1D,
    Num = 0x24,
    NA = 0x2A,
};

// "#DIV/0!" and the like; "#NULL!" for an unknown code.
const char* errorText(ErrorCode code);
// Parses an error literal exactly as written (case-insensitive); false when it is none.
bool parseErrorText(const std::string& text, ErrorCode& code);

// One computed or entered value.  Texts are UTF-8.
struct CellValue {
    // The small members first, in one word: a sheet holds a value per cell.
    ValueKind kind = ValueKind::Empty;
    bool boolean = false;            // Boolean
    ErrorCode error = ErrorCode::NA; // Error
    double number = 0;               // Number
    std::string text;                // Text

    static CellValue empty() { return {}; }
    static CellValue fromNumber(double n) {
        CellValue v;
        v.kind = ValueKind::Number;
        v.number = n;
        return v;
    }
    static CellValue fromText(std::string s) {
        CellValue v;
        v.kind = ValueKind::Text;
        v.text = std::move(s);
        return v;
    }
    static CellValue fromBoolean(bool b) {
        CellValue v;
        v.kind = ValueKind::Boolean;
        v.boolean = b;
        return v;
    }
    static CellValue fromError(ErrorCode e) {
        CellValue v;
        v.kind = ValueKind::Error;
        v.error = e;
        return v;
    }

    bool isEmpty() const { return kind == ValueKind::Empty; }
    bool isError() const { return kind == ValueKind::Error; }

    friend bool operator==(const CellValue& a, const CellValue& b) {
        if (a.kind != b.kind)
            return false;
        switch (a.kind) {
        case ValueKind::Empty:
            return true;
        case ValueKind::Number:
            return a.number == b.number;
        case ValueKind::Text:
            return a.text == b.text;
        case ValueKind::Boolean:
            return a.boolean == b.boolean;
        case ValueKind::Error:
            return a.error == b.error;
        }
        return false;
    }
};

} // namespace spreadsheet
