#pragma once

#include "FormulaAst.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// BIFF8 parsed formulas (token arrays in reverse Polish order) and the
// engine's formula trees.
namespace xls {

// One EXTERNSHEET entry: a book and a range of its sheets.
struct ExternSheetRef {
    uint16_t supBook = 0;
    uint16_t firstSheet = 0;
    uint16_t lastSheet = 0;
    bool operator==(const ExternSheetRef&) const = default;
};

// What a formula's sheet references resolve through when reading.
struct FormulaContext {
    std::vector<std::string> sheetNames;      // every sheet in the file, in order
    std::vector<ExternSheetRef> externSheets; // EXTERNSHEET
    std::vector<bool> supBookIsInternal;      // per SUPBOOK
    // The NAME records in order, for the name tokens; empty for names that
    // formulas cannot use (built-in and macro names).
    std::vector<std::string> names;
    uint16_t row = 0; // the formula's own cell, for relative tokens
    uint16_t column = 0;
};

// A NAME record as written: a sheet of -1 is the whole workbook, else the
// index among the written sheets.
struct NameRef {
    std::string name;
    int32_t sheet = -1;
};

// What a written formula's sheet references resolve through; the writer puts
// `externSheets` in its EXTERNSHEET record, all with the internal SUPBOOK 0.
struct EncodeContext {
    std::vector<std::string> sheetNames; // the written sheets, in order
    std::vector<ExternSheetRef> externSheets;
    std::vector<NameRef> names; // the NAME records, in order
    // A name without a definition gets a NAME record of its own, written
    // empty, so that the formula keeps its text (and shows #NAME?).
    bool addMissingNames = false;
    int32_t sheet = -1;        // the written sheet the formula stands on
    bool arrayFormula = false; // an ARRAY record's formula: operators take arrays
    // For a name's definition: the sheet that references without one are to.
    std::string definitionSheet;
};

// The tree, or null with `why` set when the tokens use something this codec
// does not know (other workbooks, array constants...).
spreadsheet::FormulaNodePtr decodeFormula(std::span<const uint8_t> tokens,
                                          const FormulaContext& context, std::string& why);

// Appends the tokens of the tree; false with `why` set when the tree holds
// something BIFF8 cannot express (nothing is appended then).
bool encodeFormula(const spreadsheet::FormulaNode& root, EncodeContext& context,
                   std::vector<uint8_t>& tokens, std::string& why);

} // namespace xls
