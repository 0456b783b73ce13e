#include "CellValue.h"

#include <cctype>

namespace spreadsheet {

namespace {

struct ErrorName {
    ErrorCode code;
    const char* text;
};

constexpr ErrorName kErrorNames[] = {
    {ErrorCode::Null, "#NULL!"}, {ErrorCode::Div0, "#DIV/0!"}, {ErrorCode::Value, "#VALUE!"},
    {ErrorCode::Ref, "#REF!"},   {ErrorCode::Name, "#NAME?"},  {ErrorCode::Num, "#NUM!"},
    {ErrorCode::NA, "#N/A"},
};

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return i == a.size() && b[i] == 0;
}

} // namespace

const char* errorText(ErrorCode code) {
    for (const auto& e : kErrorNames) {
        if (e.code == code)
            return e.text;
    }
    return "#NULL!";
}

bool parseErrorText(const std::string& text, ErrorCode& code) {
    for (const auto& e : kErrorNames) {
        if (equalsIgnoringCase(text, e.text)) {
            code = e.code;
            return true;
        }
    }
    return false;
}

} // namespace spreadsheet
