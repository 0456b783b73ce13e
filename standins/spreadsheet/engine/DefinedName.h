#pragma once

#include "FormulaAst.h"

#include <string>

namespace spreadsheet {

class Sheet;

// A name that formulas use in place of what it refers to: a cell, a range, a
// constant or a formula.  A name local to a sheet hides a workbook name of the
// same spelling on that sheet.
struct DefinedName {
    std::string name;
    FormulaPtr refersTo;          // the definition, such as =Data!$B$1
    const Sheet* scope = nullptr; // null for the whole workbook
};

// Names start with a letter, '_' or '\' and go on with letters, digits, '_'
// and '.'; they may not read as a cell address or a boolean.
bool isValidDefinedName(const std::string& name);

} // namespace spreadsheet
