#pragma once

#include "CellValue.h"
#include "Chart.h"
#include "FormulaAst.h"

#include <cstdint>
#include <string>
#include <vector>

// A workbook as the BIFF8 codec sees it: the file's fonts and styles resolved
// per cell, texts UTF-8.  The engine's workbook is filled from this and back
// (XlsWorkbookMapping.h); the codec is tested on it directly.
namespace xls {

using spreadsheet::CellValue;
using spreadsheet::ErrorCode;
using spreadsheet::ValueKind;

// Underline styles as the FONT record stores them.
enum class Underline : uint8_t {
    None = 0x00,
    Single = 0x01,
    Double = 0x02,
    SingleAccounting = 0x21,
    DoubleAccounting = 0x22,
};

struct Font {
    std::string name = "Arial";
    uint16_t heightTwips = 200;
    bool bold = false;
    bool italic = false;
    Underline underline = Underline::None;
    bool strikeout = false;
    uint16_t colorIndex = 0x7FFF; // automatic
    bool operator==(const Font&) const = default;
};

// Horizontal alignment as the XF record stores it.
enum class HorizontalAlignment : uint8_t {
    General = 0,
    Left = 1,
    Center = 2,
    Right = 3,
    Fill = 4,
    Justify = 5,
    CenterAcross = 6,
    Distributed = 7,
};

struct CellStyle {
    Font font;
    std::string numberFormat = "General";
    HorizontalAlignment horizontal = HorizontalAlignment::General;
    bool operator==(const CellStyle&) const = default;
};

struct Cell {
    uint16_t row = 0;
    uint16_t column = 0;
    uint32_t style = 0;              // index into Book::styles
    CellValue value;                 // for a formula, its last result
    spreadsheet::FormulaPtr formula; // null for a plain value
    friend bool operator==(const Cell& a, const Cell& b) {
        return a.row == b.row && a.column == b.column && a.style == b.style && a.value == b.value &&
               (a.formula ? a.formula->text : std::string()) ==
                   (b.formula ? b.formula->text : std::string());
    }
};

struct ColumnInfo {
    uint16_t first = 0;
    uint16_t last = 0;
    uint16_t width = 2340; // in 1/256 of a character width
    uint32_t style = 0;
    bool hidden = false;
    bool operator==(const ColumnInfo&) const = default;
};

enum class SheetKind : uint8_t { Worksheet, Chart };

struct Sheet {
    std::string name;
    SheetKind kind = SheetKind::Worksheet;
    std::vector<Cell> cells; // ordered by row, then column
    std::vector<ColumnInfo> columns;
    uint16_t defaultColumnWidth = 8;              // characters
    spreadsheet::Chart chart;                     // a chart sheet's chart
    std::vector<spreadsheet::ChartObject> charts; // a worksheet's embedded charts
    bool operator==(const Sheet&) const = default;
};

// A NAME record that formulas can use.
struct DefinedName {
    std::string name;
    int32_t sheet = -1; // index into Book::sheets; -1 for the whole workbook
    spreadsheet::FormulaPtr refersTo;
    friend bool operator==(const DefinedName& a, const DefinedName& b) {
        return a.name == b.name && a.sheet == b.sheet &&
               (a.refersTo ? a.refersTo->text : std::string()) ==
                   (b.refersTo ? b.refersTo->text : std::string());
    }
};

struct Book {
    std::vector<Sheet> sheets;
    std::vector<DefinedName> names;
    std::vector<CellStyle> styles{CellStyle{}}; // styles[0] is the default
    uint32_t activeSheet = 0;
    bool date1904 = false;
    bool operator==(const Book&) const = default;
};

inline constexpr uint32_t kMaxRows = 65536;
inline constexpr uint32_t kMaxColumns = 256;

} // namespace xls
