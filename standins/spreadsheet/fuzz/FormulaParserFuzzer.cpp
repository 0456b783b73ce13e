#include "FormulaParser.h"

#include "DisplayText.h"
#include "Evaluator.h"
#include "Precedents.h"
#include "Workbook.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Parses arbitrary text as a formula; whatever parses is printed, parsed again
// (the canonical text must round-trip) and evaluated in a small workbook, in
// a cell, as a name's definition (which may use the name itself) and as an
// array formula.  The same text serves as a number format, which workbook
// files carry too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (double number : {0.0, -1234.5678, 45351.75, 1e300})
        spreadsheet::displayText(spreadsheet::CellValue::fromNumber(number), std::string(text));
    spreadsheet::displayText(spreadsheet::CellValue::fromText("text"), std::string(text));
    spreadsheet::FormulaPtr formula = spreadsheet::makeFormula(text);
    if (!formula)
        return 0;
    spreadsheet::FormulaPtr again = spreadsheet::makeFormula(formula->text);
    if (!again || again->text != formula->text)
        __builtin_trap();
    spreadsheet::Workbook workbook;
    workbook.setClock([] { return 45000.5; });
    // Whole columns are a few keystrokes away; at the default limit each such
    // operand of an array formula fills megabytes, which spent most of every
    // run in the allocator while the limit's own path stays the same.
    workbook.setArrayElementLimit(4096);
    spreadsheet::Sheet& sheet = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Sheet1");
    sheet.setValue({0, 0}, spreadsheet::CellValue::fromNumber(2));
    sheet.setValue({1, 0}, spreadsheet::CellValue::fromText("text"));
    sheet.setFormula({2, 2}, formula);
    workbook.defineName("Fuzzed", formula);
    workbook.defineName("Two", spreadsheet::makeFormula("=Sheet1!$A$1"));
    sheet.setFormula({3, 2}, spreadsheet::makeFormula("=Fuzzed"));
    const spreadsheet::CellArea area{{4, 2}, {5, 3}};
    spreadsheet::FormulaPtr array =
        spreadsheet::makeArrayFormula(spreadsheet::cloneNode(*formula->root), area);
    for (int32_t row = area.first.row; row <= area.last.row; ++row) {
        for (int32_t column = area.first.column; column <= area.last.column; ++column)
            sheet.setFormula({row, column}, array);
    }
    workbook.recalculate();
    spreadsheet::directPrecedents(sheet, {2, 2});
    return 0;
}
