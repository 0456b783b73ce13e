#include "Evaluator.h"
#include "FormulaParser.h"
#include "Precedents.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

namespace {

class EvaluatorTest : public ::testing::Test {
protected:
    EvaluatorTest() : sheet(workbook.appendSheet(SheetType::Worksheet, "Sheet1")) {
        workbook.setClock([] { return 45000.75; });
    }

    void set(const char* address, CellValue value) {
        sheet.setValue(*parseCellAddress(address), std::move(value));
    }
    void setFormula(const char* address, const char* text) {
        FormulaPtr f = makeFormula(text);
        ASSERT_TRUE(f) << text;
        sheet.setFormula(*parseCellAddress(address), f);
    }
    CellValue valueOf(const char* address) {
        if (workbook.needsRecalculation())
            workbook.recalculate();
        const Cell* c = sheet.cell(*parseCellAddress(address));
        return c ? c->value : CellValue{};
    }
    CellValue eval(const char* text) {
        setFormula("Z100", text);
        return valueOf("Z100");
    }
    double number(const char* text) {
        CellValue v = eval(text);
        EXPECT_EQ(v.kind, ValueKind::Number) << text << " gave " << toText(v);
        return v.number;
    }
    std::string text(const char* formula) {
        CellValue v = eval(formula);
        EXPECT_EQ(v.kind, ValueKind::Text) << formula;
        return v.text;
    }
    ErrorCode error(const char* formula) {
        CellValue v = eval(formula);
        EXPECT_EQ(v.kind, ValueKind::Error) << formula << " gave " << toText(v);
        return v.error;
    }

    Workbook workbook;
    Sheet& sheet;
};

} // namespace

TEST_F(EvaluatorTest, ArithmeticAndOperators) {
    EXPECT_EQ(number("=1+2*3"), 7);
    EXPECT_EQ(number("=-2^2"), 4);
    EXPECT_EQ(number("=2^3^2"), 64);
    EXPECT_EQ(number("=50%"), 0.5);
    EXPECT_EQ(number("=\"3\"+1"), 4);
    EXPECT_EQ(number("=TRUE+1"), 2);
    EXPECT_EQ(text("=1&\"a\"&TRUE"), "1aTRUE");
    EXPECT_EQ(eval("=\"abc\"=\"ABC\"").boolean, true);
    EXPECT_EQ(eval("=\"a\">1").boolean, true);
    EXPECT_EQ(eval("=2<=1").boolean, false);
}

TEST_F(EvaluatorTest, ErrorsPropagateAsTheApplicationDoes) {
    EXPECT_EQ(error("=1/0"), ErrorCode::Div0);
    EXPECT_EQ(error("=\"x\"+1"), ErrorCode::Value);
    EXPECT_EQ(error("=Nowhere!A1"), ErrorCode::Ref);
    EXPECT_EQ(error("=FOO(1)"), ErrorCode::Name);
    EXPECT_EQ(error("=undefined_name"), ErrorCode::Name);
    EXPECT_EQ(error("=NA()+1"), ErrorCode::NA);
    EXPECT_EQ(error("=SQRT(-1)"), ErrorCode::Num);
    EXPECT_EQ(error("=SUM(1,1/0)"), ErrorCode::Div0);
    EXPECT_EQ(error("=AVERAGE(B1:B3)"), ErrorCode::Div0);
    EXPECT_EQ(error("=(-8)^(1/3)"), ErrorCode::Num);
    EXPECT_EQ(error("=IF(#REF!,1,2)"), ErrorCode::Ref);
    EXPECT_EQ(eval("=ISERROR(1/0)").boolean, true);
}

TEST_F(EvaluatorTest, AggregatesSkipTextInRangesButNotInArguments) {
    set("A1", CellValue::fromNumber(1));
    set("A2", CellValue::fromNumber(2));
    set("A3", CellValue::fromText("x"));
    set("A4", CellValue::fromBoolean(true));
    EXPECT_EQ(number("=SUM(A1:A5)"), 3);
    EXPECT_EQ(number("=SUM(A1:A2,\"4\",TRUE)"), 8);
    EXPECT_EQ(error("=SUM(\"x\")"), ErrorCode::Value);
    EXPECT_EQ(number("=AVERAGE(A1:A4)"), 1.5);
    EXPECT_EQ(number("=MIN(A1:A4)"), 1);
    EXPECT_EQ(number("=MAX(A1:A4,-1)"), 2);
    EXPECT_EQ(number("=MAX(B1:B9)"), 0);
    EXPECT_EQ(number("=COUNT(A1:A5,\"7\",\"x\")"), 3);
    EXPECT_EQ(number("=COUNTA(A1:A5)"), 4);
    EXPECT_EQ(number("=PRODUCT(A1:A2,5)"), 10);
}

