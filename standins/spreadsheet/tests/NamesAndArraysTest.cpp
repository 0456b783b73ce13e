#include "Evaluator.h"
#include "FormulaParser.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

namespace {

class NamesAndArraysTest : public ::testing::Test {
protected:
    NamesAndArraysTest()
        : data(workbook.appendSheet(SheetType::Worksheet, "Data")),
          other(workbook.appendSheet(SheetType::Worksheet, "Other")) {
        for (int r = 1; r <= 5; ++r) {
            data.setValue({r, 1}, CellValue::fromNumber(r));      // B2:B6 = 1..5
            data.setValue({r, 2}, CellValue::fromNumber(r * 10)); // C2:C6 = 10..50
        }
        data.setValue({0, 0}, CellValue::fromNumber(0.5)); // A1
    }

    void define(const char* name, const char* text, const Sheet* scope = nullptr) {
        ASSERT_TRUE(workbook.defineName(name, makeFormula(text), scope)) << name;
    }
    CellValue eval(Sheet& on, const char* text) {
        on.setFormula({99, 25}, makeFormula(text));
        workbook.recalculate();
        return on.cell({99, 25})->value;
    }
    CellValue at(const Sheet& s, const char* address) const {
        const Cell* c = s.cell(*parseCellAddress(address));
        return c ? c->value : CellValue{};
    }
    void setArray(Sheet& on, const char* area, const char* text) {
        const CellArea cells = *parseAreaAddress(area);
        FormulaPtr f = makeArrayFormula(cloneNode(*makeFormula(text)->root), cells);
        for (int32_t r = cells.first.row; r <= cells.last.row; ++r) {
            for (int32_t c = cells.first.column; c <= cells.last.column; ++c)
                on.setFormula({r, c}, f);
        }
        workbook.recalculate();
    }

    Workbook workbook;
    Sheet& data;
    Sheet& other;
};

TEST_F(NamesAndArraysTest, NamesOfCellsRangesAndConstantsEvaluate) {
    define("Rate", "=Data!$A$1");
    define("Amounts", "=Data!$C$2:$C$6");
    define("Ten", "=5*2");
    EXPECT_EQ(eval(data, "=Rate*C3"), CellValue::fromNumber(10));
    EXPECT_EQ(eval(data, "=rate*2"), CellValue::fromNumber(1)) << "names ignore case";
    EXPECT_EQ(eval(other, "=SUM(Amounts)"), CellValue::fromNumber(150));
    EXPECT_EQ(eval(other, "=Ten+Rate"), CellValue::fromNumber(10.5));
    EXPECT_EQ(eval(data, "=Rate*C3"), CellValue::fromNumber(10));
    EXPECT_EQ(data.cell({99, 25})->formula->text, "=Rate*C3");
}

TEST_F(NamesAndArraysTest, SheetNameHidesTheWorkbookNameOnItsSheetOnly) {
    define("Rate", "=Data!$A$1");
    define("Rate", "=3", &other);
    EXPECT_EQ(eval(other, "=Rate"), CellValue::fromNumber(3));
    EXPECT_EQ(eval(data, "=Rate"), CellValue::fromNumber(0.5));
    // Redefining replaces the definition of the same scope only.
    define("Rate", "=4", &other);
    EXPECT_EQ(eval(other, "=Rate"), CellValue::fromNumber(4));
    EXPECT_EQ(workbook.names().size(), 2u);
    // A sheet's names go with the sheet.
    ASSERT_TRUE(workbook.removeSheet(workbook.indexOf(other)));
    EXPECT_EQ(workbook.names().size(), 1u);
}

TEST_F(NamesAndArraysTest, UnknownAndEndlessNamesGiveNameErrors) {
    EXPECT_EQ(eval(data, "=Missing+1"), CellValue::fromError(ErrorCode::Name));
    define("Loop", "=Loop+1");
    EXPECT_EQ(eval(data, "=Loop"), CellValue::fromError(ErrorCode::Name));
    define("Ping", "=Pong*2");
    define("Pong", "=SUM(Ping)");
    EXPECT_EQ(eval(data, "=Ping"), CellValue::fromError(ErrorCode::Name));
    // A long but finite chain still has its value.
    define("Chain_0", "=1");
    for (int i = 1; i < 40; ++i) {
        define(("Chain_" + std::to_string(i)).c_str(),
               ("=Chain_" + std::to_string(i - 1) + "+1").c_str());
    }
    EXPECT_EQ(eval(data, "=Chain_39"), CellValue::fromNumber(40));
}

TEST_F(NamesAndArraysTest, InvalidNamesAreRefused) {
    EXPECT_FALSE(workbook.defineName("A1", makeFormula("=1")));
    EXPECT_FALSE(workbook.defineName("N39", makeFormula("=1"))) << "a cell address";
    EXPECT_FALSE(workbook.defineName("TRUE", makeFormula("=1")));
    EXPECT_FALSE(workbook.defineName("1st", makeFormula("=1")));
    EXPECT_FALSE(workbook.defineName("two words", makeFormula("=1")));
    EXPECT_FALSE(workbook.defineName("Fine", nullptr));
    Workbook elsewhere;
    Sheet& foreign = elsewhere.appendSheet(SheetType::Worksheet, "Sheet1");
    EXPECT_FALSE(workbook.defineName("Fine", makeFormula("=1"), &foreign));
    EXPECT_TRUE(workbook.names().empty());
}

TEST_F(NamesAndArraysTest, ArrayOverARangeGivesEachCellItsElement) {
    setArray(data, "D2:D6", "=B2:B6*C2:C6");
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(data.cell({r, 3})->value, CellValue::fromNumber(r * r * 10.0)) << "row " << r;
        EXPECT_EQ(data.cell({r, 3})->formula->text, "=B2:B6*C2:C6");
    }
}

