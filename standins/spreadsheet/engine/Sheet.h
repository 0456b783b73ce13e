#pragma once

#include "Cell.h"
#include "CellAddress.h"
#include "CellStore.h"
#include "Chart.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace spreadsheet {

class Workbook;

// Sheet types, by the application's published constants.
enum class SheetType : int32_t { Worksheet = -4167, Chart = -4109 };

// The standard column width in points; columns without an entry have it.
inline constexpr double kStandardColumnWidth = 48.0;
// Sheet names are at most this many characters long.
inline constexpr size_t kMaxSheetNameLength = 31;

// A worksheet (cells, column widths, embedded charts) or a chart sheet (one
// chart).  Owned by its Workbook; every change marks the workbook for
// recalculation.
class Sheet {
public:
    Sheet(Workbook& owner, SheetType type, std::string name);

    SheetType type() const { return type_; }
    bool isWorksheet() const { return type_ == SheetType::Worksheet; }
    const std::string& name() const { return name_; }
    Workbook& workbook() const { return owner_; }

    // Cells in row-major order; only cells that hold something are present.
    const CellStore& cells() const { return cells_; }
    const Cell* cell(CellPosition p) const;

    // Clears the formula.  An empty value with a default format removes the cell.
    void setValue(CellPosition p, CellValue value);
    // A formula and, optionally, its last result as a file stored it (the
    // workbook recalculates anyway).  A null formula clears the formula and value.
    void setFormula(CellPosition p, FormulaPtr formula, CellValue cached = {});
    void setFormat(CellPosition p, const CellFormat& format);
    void clearCell(CellPosition p);
    // File readers: puts a whole cell (value or formula with its last result,
    // and format) in one step.  Cells given in row-major order go in at the
    // end without a search.
    void loadCell(CellPosition p, Cell cell);
    // The evaluator's result for a formula cell.
    void setComputedValue(CellPosition p, CellValue value);

    // Column widths in points, 0-based columns.
    double columnWidth(int32_t column) const;
    void setColumnWidth(int32_t column, double points);
    const std::map<int32_t, double>& columnWidths() const { return columnWidths_; }

    // The smallest rectangle holding every present cell; A1 for an empty sheet.
    CellArea usedRange() const;

    std::vector<ChartObject>& chartObjects() { return chartObjects_; }
    const std::vector<ChartObject>& chartObjects() const { return chartObjects_; }
    // A chart sheet's chart (a worksheet has one too, unused).
    Chart& chart() { return chart_; }
    const Chart& chart() const { return chart_; }

private:
    friend class Workbook;
    friend class Evaluator;
    Cell& cellForWrite(CellPosition p);
    void dropIfBlank(CellPosition p);

    Workbook& owner_;
    SheetType type_;
    std::string name_;
    CellStore cells_;
    std::map<int32_t, double> columnWidths_;
    std::vector<ChartObject> chartObjects_;
    Chart chart_;
};

} // namespace spreadsheet
