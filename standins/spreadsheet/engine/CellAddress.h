#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spreadsheet {

// The grid of the binary workbook format: rows 1..65536, columns A..IV.
inline constexpr int32_t kMaxRows = 65536;
inline constexpr int32_t kMaxColumns = 256;

// A cell position, 0-based.
struct CellPosition {
    int32_t row = 0;
    int32_t column = 0;

    friend bool operator==(const CellPosition&, const CellPosition&) = default;
    friend auto operator<=>(const CellPosition& a, const CellPosition& b) {
        if (a.row != b.row)
            return a.row <=> b.row;
        return a.column <=> b.column;
    }
};

// A rectangle of cells, 0-based and inclusive.
struct CellArea {
    CellPosition first;
    CellPosition last;

    int32_t rowCount() const { return last.row - first.row + 1; }
    int32_t columnCount() const { return last.column - first.column + 1; }
    bool contains(CellPosition p) const {
        return p.row >= first.row && p.row <= last.row && p.column >= first.column &&
               p.column <= last.column;
    }
    friend bool operator==(const CellArea&, const CellArea&) = default;
};

// "A", "Z", "AA" ... for a 0-based column.
std::string columnLetters(int32_t column);
// "A1", or "$A$1" with the absolute flags.
std::string cellAddressText(CellPosition p, bool rowAbsolute = false, bool columnAbsolute = false);
// The same two, added to the end of `out`.
void appendColumnLetters(std::string& out, int32_t column);
void appendCellAddress(std::string& out, CellPosition p, bool rowAbsolute = false,
                       bool columnAbsolute = false);
// "A1" for a single cell, else "A1:B2", with the same flags on both corners.
std::string areaAddressText(const CellArea& area, bool rowAbsolute = false,
                            bool columnAbsolute = false);

// Parses "A1", "$A$1" (and lower case) inside the grid; nullopt otherwise.
std::optional<CellPosition> parseCellAddress(std::string_view text);
// Parses "A1", "A1:B2" (corners in any order), "A:A" or "1:1"; nullopt otherwise.
std::optional<CellArea> parseAreaAddress(std::string_view text);

} // namespace spreadsheet
