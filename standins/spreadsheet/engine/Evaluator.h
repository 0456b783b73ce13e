#pragma once

#include "FormulaAst.h"
#include "Workbook.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace spreadsheet {

// The values an operand of an array formula holds, row by row.
struct ValueMatrix {
    int32_t rows = 1;
    int32_t columns = 1;
    std::vector<CellValue> values;

    static ValueMatrix single(CellValue value) { return {1, 1, {std::move(value)}}; }
    // The element at the place; a single row or column stands for every row
    // or column, and a place beyond the matrix gives #N/A.
    CellValue at(int32_t row, int32_t column) const;
};

// An evaluated operand: a value, a rectangle of cells on a sheet, or (inside
// an array formula) a computed matrix; functions such as SUM take the last two
// whole.
struct Operand {
    CellValue value;
    const Sheet* sheet = nullptr;
    CellArea area;
    std::shared_ptr<const ValueMatrix> matrix;

    bool isRange() const { return sheet != nullptr; }
};

// Computes formula results.  Cells are evaluated on demand, each once per
// recalculation; long chains of references are unwound with an explicit work
// list instead of recursion, and cycles give 0.
class Evaluator {
public:
    explicit Evaluator(Workbook& workbook) : workbook_(workbook) {}

    void recalculateAll();

    // The value of a formula tree as if it stood in the cell (no caching).
    CellValue evaluate(const Sheet& sheet, CellPosition at, const FormulaNode& root);

    // For the functions: one argument as an operand or as a single value.
    Operand operand(const FormulaNode& node);
    CellValue scalar(const FormulaNode& node);
    // Calls visit for every value an argument holds: each cell of a range
    // (fromRange true) or the single value.  Stops when visit returns false.
    void forEachValue(const Operand& op,
                      const std::function<bool(const CellValue&, bool fromRange)>& visit);
    double now() const { return workbook_.now(); }

private:
    struct Target {
        Sheet* sheet;
        CellPosition pos;
        friend bool operator==(const Target&, const Target&) = default;
    };
    struct Deferred {
        Target target;
    };
    enum class State { InProgress, Done };

    CellValue cellValue(const Sheet& sheet, CellPosition pos);
    void computeCell(const Target& target);
    void computeArray(Sheet& sheet, const FormulaPtr& formula);
    CellValue evaluateNode(const FormulaNode& node);
    CellValue unary(const FormulaNode& node);
    CellValue binary(const FormulaNode& node);
    Operand nameOperand(const FormulaNode& node);
    CellValue singleValue(const Operand& op);
    ValueMatrix matrixOf(const FormulaNode& node);
    ValueMatrix rangeMatrix(const Operand& op);
    ValueMatrix functionMatrix(const FormulaNode& node);
    CellValue function(const FormulaNode& node);
    const Sheet* referencedSheet(const FormulaNode& node) const;

    Workbook& workbook_;
    const Sheet* sheet_ = nullptr; // the sheet of the formula being evaluated
    CellPosition at_;
    int cellDepth_ = 0;
    bool arrayMode_ = false; // evaluating an array formula: operators work element by element
    std::vector<const DefinedName*> namesInProgress_;
    std::unordered_map<const Cell*, State> state_;
    // While a function is called once per element: each argument's element.
    std::vector<std::pair<const FormulaNode*, CellValue>> elementArguments_;
};

// Conversions the operators and functions share.
// A number from a value (booleans count, numeric text is read); false with
// error set when it has none.
bool toNumber(const CellValue& v, double& out, CellValue& error);
// The text a value gives in a text operation (numbers in General style).
std::string toText(const CellValue& v);
// A number with up to 15 significant digits, as General shows it without a width limit.
std::string numberText(double value);
// Converts a non-finite result into #NUM!.
CellValue numberResult(double value);

// The function by upper-case name; null when there is none.
using FunctionImpl = CellValue (*)(Evaluator&, const FormulaNode& call);
FunctionImpl findFunction(const std::string& name);
// True for the functions that take a range or array argument whole (SUM);
// inside an array formula the others are called once per element.
bool takesArgumentsWhole(const std::string& name);
// The names of the supported functions, in alphabetical order.
std::vector<std::string> supportedFunctions();

} // namespace spreadsheet
