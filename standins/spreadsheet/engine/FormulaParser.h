#pragma once

#include "FormulaAst.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace spreadsheet {

// Nesting of parentheses and function calls beyond this is refused, so hostile
// input cannot exhaust the stack.
inline constexpr int kMaxFormulaNesting = 64;
inline constexpr size_t kMaxFormulaLength = 8192;

struct FormulaParseResult {
    FormulaNodePtr root;    // null on failure
    std::string error;      // why, on failure
    size_t errorOffset = 0; // byte offset of the fault in the text

    explicit operator bool() const { return root != nullptr; }
};

// Parses A1-style formula text.  The text starts with '=' (as a cell's Formula
// property holds it); an expression without '=' is accepted too.
FormulaParseResult parseFormula(std::string_view text);

// Parses and keeps the canonical text: formatFormula() of the tree (names and
// references upper-cased, spaces dropped).
// Null when the text does not parse.
FormulaPtr makeFormula(std::string_view text, std::string* error = nullptr);

} // namespace spreadsheet
