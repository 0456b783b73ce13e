#include "FormulaParser.h"
#include "Workbook.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace spreadsheet;

TEST(Workbook, InsertedSheetsTakeTheNextFreeNameAndKeepTheActiveSheet) {
    Workbook book;
    book.insertSheet(0, SheetType::Worksheet);
    Sheet& second = book.insertSheet(0, SheetType::Worksheet);
    EXPECT_EQ(second.name(), "Sheet2");
    EXPECT_EQ(book.sheet(0).name(), "Sheet2");
    // The active sheet stays the same sheet when one is inserted before it.
    EXPECT_EQ(book.activeSheet().name(), "Sheet1");
    Sheet& chart = book.insertSheet(1, SheetType::Chart);
    EXPECT_EQ(chart.name(), "Chart1");
    EXPECT_EQ(book.worksheetCount(), 2);
    EXPECT_EQ(book.chartSheetCount(), 1);
    EXPECT_EQ(&book.worksheet(1), &book.sheet(2));
    EXPECT_EQ(&book.chartSheet(0), &chart);
}

TEST(Workbook, TheLastWorksheetCannotBeRemoved) {
    Workbook book;
    book.insertSheet(0, SheetType::Worksheet);
    book.insertSheet(1, SheetType::Chart);
    EXPECT_FALSE(book.removeSheet(0));
    EXPECT_TRUE(book.removeSheet(1));
    EXPECT_FALSE(book.removeSheet(0));
    EXPECT_FALSE(book.removeSheet(7));
    EXPECT_EQ(book.sheetCount(), 1);
}

TEST(Workbook, SheetNamesFollowTheApplicationsRules) {
    Workbook book;
    Sheet& a = book.appendSheet(SheetType::Worksheet, "Data");
    Sheet& b = book.appendSheet(SheetType::Worksheet, "Other");
    EXPECT_THROW(book.appendSheet(SheetType::Worksheet, "DATA"), std::invalid_argument);
    EXPECT_FALSE(book.renameSheet(b, "data"));
    EXPECT_TRUE(book.renameSheet(a, "data"));
    EXPECT_FALSE(book.renameSheet(b, "a/b"));
    EXPECT_FALSE(book.renameSheet(b, ""));
    EXPECT_FALSE(book.renameSheet(b, std::string(32, 'x')));
    EXPECT_TRUE(book.renameSheet(b, std::string(31, 'x')));
    EXPECT_EQ(book.findSheet("DATA"), &a);
}

TEST(Workbook, UsedRangeCoversValuesFormulasAndFormats) {
    Workbook book;
    Sheet& sheet = book.appendSheet(SheetType::Worksheet, "Sheet1");
    EXPECT_EQ(sheet.usedRange(), (CellArea{{0, 0}, {0, 0}}));
    sheet.setValue({2, 3}, CellValue::fromNumber(1));
    CellFormat bold;
    bold.bold = true;
    sheet.setFormat({5, 1}, bold);
    EXPECT_EQ(sheet.usedRange(), (CellArea{{2, 1}, {5, 3}}));
    // Clearing a value that has no format drops the cell.
    sheet.setValue({2, 3}, CellValue{});
    EXPECT_EQ(sheet.cell({2, 3}), nullptr);
    EXPECT_EQ(sheet.usedRange(), (CellArea{{5, 1}, {5, 1}}));
}

TEST(Workbook, ColumnWidthsDefaultToTheStandardWidth) {
    Workbook book;
    Sheet& sheet = book.appendSheet(SheetType::Worksheet, "Sheet1");
    EXPECT_EQ(sheet.columnWidth(4), kStandardColumnWidth);
    sheet.setColumnWidth(4, 64);
    EXPECT_EQ(sheet.columnWidth(4), 64);
    sheet.setColumnWidth(4, kStandardColumnWidth);
    EXPECT_TRUE(sheet.columnWidths().empty());
}

TEST(Workbook, RemovingSheetsKeepsAnActiveSheetInRange) {
    Workbook book;
    for (int i = 0; i < 3; ++i)
        book.insertSheet(book.sheetCount(), SheetType::Worksheet);
    book.activate(2);
    ASSERT_TRUE(book.removeSheet(2));
    EXPECT_EQ(book.activeSheetIndex(), 1);
    book.activate(1);
    ASSERT_TRUE(book.removeSheet(0));
    EXPECT_EQ(book.activeSheet().name(), "Sheet2");
    book.activate(9);
    EXPECT_EQ(book.activeSheetIndex(), 0);
}

TEST(Workbook, ChangesMarkTheWorkbookForRecalculation) {
    Workbook book;
    Sheet& sheet = book.appendSheet(SheetType::Worksheet, "Sheet1");
    book.recalculate();
    EXPECT_FALSE(book.needsRecalculation());
    CellFormat italic;
    italic.italic = true;
    sheet.setFormat({0, 0}, italic);
    EXPECT_FALSE(book.needsRecalculation()); // a format changes no value
    sheet.setFormula({1, 0}, makeFormula("=A1+1"));
    EXPECT_TRUE(book.needsRecalculation());
    book.recalculate();
    EXPECT_EQ(sheet.cell({1, 0})->value.number, 1);
    EXPECT_TRUE(sheet.cell({0, 0})->format.italic);
}
