#include "FormulaParser.h"
#include "FormulaTokens.h"
#include "FunctionTable.h"

#include <gtest/gtest.h>

namespace {

// The trees agree node by node, not only in their printed text.
bool sameTree(const spreadsheet::FormulaNode& a, const spreadsheet::FormulaNode& b) {
    if (a.kind != b.kind || a.op != b.op || a.number != b.number || a.boolean != b.boolean ||
        a.error != b.error || a.text != b.text || a.sheet != b.sheet || !(a.first == b.first) ||
        !(a.last == b.last) || a.children.size() != b.children.size()) {
        return false;
    }
    for (size_t i = 0; i < a.children.size(); ++i) {
        if (!sameTree(*a.children[i], *b.children[i])) {
            return false;
        }
    }
    return true;
}

std::string roundTrip(const std::string& text, std::string& why) {
    const spreadsheet::FormulaPtr formula = spreadsheet::makeFormula(text);
    if (!formula) {
        why = "does not parse";
        return {};
    }
    xls::EncodeContext encode;
    encode.sheetNames = {"Sheet1", "Sheet2", "My Sheet"};
    std::vector<uint8_t> tokens;
    if (!xls::encodeFormula(*formula->root, encode, tokens, why)) {
        return {};
    }
    xls::FormulaContext decode;
    decode.sheetNames = encode.sheetNames;
    decode.externSheets = encode.externSheets;
    decode.supBookIsInternal = {true};
    const spreadsheet::FormulaNodePtr root = xls::decodeFormula(tokens, decode, why);
    if (root && !sameTree(*root, *formula->root)) {
        why = "the decoded tree differs from the parsed one";
        return {};
    }
    return root ? spreadsheet::formatFormula(*root) : std::string();
}

TEST(FormulaCodec, EngineFormulasSurviveTokensBothWays) {
    const char* const formulas[] = {
        "=1+2*3",
        "=(A1+$B$2)/C$3-$D4",
        "=-A1%",
        "=+A1^2",
        "=SUM(A1:B10,5)",
        "=SUM()",
        "=IF(A1>0,\"pos\",\"neg\")",
        "=IF(A1,,2)",
        "=Sheet2!A1+SUM('My Sheet'!$B$2:C3)",
        "=ROUND(PI(),2)",
        "=\"a\"&\"b\"\"c\"",
        "=TRUE<>FALSE",
        "=#DIV/0!",
        "=70000+1.5E+20+0.25",
        "=A1<=B1",
        "=A1<B1",
        "=A1>=B1",
        "=A1=B1",
        "=VLOOKUP(A1,Sheet2!A1:C9,3,FALSE)",
        "=CONCATENATE(\"x\",\"\xE2\x82\xAC\")",
        "=NOW()-TODAY()",
        "=IV65536",
    };
    for (const char* text : formulas) {
        std::string why;
        const spreadsheet::FormulaPtr formula = spreadsheet::makeFormula(text);
        ASSERT_TRUE(formula) << text;
        EXPECT_EQ(roundTrip(text, why), formula->text) << text << ": " << why;
    }
}

TEST(FormulaCodec, WhatTheFormatCannotHoldIsRefused) {
    const char* const refused[] = {
        "=NOSUCHFUNCTION(1)", "=Elsewhere!A1",
        "=ROUND(1)", // too few arguments
    };
    for (const char* text : refused) {
        std::string why;
        EXPECT_EQ(roundTrip(text, why), "") << text;
        EXPECT_FALSE(why.empty()) << text;
    }
    // A tree built by hand may hold a text constant the token cannot.
    spreadsheet::FormulaNode text;
    text.kind = spreadsheet::NodeKind::Text;
    text.text = std::string(300, 'x');
    xls::EncodeContext encode;
    std::vector<uint8_t> tokens;
    std::string why;
    EXPECT_FALSE(xls::encodeFormula(text, encode, tokens, why));
    EXPECT_NE(why.find("255"), std::string::npos) << why;
}

TEST(FormulaCodec, RefusalLeavesTokensAndSheetTableUntouched) {
    xls::EncodeContext encode;
    encode.sheetNames = {"Sheet1", "Sheet2"};
    std::vector<uint8_t> tokens = {0xAA};
    std::string why;
    const auto formula = spreadsheet::makeFormula("=Sheet2!A1+NOSUCHFUNCTION(1)");
    ASSERT_TRUE(formula);
    EXPECT_FALSE(xls::encodeFormula(*formula->root, encode, tokens, why));
    EXPECT_EQ(tokens, std::vector<uint8_t>{0xAA});
    EXPECT_TRUE(encode.externSheets.empty());
}

std::string decodeBytes(const std::vector<uint8_t>& tokens, uint16_t row = 0, uint16_t column = 0) {
    xls::FormulaContext context;
    context.sheetNames = {"Data", "Other"};
    context.externSheets = {{0, 0, 0}, {1, 0, 0}};
    context.supBookIsInternal = {false, true};
    context.row = row;
    context.column = column;
    std::string why;
    const spreadsheet::FormulaNodePtr root = xls::decodeFormula(tokens, context, why);
    return root ? spreadsheet::formatFormula(*root) : "refused: " + why;
}

TEST(FormulaDecoder, ReadsTheTokenFormsOtherWritersUse) {
    // SUM through ptgAttr, with a space attribute before it.
    EXPECT_EQ(
        decodeBytes({0x19, 0x40, 0x00, 0x01, 0x25, 0, 0, 4, 0, 0, 0xC0, 1, 0xC0, 0x19, 0x10, 0, 0}),
        "=SUM(A1:B5)");
    // IF with its jump attributes.
    EXPECT_EQ(decodeBytes({0x44, 0, 0,    0, 0xC0, 0x19, 0x02, 5, 0, 0x1E, 1, 0, 0x19, 0x08,
                           7,    0, 0x1E, 2, 0,    0x19, 0x08, 3, 0, 0x42, 3, 1, 0}),
              "=IF(A1,1,2)");
    // CHOOSE with its jump table (count 2: three offsets).
    EXPECT_EQ(decodeBytes({0x1E, 1,    0, 0x19, 0x04, 2, 0, 1,    0, 2,   0, 3,
                           0,    0x1E, 7, 0,    0x1E, 8, 0, 0x42, 3, 100, 0}),
              "=CHOOSE(1,7,8)");
    // Shared-formula offsets (ptgRefN) from cell B3: one row down, one column left.
    EXPECT_EQ(decodeBytes({0x4C, 1, 0, 0xFF, 0xC0}, 2, 1), "=A4");
    // A 3-D reference through EXTERNSHEET entry 1 (internal book, sheet Data), absolute.
    EXPECT_EQ(decodeBytes({0x5A, 1, 0, 9, 0, 2, 0}), "=Data!$C$10");
    // Fixed-argument function and a number constant.
    EXPECT_EQ(decodeBytes({0x1F, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0x41, 24, 0}), "=ABS(1.5)");
}

TEST(FormulaDecoder, RefusesWhatItCannotShowAndMalformedTokens) {
    EXPECT_EQ(decodeBytes({0x5A, 0, 0, 0, 0, 0, 0}), "refused: reference to another workbook");
    EXPECT_EQ(decodeBytes({0x23, 1, 0, 0, 0}), "refused: name index outside the NAME records");
    EXPECT_EQ(decodeBytes({0x1E, 1}), "refused: malformed formula tokens");
    EXPECT_EQ(decodeBytes({0x03}), "refused: malformed formula tokens");
    EXPECT_EQ(decodeBytes({0x1E, 1, 0, 0x1E, 2, 0}), "refused: malformed formula tokens");
    EXPECT_EQ(decodeBytes({0x1E, 1, 0, 0x42, 2, 4, 0}), "refused: malformed formula tokens");
    EXPECT_EQ(decodeBytes({0x42, 0, 0xFF, 0x7F}), "refused: unknown function");
    // A chain of unary minus deeper than any real formula is refused, not recursed.
    std::vector<uint8_t> deep = {0x1E, 1, 0};
    deep.insert(deep.end(), 5000, 0x13);
    EXPECT_EQ(decodeBytes(deep), "refused: malformed formula tokens");
}

TEST(FunctionTable, IndicesAndNamesAgree) {
    for (uint16_t index = 0; index < 400; ++index) {
        if (const xls::FunctionInfo* info = xls::functionByIndex(index)) {
            EXPECT_EQ(xls::functionByName(info->name), info);
            EXPECT_LE(info->minArgs, info->maxArgs);
        }
    }
    EXPECT_EQ(xls::functionByName("vlookup")->index, 102);
    EXPECT_EQ(xls::functionByIndex(4)->name, std::string("SUM"));
    EXPECT_EQ(xls::functionByName("NOSUCH"), nullptr);
}

} // namespace
