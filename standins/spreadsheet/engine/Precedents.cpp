#include "Precedents.h"

#include "Workbook.h"

#include <algorithm>
#include <map>
#include <set>

namespace spreadsheet {

namespace {

constexpr int64_t kSweptCells = 1024;

bool refersToOwnSheet(const FormulaNode& node, const Sheet& sheet) {
    return node.sheet.empty() || sheet.workbook().findSheet(node.sheet) == &sheet;
}

void collectAreas(const FormulaNode& node, const Sheet& sheet, std::vector<CellArea>& areas) {
    if ((node.kind == NodeKind::Reference || node.kind == NodeKind::Area) &&
        refersToOwnSheet(node, sheet)) {
        areas.push_back({{std::min(node.first.cell.row, node.last.cell.row),
                          std::min(node.first.cell.column, node.last.cell.column)},
                         {std::max(node.first.cell.row, node.last.cell.row),
                          std::max(node.first.cell.column, node.last.cell.column)}});
    }
    for (const auto& child : node.children)
        collectAreas(*child, sheet, areas);
}

struct Span {
    int32_t first, last;
    friend auto operator<=>(const Span&, const Span&) = default;
};

// Column spans covered in each row, merged where they touch.
std::map<int32_t, std::vector<Span>> rowSpans(const std::vector<CellArea>& areas) {
    std::map<int32_t, std::vector<Span>> rows;
    for (const CellArea& a : areas) {
        for (int32_t r = a.first.row; r <= a.last.row; ++r)
            rows[r].push_back({a.first.column, a.last.column});
    }
    for (auto& [row, spans] : rows) {
        std::sort(spans.begin(), spans.end());
        std::vector<Span> merged;
        for (const Span& s : spans) {
            if (!merged.empty() && s.first <= merged.back().last + 1)
                merged.back().last = std::max(merged.back().last, s.last);
            else
                merged.push_back(s);
        }
        spans = std::move(merged);
    }
    return rows;
}

} // namespace

std::vector<CellArea> directPrecedents(const Sheet& sheet, CellPosition at) {
    const Cell* cell = sheet.cell(at);
    if (!cell || !cell->hasFormula())
        return {};
    std::vector<CellArea> areas;
    collectAreas(*cell->formula->root, sheet, areas);
    // Large rectangles (whole rows or columns) would make the sweep slow; they
    // stand as written.
    std::vector<CellArea> large, small;
    for (const CellArea& a : areas) {
        if (static_cast<int64_t>(a.rowCount()) * a.columnCount() > kSweptCells)
            large.push_back(a);
        else
            small.push_back(a);
    }
    // Rectangles grow downwards while the next row repeats the same span.
    std::vector<CellArea> result;
    std::map<Span, size_t> open; // span -> index in result of the rectangle ending on the row above
    int32_t previousRow = -2;
    for (const auto& [row, spans] : rowSpans(small)) {
        std::map<Span, size_t> next;
        for (const Span& s : spans) {
            auto it = open.find(s);
            if (row == previousRow + 1 && it != open.end()) {
                result[it->second].last.row = row;
                next[s] = it->second;
            } else {
                result.push_back({{row, s.first}, {row, s.last}});
                next[s] = result.size() - 1;
            }
        }
        open = std::move(next);
        previousRow = row;
    }
    for (const CellArea& a : large) {
        if (std::find(result.begin(), result.end(), a) == result.end())
            result.push_back(a);
    }
    return result;
}

} // namespace spreadsheet
