#pragma once

#include "CellValue.h"
#include "FormulaAst.h"

#include <cstdint>
#include <string>

namespace spreadsheet {

// Horizontal alignment, by the application's published constants.
enum class HorizontalAlignment : int32_t {
    General = 1,
    Left = -4131,
    Center = -4108,
    Right = -4152,
    Fill = 5,
    Justify = -4130,
    CenterAcrossSelection = 7,
    Distributed = -4117,
};

// Underline styles, by the application's published constants.
inline constexpr int32_t kUnderlineNone = -4142;
inline constexpr int32_t kUnderlineSingle = 2;
inline constexpr int32_t kUnderlineDouble = -4119;
inline constexpr int32_t kUnderlineSingleAccounting = 4;
inline constexpr int32_t kUnderlineDoubleAccounting = 5;

struct CellFormat {
    std::string numberFormat = "General"; // format code text, UTF-8
    bool bold = false;
    bool italic = false;
    int32_t underline = kUnderlineNone;
    HorizontalAlignment alignment = HorizontalAlignment::General;

    bool isDefault() const { return *this == CellFormat{}; }
    friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

// A cell that holds a value, a formula or a format.  For a formula cell, value
// is the last computed result (Sheet/Workbook keep it up to date).
struct Cell {
    CellValue value;
    FormulaPtr formula; // null unless the cell holds a formula
    CellFormat format;

    bool hasFormula() const { return formula != nullptr; }
    // Nothing in it: such a cell is dropped from its sheet.
    bool isBlank() const { return value.isEmpty() && !formula && format.isDefault(); }
};

} // namespace spreadsheet
