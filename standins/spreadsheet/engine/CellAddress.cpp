#include "CellAddress.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>

namespace spreadsheet {

std::string columnLetters(int32_t column) {
    std::string letters;
    appendColumnLetters(letters, column);
    return letters;
}

void appendColumnLetters(std::string& out, int32_t column) {
    char letters[8];
    char* first = std::end(letters);
    for (int32_t n = column + 1; n > 0 && first != letters; n = (n - 1) / 26)
        *--first = static_cast<char>('A' + (n - 1) % 26);
    out.append(first, std::end(letters));
}

std::string cellAddressText(CellPosition p, bool rowAbsolute, bool columnAbsolute) {
    std::string text;
    appendCellAddress(text, p, rowAbsolute, columnAbsolute);
    return text;
}

void appendCellAddress(std::string& out, CellPosition p, bool rowAbsolute, bool columnAbsolute) {
    if (columnAbsolute)
        out += '$';
    appendColumnLetters(out, p.column);
    if (rowAbsolute)
        out += '$';
    char digits[16];
    const auto [end, ec] = std::to_chars(std::begin(digits), std::end(digits), int64_t{p.row} + 1);
    out.append(digits, end);
}

std::string areaAddressText(const CellArea& area, bool rowAbsolute, bool columnAbsolute) {
    std::string text = cellAddressText(area.first, rowAbsolute, columnAbsolute);
    if (area.first != area.last)
        text += ':' + cellAddressText(area.last, rowAbsolute, columnAbsolute);
    return text;
}

namespace {

// Reads "$" and column letters; -1 when there are none or they leave the grid.
int32_t readColumn(std::string_view text, size_t& pos) {
    if (pos < text.size() && text[pos] == '$')
        ++pos;
    int32_t column = 0;
    size_t start = pos;
    while (pos < text.size() && std::isalpha(static_cast<unsigned char>(text[pos]))) {
        column = column * 26 + (std::toupper(static_cast<unsigned char>(text[pos])) - 'A' + 1);
        if (column > kMaxColumns)
            return -1;
        ++pos;
    }
    return pos == start ? -1 : column - 1;
}

int32_t readRow(std::string_view text, size_t& pos) {
    if (pos < text.size() && text[pos] == '$')
        ++pos;
    int32_t row = 0;
    size_t start = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        row = row * 10 + (text[pos] - '0');
        if (row > kMaxRows)
            return -1;
        ++pos;
    }
    return pos == start || row == 0 ? -1 : row - 1;
}

CellArea normalised(CellPosition a, CellPosition b) {
    return {{std::min(a.row, b.row), std::min(a.column, b.column)},
            {std::max(a.row, b.row), std::max(a.column, b.column)}};
}

} // namespace

std::optional<CellPosition> parseCellAddress(std::string_view text) {
    size_t pos = 0;
    int32_t column = readColumn(text, pos);
    if (column < 0)
        return std::nullopt;
    int32_t row = readRow(text, pos);
    if (row < 0 || pos != text.size())
        return std::nullopt;
    return CellPosition{row, column};
}

std::optional<CellArea> parseAreaAddress(std::string_view text) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        auto cell = parseCellAddress(text);
        if (!cell)
            return std::nullopt;
        return CellArea{*cell, *cell};
    }
    std::string_view left = text.substr(0, colon), right = text.substr(colon + 1);
    auto a = parseCellAddress(left), b = parseCellAddress(right);
    if (a && b)
        return normalised(*a, *b);
    size_t p1 = 0, p2 = 0;
    int32_t c1 = readColumn(left, p1), c2 = readColumn(right, p2);
    if (c1 >= 0 && c2 >= 0 && p1 == left.size() && p2 == right.size())
        return normalised({0, c1}, {kMaxRows - 1, c2});
    p1 = p2 = 0;
    int32_t r1 = readRow(left, p1), r2 = readRow(right, p2);
    if (r1 >= 0 && r2 >= 0 && p1 == left.size() && p2 == right.size())
        return normalised({r1, 0}, {r2, kMaxColumns - 1});
    return std::nullopt;
}

} // namespace spreadsheet
