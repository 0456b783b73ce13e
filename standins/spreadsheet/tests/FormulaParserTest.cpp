#include "FormulaParser.h"

#include <gtest/gtest.h>

using namespace spreadsheet;

namespace {

std::string canonical(const char* text) {
    std::string error;
    FormulaPtr f = makeFormula(text, &error);
    return f ? f->text : "error: " + error;
}

} // namespace

TEST(FormulaParser, PrintsBackCanonicalText) {
    EXPECT_EQ(canonical("=sum( a1:b2 , 3)"), "=SUM(A1:B2,3)");
    EXPECT_EQ(canonical("=$A$1+A$2*$B3"), "=$A$1+A$2*$B3");
    EXPECT_EQ(canonical("='My Sheet'!A1&\"a\"\"b\""), "='My Sheet'!A1&\"a\"\"b\"");
    EXPECT_EQ(canonical("=Data!B2:C3"), "=Data!B2:C3");
    EXPECT_EQ(canonical("=-(1+2)%"), "=-(1+2)%");
    EXPECT_EQ(canonical("=#div/0!"), "=#DIV/0!");
    EXPECT_EQ(canonical("=true<>FALSE"), "=TRUE<>FALSE");
    EXPECT_EQ(canonical("=IF(A1,,2)"), "=IF(A1,,2)");
    EXPECT_EQ(canonical("=1.5E+3"), "=1500");
    EXPECT_EQ(canonical("1+1"), "=1+1");
}

// Whole numbers take a shorter path to text than other numbers; both must
// read as the general format shows them, up to where it turns to exponents.
TEST(FormulaParser, NumbersPrintAsTheGeneralFormatShowsThem) {
    EXPECT_EQ(canonical("=0+7+123456789012345"), "=0+7+123456789012345");
    EXPECT_EQ(canonical("=999999999999999+1000000000000000"), "=999999999999999+1E+15");
    EXPECT_EQ(canonical("=0.5+1E-5+3.25E+20"), "=0.5+1E-05+3.25E+20");
    EXPECT_EQ(canonical("=A1048576+XFD1"), "=A1048576+XFD1");
    FormulaNode negativeZero;
    negativeZero.kind = NodeKind::Number;
    negativeZero.number = -0.0;
    EXPECT_EQ(formatFormula(negativeZero), "=-0");
    negativeZero.number = -42;
    EXPECT_EQ(formatFormula(negativeZero), "=-42");
}

TEST(FormulaParser, BuildsReferencesWithFlagsAndSheets) {
    auto parsed = parseFormula("='It''s'!$C$5:D6");
    ASSERT_TRUE(parsed);
    const FormulaNode& area = *parsed.root;
    EXPECT_EQ(area.kind, NodeKind::Area);
    EXPECT_EQ(area.sheet, "It's");
    EXPECT_EQ(area.first.cell, (CellPosition{4, 2}));
    EXPECT_TRUE(area.first.rowAbsolute);
    EXPECT_FALSE(area.last.columnAbsolute);
    EXPECT_EQ(canonical("='It''s'!A1"), "='It''s'!A1");
}

TEST(FormulaParser, OperatorPrecedenceMatchesTheApplication) {
    // Unary minus binds tighter than ^, comparison is lowest, & below + and -.
    auto parsed = parseFormula("=-2^2");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed.root->op, Operator::Power);
    EXPECT_EQ(parsed.root->children[0]->kind, NodeKind::Unary);
    parsed = parseFormula("=1+2&3=4");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed.root->op, Operator::Equal);
    EXPECT_EQ(parsed.root->children[0]->op, Operator::Concat);
    EXPECT_EQ(parsed.root->children[0]->children[0]->op, Operator::Add);
}

TEST(FormulaParser, RejectsMalformedInputWithAReason) {
    for (const char* bad : {"=", "=1+", "=(1", "=SUM(1", "=\"abc", "='Sheet1", "=Sheet1!", "=1 2",
                            "=#BOGUS", "=A1:", "=@", "=.", "=1e999"}) {
        auto parsed = parseFormula(bad);
        EXPECT_FALSE(parsed) << bad;
        EXPECT_FALSE(parsed.error.empty()) << bad;
    }
}

TEST(FormulaParser, BoundsNestingAndLength) {
    std::string deep = "=" + std::string(65, '(') + "1" + std::string(65, ')');
    EXPECT_FALSE(parseFormula(deep));
    std::string ok = "=" + std::string(64, '(') + "1" + std::string(64, ')');
    EXPECT_TRUE(parseFormula(ok));
    std::string functions = "=";
    for (int i = 0; i < 100; ++i)
        functions += "ABS(";
    functions += "1" + std::string(100, ')');
    EXPECT_FALSE(parseFormula(functions));
    std::string signs = "=" + std::string(4000, '-') + "1";
    EXPECT_FALSE(parseFormula(signs));
    EXPECT_FALSE(parseFormula("=" + std::string(kMaxFormulaLength, '1')));
    std::string longSum = "=1";
    for (int i = 0; i < 400; ++i)
        longSum += "+1";
    EXPECT_TRUE(parseFormula(longSum));
}

TEST(FormulaParser, OffsetMovesOnlyRelativeReferences) {
    FormulaPtr f = makeFormula("=A1+$B$2+C$3+Other!$D4+SUM(A1:B2)");
    ASSERT_TRUE(f);
    EXPECT_EQ(offsetFormula(*f, 1, 2)->text, "=C2+$B$2+E$3+Other!$D5+SUM(C2:D3)");
    // A reference pushed off the grid becomes #REF!.
    EXPECT_EQ(offsetFormula(*f, -1, 0)->text, "=#REF!+$B$2+C$3+Other!$D3+SUM(#REF!)");
}

TEST(FormulaParser, SheetNamesAreQuotedWhereTheyMustBe) {
    EXPECT_EQ(quoteSheetName("Sheet1"), "Sheet1");
    EXPECT_EQ(quoteSheetName("My Sheet"), "'My Sheet'");
    EXPECT_EQ(quoteSheetName("2024"), "'2024'");
    EXPECT_EQ(quoteSheetName("AB12"), "'AB12'");
    EXPECT_EQ(quoteSheetName("It's"), "'It''s'");
    EXPECT_EQ(quoteSheetName("a-b"), "'a-b'");
    EXPECT_EQ(quoteSheetName(".dot"), "'.dot'");
    EXPECT_EQ(canonical("='.dot'!A1"), "='.dot'!A1");
}

TEST(FormulaParser, WholeRowsColumnsNamesAndLiteralLimits) {
    auto column = parseFormula("=SUM(B:C)");
    ASSERT_TRUE(column);
    const FormulaNode& area = *column.root->children[0];
    EXPECT_EQ(area.first.cell, (CellPosition{0, 1}));
    EXPECT_EQ(area.last.cell, (CellPosition{kMaxRows - 1, 2}));
    auto row = parseFormula("=SUM(3:4)");
    ASSERT_TRUE(row);
    EXPECT_EQ(row.root->children[0]->last.cell, (CellPosition{3, kMaxColumns - 1}));
    auto name = parseFormula("=Rate*2");
    ASSERT_TRUE(name);
    EXPECT_EQ(name.root->children[0]->kind, NodeKind::Name);
    EXPECT_FALSE(parseFormula("=\"" + std::string(256, 'x') + "\""));
    EXPECT_TRUE(parseFormula("=\"" + std::string(255, 'x') + "\""));
    // Beyond the last column a cell-like word is only a name.
    auto beyond = parseFormula("=IW1");
    ASSERT_TRUE(beyond);
    EXPECT_EQ(beyond.root->kind, NodeKind::Name);
}