TEST_F(EvaluatorTest, LogicalFunctions) {
    set("A1", CellValue::fromNumber(5));
    EXPECT_EQ(text("=IF(A1>3,\"big\",\"small\")"), "big");
    EXPECT_EQ(eval("=IF(A1<3,1)").boolean, false);
    EXPECT_EQ(number("=IF(A1,,2)"), 0);
    // The branch not taken is not evaluated.
    EXPECT_EQ(number("=IF(TRUE,1,1/0)"), 1);
    EXPECT_EQ(eval("=AND(A1>1,TRUE,1)").boolean, true);
    EXPECT_EQ(eval("=OR(A1<1,0)").boolean, false);
    EXPECT_EQ(eval("=NOT(A1)").boolean, false);
    EXPECT_EQ(error("=AND(B1:B3)"), ErrorCode::Value);
}

TEST_F(EvaluatorTest, MathFunctions) {
    EXPECT_EQ(number("=ROUND(2.675,2)"), 2.68);
    EXPECT_EQ(number("=ROUND(-2.5,0)"), -3);
    EXPECT_EQ(number("=ROUND(1234,-2)"), 1200);
    EXPECT_EQ(number("=ROUND(5555,-3)"), 6000);
    EXPECT_EQ(number("=ROUNDUP(1201,-2)"), 1300);
    EXPECT_EQ(number("=ROUNDDOWN(-1299,-2)"), -1200);
    EXPECT_EQ(number("=ROUNDUP(1.21,1)"), 1.3);
    EXPECT_EQ(number("=ROUNDDOWN(-1.29,1)"), -1.2);
    EXPECT_EQ(number("=ABS(-3)"), 3);
    EXPECT_EQ(number("=INT(-1.5)"), -2);
    EXPECT_EQ(number("=MOD(-3,2)"), 1);
    EXPECT_EQ(error("=MOD(1,0)"), ErrorCode::Div0);
    EXPECT_EQ(number("=SQRT(16)"), 4);
    EXPECT_EQ(number("=POWER(2,10)"), 1024);
    EXPECT_NEAR(number("=PI()"), 3.14159265358979, 1e-14);
}

TEST_F(EvaluatorTest, TextFunctionsCountCharacters) {
    EXPECT_EQ(text("=CONCATENATE(\"a\",1,TRUE)"), "a1TRUE");
    EXPECT_EQ(number("=LEN(\"h\xC3\xA9llo\")"), 5);
    EXPECT_EQ(text("=LEFT(\"h\xC3\xA9llo\",2)"), "h\xC3\xA9");
    EXPECT_EQ(text("=RIGHT(\"hello\")"), "o");
    EXPECT_EQ(text("=RIGHT(\"hi\",5)"), "hi");
    EXPECT_EQ(text("=MID(\"hello\",2,3)"), "ell");
    EXPECT_EQ(text("=MID(\"hello\",9,3)"), "");
    EXPECT_EQ(error("=MID(\"hello\",0,3)"), ErrorCode::Value);
    EXPECT_EQ(text("=UPPER(\"abC\")"), "ABC");
    EXPECT_EQ(text("=LOWER(\"AbC\")"), "abc");
    EXPECT_EQ(text("=TRIM(\"  a   b  \")"), "a b");
}

TEST_F(EvaluatorTest, DatesUseTheSerialNumbersOfThe1900System) {
    EXPECT_EQ(number("=DATE(1900,1,1)"), 1);
    EXPECT_EQ(number("=DATE(1900,3,1)"), 61);
    EXPECT_EQ(number("=DATE(2024,2,29)"), 45351);
    EXPECT_EQ(number("=DATE(2023,14,1)"), number("=DATE(2024,2,1)"));
    EXPECT_EQ(number("=DATE(99,1,1)"), number("=DATE(1999,1,1)"));
    EXPECT_EQ(number("=NOW()"), 45000.75);
    EXPECT_EQ(number("=TODAY()"), 45000);
    EXPECT_EQ(error("=DATE(-1,1,1)"), ErrorCode::Num);
}

TEST_F(EvaluatorTest, RecalculatesWhenACellChanges) {
    set("A1", CellValue::fromNumber(1));
    setFormula("B1", "=A1*10");
    setFormula("C1", "=B1+Sheet1!A1");
    EXPECT_EQ(valueOf("C1").number, 11);
    set("A1", CellValue::fromNumber(2));
    EXPECT_EQ(valueOf("C1").number, 22);
    // An empty referenced cell is 0, and the formula's own result is never empty.
    setFormula("D1", "=E1");
    EXPECT_EQ(valueOf("D1"), CellValue::fromNumber(0));
}