TEST_F(NamesAndArraysTest, ArrayCellsBeyondTheResultShowNotAvailable) {
    setArray(data, "E2:F3", "=B2:B6*2");
    EXPECT_EQ(at(data, "E2"), CellValue::fromNumber(2));
    EXPECT_EQ(at(data, "F3"), CellValue::fromNumber(4)) << "one column fills every column";
    setArray(data, "G2:G8", "=B2:B6+1");
    EXPECT_EQ(at(data, "G6"), CellValue::fromNumber(6));
    EXPECT_EQ(at(data, "G7"), CellValue::fromError(ErrorCode::NA));
}

TEST_F(NamesAndArraysTest, SingleCellArrayAddsUpProducts) {
    define("Prices", "=Data!$C$2:$C$6");
    setArray(other, "A1", "=SUM(Data!B2:B6*Data!C2:C6)");
    EXPECT_EQ(at(other, "A1"), CellValue::fromNumber(550));
    setArray(other, "A2", "=SUM(Data!B2:B6*Prices)");
    EXPECT_EQ(at(other, "A2"), CellValue::fromNumber(550));
    // The same text as an ordinary formula has no single value to multiply.
    EXPECT_EQ(eval(other, "=SUM(Data!B2:B6*Data!C2:C6)"), CellValue::fromError(ErrorCode::Value));
    // Other cells follow the array's result.
    other.setFormula({2, 0}, makeFormula("=A1+1"));
    workbook.recalculate();
    EXPECT_EQ(at(other, "A3"), CellValue::fromNumber(551));
}

TEST_F(NamesAndArraysTest, FunctionsOfSingleValuesWorkElementByElement) {
    setArray(other, "A1", "=SUM(IF(Data!B2:B6>2,Data!C2:C6))");
    EXPECT_EQ(at(other, "A1"), CellValue::fromNumber(120));
    // The whole-range function inside is computed once, over its range.
    setArray(other, "A2", "=SUM(IF(Data!B2:B6>AVERAGE(Data!B2:B6),1,0))");
    EXPECT_EQ(at(other, "A2"), CellValue::fromNumber(2));
    setArray(other, "B1:B5", "=ROUND(Data!B2:B6/3,1)");
    EXPECT_EQ(at(other, "B1"), CellValue::fromNumber(0.3));
    EXPECT_EQ(at(other, "B5"), CellValue::fromNumber(1.7));
    // A single value stretches beside an array; a row and a column make a table.
    setArray(other, "C1:C5", "=IF(Data!B2:B6>3,\"big\",\"small\")");
    EXPECT_EQ(at(other, "C3"), CellValue::fromText("small"));
    EXPECT_EQ(at(other, "C4"), CellValue::fromText("big"));
    setArray(other, "D1:E2", "=MOD(Data!B2:B3,Data!B2:C2)");
    EXPECT_EQ(at(other, "D2"), CellValue::fromNumber(0));
    EXPECT_EQ(at(other, "E2"), CellValue::fromNumber(2));
    // Outside an array formula the same text has no single value to test.
    EXPECT_EQ(eval(other, "=SUM(IF(Data!B2:B6>2,Data!C2:C6))"),
              CellValue::fromError(ErrorCode::Value));
}

TEST_F(NamesAndArraysTest, HugeArraysGiveAnErrorInsteadOfExhaustingMemory) {
    setArray(data, "H1", "=SUM(A1:IV65536*2)");
    EXPECT_EQ(at(data, "H1"), CellValue::fromError(ErrorCode::Num));
    setArray(data, "H2", "=SUM(A1:A65536*B1:IV1)");
    EXPECT_EQ(at(data, "H2"), CellValue::fromError(ErrorCode::Num));
    setArray(data, "H3", "=SUM(A1:A65536*2)");
    EXPECT_EQ(at(data, "H3"), CellValue::fromNumber(1));

    // A workbook given a lower limit holds both an operand and a stretched
    // result to it.
    workbook.setArrayElementLimit(5);
    setArray(data, "H4", "=SUM(B2:B6*C2:C6)");
    EXPECT_EQ(at(data, "H4"), CellValue::fromNumber(550));
    setArray(data, "H5", "=SUM(B2:C6*2)");
    EXPECT_EQ(at(data, "H5"), CellValue::fromError(ErrorCode::Num));
    setArray(data, "H6", "=SUM(B2:B6*D1:E1)");
    EXPECT_EQ(at(data, "H6"), CellValue::fromError(ErrorCode::Num));
    setArray(data, "H7", "=SUM(IF(B2:B6>0,D1:E1))");
    EXPECT_EQ(at(data, "H7"), CellValue::fromError(ErrorCode::Num));
}

} // namespace
