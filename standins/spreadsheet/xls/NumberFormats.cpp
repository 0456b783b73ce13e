#include "NumberFormats.h"

namespace xls {

namespace {

struct BuiltIn {
    uint16_t index;
    const char* format;
    bool portable; // the currency and accounting ones follow the locale
};

constexpr BuiltIn kBuiltIns[] = {
    {0, "General", true},
    {1, "0", true},
    {2, "0.00", true},
    {3, "#,##0", true},
    {4, "#,##0.00", true},
    {5, "\"$\"#,##0_);(\"$\"#,##0)", false},
    {6, "\"$\"#,##0_);[Red](\"$\"#,##0)", false},
    {7, "\"$\"#,##0.00_);(\"$\"#,##0.00)", false},
    {8, "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)", false},
    {9, "0%", true},
    {10, "0.00%", true},
    {11, "0.00E+00", true},
    {12, "# ?/?", true},
    {13, "# ?\?/??", true},
    {14, "m/d/yy", false},
    {15, "d-mmm-yy", true},
    {16, "d-mmm", true},
    {17, "mmm-yy", true},
    {18, "h:mm AM/PM", true},
    {19, "h:mm:ss AM/PM", true},
    {20, "h:mm", true},
    {21, "h:mm:ss", true},
    {22, "m/d/yy h:mm", false},
    {37, "#,##0_);(#,##0)", true},
    {38, "#,##0_);[Red](#,##0)", true},
    {39, "#,##0.00_);(#,##0.00)", true},
    {40, "#,##0.00_);[Red](#,##0.00)", true},
    {41, "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)", false},
    {42, "_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)", false},
    {43, "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)", false},
    {44, "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"??_);_(@_)", false},
    {45, "mm:ss", true},
    {46, "[h]:mm:ss", true},
    {47, "mm:ss.0", true},
    {48, "##0.0E+0", true},
    {49, "@", true},
};

} // namespace

std::string builtInNumberFormat(uint16_t index) {
    for (const BuiltIn& b : kBuiltIns) {
        if (b.index == index) {
            return b.format;
        }
    }
    return {};
}

int portableBuiltInIndex(const std::string& format) {
    for (const BuiltIn& b : kBuiltIns) {
        if (b.portable && format == b.format) {
            return b.index;
        }
    }
    return -1;
}

} // namespace xls