TEST_F(EvaluatorTest, CyclesGiveZeroAndLongChainsDoNotOverflow) {
    setFormula("A1", "=B1+1");
    setFormula("B1", "=A1+1");
    CellValue a = valueOf("A1");
    EXPECT_EQ(a.kind, ValueKind::Number);
    // A chain far deeper than the evaluator's recursion limit.
    sheet.setValue({0, 3}, CellValue::fromNumber(1));
    for (int32_t r = 1; r < 5000; ++r)
        sheet.setFormula({r, 3}, makeFormula("=D" + std::to_string(r) + "+1"));
    workbook.recalculate();
    EXPECT_EQ(sheet.cell({4999, 3})->value.number, 5000);
    // A long cycle ends too.
    for (int32_t r = 0; r < 300; ++r)
        sheet.setFormula({r, 5}, makeFormula("=F" + std::to_string((r + 1) % 300 + 1)));
    workbook.recalculate();
    EXPECT_EQ(sheet.cell({0, 5})->value.kind, ValueKind::Number);
}

TEST_F(EvaluatorTest, DirectPrecedentsStayOnTheOwnSheet) {
    workbook.appendSheet(SheetType::Worksheet, "Other");
    setFormula("C1", "=A1+A2+B1+B2+Other!A1+SUM(E5:E6)");
    auto areas = directPrecedents(sheet, {0, 2});
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areaAddressText(areas[0]), "A1:B2");
    EXPECT_EQ(areaAddressText(areas[1]), "E5:E6");
    setFormula("C2", "=Other!A1*2");
    EXPECT_TRUE(directPrecedents(sheet, {1, 2}).empty());
    setFormula("C3", "=1+2");
    EXPECT_TRUE(directPrecedents(sheet, {2, 2}).empty());
    setFormula("C4", "=Sheet1!D4");
    EXPECT_EQ(directPrecedents(sheet, {3, 2}).size(), 1u);
}

TEST_F(EvaluatorTest, ComparisonsAndConversionsFollowTheApplication) {
    // An empty cell equals 0, "" and FALSE alike.
    EXPECT_TRUE(eval("=B9=0").boolean);
    EXPECT_TRUE(eval("=B9=\"\"").boolean);
    EXPECT_TRUE(eval("=B9=FALSE").boolean);
    EXPECT_TRUE(eval("=TRUE>\"zzz\"").boolean);
    EXPECT_EQ(number("=\"50%\"+1"), 1.5);
    EXPECT_EQ(number("=\" 2 \"*3"), 6);
    EXPECT_EQ(error("=\"0x10\"+1"), ErrorCode::Value);
    EXPECT_EQ(text("=1/3&\"\""), "0.333333333333333");
    EXPECT_EQ(text("=-0.5&\"\""), "-0.5");
    EXPECT_EQ(number("=2^-1"), 0.5);
    EXPECT_EQ(error("=0^-1"), ErrorCode::Div0);
    EXPECT_EQ(error("=10^400"), ErrorCode::Num);
}

TEST_F(EvaluatorTest, ReferencesToOtherSheetsFollowTheirNames) {
    Sheet& other = workbook.appendSheet(SheetType::Worksheet, "Other Data");
    other.setValue({0, 0}, CellValue::fromNumber(7));
    Sheet& chart = workbook.appendSheet(SheetType::Chart, "Chart1");
    (void)chart;
    EXPECT_EQ(number("='Other Data'!A1*2"), 14);
    EXPECT_EQ(number("=SUM('other data'!A1:B2)"), 7);
    EXPECT_EQ(error("=Chart1!A1"), ErrorCode::Ref);
    setFormula("A1", "='Other Data'!A1+1");
    EXPECT_EQ(valueOf("A1").number, 8);
    // Once the sheet is gone the reference no longer finds it.
    ASSERT_TRUE(workbook.removeSheet(workbook.indexOf(other)));
    EXPECT_EQ(valueOf("A1"), CellValue::fromError(ErrorCode::Ref));
}

TEST_F(EvaluatorTest, ErrorsInsideRangesReachTheAggregate) {
    setFormula("A1", "=1/0");
    set("A2", CellValue::fromNumber(1));
    EXPECT_EQ(error("=SUM(A1:A2)"), ErrorCode::Div0);
    EXPECT_EQ(number("=COUNT(A1:A2)"), 1);
    EXPECT_EQ(number("=COUNTA(A1:A2)"), 2);
    EXPECT_EQ(error("=A1:A2"), ErrorCode::Value);
    EXPECT_EQ(number("=A2:A2"), 1);
}
