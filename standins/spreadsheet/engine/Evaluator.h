#pragma once

#include "FormulaAst.h"
#include "Workbook.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace spreadsheet {

// An evaluated operand: a value, or a rectangle of cells on a sheet that
// functions such as SUM take whole.
struct Operand {
    CellValue value;
    const Sheet* sheet = nullptr;
    CellArea area;

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
    CellValue evaluateNode(const FormulaNode& node);
    CellValue unary(const FormulaNode& node);
    CellValue binary(const FormulaNode& node);
    CellValue function(const FormulaNode& node);
    const Sheet* referencedSheet(const FormulaNode& node) const;

    Workbook& workbook_;
    const Sheet* sheet_ = nullptr; // the sheet of the formula being evaluated
    CellPosition at_;
    int cellDepth_ = 0;
    std::unordered_map<const Cell*, State> state_;
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
// The names of the supported functions, in alphabetical order.
std::vector<std::string> supportedFunctions();

} // namespace spreadsheet
