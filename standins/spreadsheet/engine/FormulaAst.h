#pragma once

#include "BlockPool.h"
#include "CellAddress.h"
#include "CellValue.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace spreadsheet {

enum class NodeKind : uint8_t {
    Number,    // number
    Text,      // text (without the surrounding quotes)
    Boolean,   // boolean
    Error,     // error
    Reference, // one cell: sheet, first
    Area,      // a rectangle: sheet, first, last
    Name,      // an identifier that is neither a function nor a reference: text
    Unary,     // op (Negate, Plus) applied to children[0]
    Percent,   // children[0] followed by %
    Binary,    // children[0] op children[1]
    Paren,     // (children[0]), kept so that the text prints back as entered
    Function,  // text = upper-case name, children = arguments
    Missing,   // an omitted function argument, as in IF(A1,,2)
};

enum class Operator : uint8_t {
    None,
    Negate,
    Plus,
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    Concat,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Range, // A1:B2 written as two operands joined by ':' where they are not plain references
};

// A reference corner with the '$' flags as written.
struct RefCorner {
    CellPosition cell;
    bool rowAbsolute = false;
    bool columnAbsolute = false;

    friend bool operator==(const RefCorner&, const RefCorner&) = default;
};

// One node of a parsed formula.  Plain data, so that a file reader can build a
// tree from its own tokens and print it with formatFormula().
struct FormulaNode {
    // Members ordered so that the flags share one word: a large workbook holds
    // millions of nodes, and reading them is most of the cost of saving it.
    NodeKind kind = NodeKind::Missing;
    Operator op = Operator::None;
    bool boolean = false;
    ErrorCode error = ErrorCode::NA;
    // Reference and Area.
    RefCorner first;
    RefCorner last;
    double number = 0;
    std::string text;
    // Reference and Area: the sheet as named (unquoted), empty for the formula's own sheet.
    std::string sheet;
    using Children =
        std::vector<std::unique_ptr<FormulaNode>, PooledAllocator<std::unique_ptr<FormulaNode>>>;
    Children children;

    // Nodes, their child lists and formulas come from pools (BlockPool.h): a
    // large workbook holds millions of them.
    static void* operator new(size_t size);
    static void operator delete(void* node, size_t size) noexcept;
};

using FormulaNodePtr = std::unique_ptr<FormulaNode>;

// A parsed formula shared by the cell and anyone who reads it; immutable once built.
struct Formula {
    std::string text; // as the Formula property shows it, starting with '='
    FormulaNodePtr root;
    // For an array formula, the cells it covers: each holds this same formula
    // and shows its own element of the result.
    std::optional<CellArea> array;
};

using FormulaPtr = std::shared_ptr<const Formula>;

// The text of a tree with the leading '=', sheet names quoted where needed.
std::string formatFormula(const FormulaNode& root);
// Quotes a sheet name for a reference when it needs quotes ('My sheet'!A1).
std::string quoteSheetName(const std::string& name);

// Deep copy.
FormulaNodePtr cloneNode(const FormulaNode& node);

} // namespace spreadsheet

namespace spreadsheet {

// Wraps a tree built elsewhere (a file reader's tokens) with its canonical text.
FormulaPtr makeFormula(FormulaNodePtr root);
// The same as an array formula over the area.
FormulaPtr makeArrayFormula(FormulaNodePtr root, const CellArea& area);

// The formula as it reads when copied rows and columns away: relative
// references move, absolute ones stay, and one pushed off the grid becomes #REF!.
FormulaPtr offsetFormula(const Formula& formula, int32_t rows, int32_t columns);

} // namespace spreadsheet
