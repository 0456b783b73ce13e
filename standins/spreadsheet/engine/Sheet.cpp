#include "Sheet.h"

#include "Workbook.h"

#include <algorithm>

namespace spreadsheet {

Sheet::Sheet(Workbook& owner, SheetType type, std::string name)
    : owner_(owner), type_(type), name_(std::move(name)) {}

const Cell* Sheet::cell(CellPosition p) const {
    auto it = cells_.find(p);
    return it == cells_.end() ? nullptr : &it->second;
}

Cell& Sheet::cellForWrite(CellPosition p) {
    owner_.markChanged();
    return cells_[p];
}

void Sheet::dropIfBlank(CellPosition p) {
    auto it = cells_.find(p);
    if (it != cells_.end() && it->second.isBlank())
        cells_.erase(it);
}

void Sheet::setValue(CellPosition p, CellValue value) {
    Cell& c = cellForWrite(p);
    c.formula.reset();
    c.value = std::move(value);
    dropIfBlank(p);
}

void Sheet::setFormula(CellPosition p, FormulaPtr formula, CellValue cached) {
    Cell& c = cellForWrite(p);
    c.formula = std::move(formula);
    c.value = c.formula ? std::move(cached) : CellValue{};
    dropIfBlank(p);
}

void Sheet::setFormat(CellPosition p, const CellFormat& format) {
    Cell& c = cells_[p];
    c.format = format;
    dropIfBlank(p);
}

void Sheet::loadCell(CellPosition p, Cell cell) {
    owner_.markChanged();
    if (cell.isBlank()) {
        cells_.erase(p);
        return;
    }
    cells_.assign(p, std::move(cell));
}

void Sheet::clearCell(CellPosition p) {
    if (cells_.erase(p))
        owner_.markChanged();
}

void Sheet::setComputedValue(CellPosition p, CellValue value) {
    auto it = cells_.find(p);
    if (it != cells_.end())
        it->second.value = std::move(value);
}

double Sheet::columnWidth(int32_t column) const {
    auto it = columnWidths_.find(column);
    return it == columnWidths_.end() ? kStandardColumnWidth : it->second;
}

void Sheet::setColumnWidth(int32_t column, double points) {
    if (points == kStandardColumnWidth)
        columnWidths_.erase(column);
    else
        columnWidths_[column] = points;
}

CellArea Sheet::usedRange() const {
    if (cells_.empty())
        return {};
    CellArea area{cells_.begin()->first, cells_.rbegin()->first};
    for (const auto& [pos, cell] : cells_) {
        area.first.column = std::min(area.first.column, pos.column);
        area.last.column = std::max(area.last.column, pos.column);
    }
    return area;
}

} // namespace spreadsheet
