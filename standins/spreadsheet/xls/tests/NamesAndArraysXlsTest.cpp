// Defined names and array formulas through the token codec, the writer and
// the reader, including records other writers could get wrong.
#include "CompoundFileWriter.h"
#include "FormulaParser.h"
#include "FormulaTokens.h"
#include "LittleEndian.h"
#include "Workbook.h"
#include "XlsReader.h"
#include "XlsWorkbookMapping.h"
#include "XlsWriter.h"

#include <gtest/gtest.h>

namespace {

using spreadsheet::CellArea;
using spreadsheet::CellValue;
using spreadsheet::ErrorCode;

std::vector<uint8_t> encode(const char* text, xls::EncodeContext& context) {
    std::vector<uint8_t> tokens;
    std::string why;
    EXPECT_TRUE(xls::encodeFormula(*spreadsheet::makeFormula(text)->root, context, tokens, why))
        << text << ": " << why;
    return tokens;
}

std::string decode(const std::vector<uint8_t>& tokens, std::vector<std::string> names) {
    xls::FormulaContext context;
    context.sheetNames = {"Data"};
    context.externSheets = {{0, 0, 0}};
    context.supBookIsInternal = {true};
    context.names = std::move(names);
    std::string why;
    const spreadsheet::FormulaNodePtr root = xls::decodeFormula(tokens, context, why);
    return root ? spreadsheet::formatFormula(*root) : "refused: " + why;
}

TEST(NameTokens, NamesEncodeByTheRecordTheirSheetSees) {
    xls::EncodeContext context;
    context.sheetNames = {"Data", "Other"};
    context.names = {{"Rate", -1}, {"Rate", 1}, {"Total", -1}};
    context.sheet = 0;
    EXPECT_EQ(encode("=Rate*2", context),
              (std::vector<uint8_t>{0x43, 1, 0, 0, 0, 0x1E, 2, 0, 0x05}));
    context.sheet = 1; // the sheet's own Rate hides the workbook's
    EXPECT_EQ(encode("=rate", context), (std::vector<uint8_t>{0x43, 2, 0, 0, 0}));
    // Function arguments take the name as a reference.
    EXPECT_EQ(encode("=SUM(Total)", context),
              (std::vector<uint8_t>{0x23, 3, 0, 0, 0, 0x42, 1, 4, 0}));

    std::vector<uint8_t> tokens;
    std::string why;
    EXPECT_FALSE(
        xls::encodeFormula(*spreadsheet::makeFormula("=Nowhere+1")->root, context, tokens, why));
    EXPECT_NE(why.find("Nowhere"), std::string::npos) << why;
    EXPECT_TRUE(tokens.empty());

    // Saving a workbook, a name without a definition gets a record of its own.
    context.addMissingNames = true;
    EXPECT_EQ(encode("=Nowhere+1", context),
              (std::vector<uint8_t>{0x43, 4, 0, 0, 0, 0x1E, 1, 0, 0x03}));
    ASSERT_EQ(context.names.size(), 4u);
    EXPECT_EQ(context.names[3].name, "Nowhere");
    EXPECT_EQ(context.names[3].sheet, -1);
    // A formula refused for another reason adds none.
    EXPECT_FALSE(xls::encodeFormula(*spreadsheet::makeFormula("=Elsewhere+NOSUCHFUNCTION(1)")->root,
                                    context, tokens, why));
    EXPECT_EQ(context.names.size(), 4u);
}

TEST(NameTokens, DecodeToTheirNamesAndRefuseBadIndices) {
    EXPECT_EQ(decode({0x43, 2, 0, 0, 0, 0x44, 2, 0, 2, 0xC0, 0x05}, {"Rate", "Tax"}), "=Tax*C3");
    EXPECT_EQ(decode({0x23, 0, 0, 0, 0}, {"Rate"}), "refused: name index outside the NAME records");
    EXPECT_EQ(decode({0x23, 2, 0, 0, 0}, {"Rate"}), "refused: name index outside the NAME records");
    EXPECT_EQ(decode({0x23, 1, 0, 0, 0}, {""}), "refused: built-in or macro name");
    EXPECT_EQ(decode({0x23, 1, 0}, {"Rate"}), "refused: malformed formula tokens");
}

TEST(NameTokens, DefinitionsHoldSheetReferencesAndArraysTakeArrayOperands) {
    xls::EncodeContext context;
    context.sheetNames = {"Data"};
    context.definitionSheet = "Data";
    // A reference without its sheet is to the definition's sheet, 3-D, as a reference.
    EXPECT_EQ(encode("=$B$1", context), (std::vector<uint8_t>{0x3A, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(decode(encode("=$B$1", context), {}), "=Data!$B$1");

    xls::EncodeContext array;
    array.sheetNames = {"Data"};
    array.arrayFormula = true;
    EXPECT_EQ(encode("=B2:B3*C2:C3", array),
              (std::vector<uint8_t>{0x65, 1, 0, 2, 0, 1, 0xC0, 1, 0xC0, 0x65, 1, 0, 2, 0, 2, 0xC0,
                                    2, 0xC0, 0x05}));
}

// An engine workbook with names of both scopes and two array formulas.
void fill(spreadsheet::Workbook& workbook) {
    auto& data = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Data");
    auto& other = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Other");
    data.setValue({0, 0}, CellValue::fromNumber(0.25));
    for (int r = 1; r <= 5; ++r) {
        data.setValue({r, 1}, CellValue::fromNumber(r));
        data.setValue({r, 2}, CellValue::fromNumber(r * 10));
    }
    ASSERT_TRUE(workbook.defineName("Rate", spreadsheet::makeFormula("=Data!$A$1")));
    ASSERT_TRUE(workbook.defineName("Rate", spreadsheet::makeFormula("=2"), &other));
    ASSERT_TRUE(workbook.defineName("Prices", spreadsheet::makeFormula("=Data!$C$2:$C$6")));
    data.setFormula({0, 4}, spreadsheet::makeFormula("=Rate*C3"));
    other.setFormula({0, 0}, spreadsheet::makeFormula("=Rate*10"));
    const CellArea range{{1, 3}, {5, 3}};
    auto products = spreadsheet::makeArrayFormula(
        spreadsheet::cloneNode(*spreadsheet::makeFormula("=B2:B6*Prices")->root), range);
    for (int r = 1; r <= 5; ++r) {
        data.setFormula({r, 3}, products);
    }
    const CellArea single{{7, 3}, {7, 3}};
    data.setFormula(
        {7, 3},
        spreadsheet::makeArrayFormula(
            spreadsheet::cloneNode(*spreadsheet::makeFormula("=SUM(B2:B6*C2:C6)")->root), single));
    workbook.recalculate();
}

TEST(XlsNamesAndArrays, EngineWorkbookComesBackWithItsNamesAndArrays) {
    spreadsheet::Workbook workbook;
    fill(workbook);
    const xls::WriteOutcome written = xls::writeXlsFile(xls::viewOfWorkbook(workbook));
    EXPECT_TRUE(written.notes.empty()) << written.notes.front();
    spreadsheet::Workbook back;
    const xls::ReadOutcome read = xls::readXlsIntoWorkbook(written.bytes, back);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.notes.empty()) << read.notes.front();
    back.recalculate();

    ASSERT_EQ(back.names().size(), 3u);
    EXPECT_EQ(back.findName("Rate", &back.sheet(1))->refersTo->text, "=2");
    EXPECT_EQ(back.findName("Rate", &back.sheet(0))->refersTo->text, "=Data!$A$1");
    EXPECT_EQ(back.findName("Prices", nullptr)->refersTo->text, "=Data!$C$2:$C$6");

    const auto& data = back.sheet(0);
    EXPECT_EQ(data.cell({0, 4})->formula->text, "=Rate*C3");
    EXPECT_EQ(data.cell({0, 4})->value, CellValue::fromNumber(5));
    EXPECT_EQ(back.sheet(1).cell({0, 0})->value, CellValue::fromNumber(20));
    const spreadsheet::FormulaPtr products = data.cell({1, 3})->formula;
    ASSERT_TRUE(products && products->array);
    EXPECT_EQ(*products->array, (CellArea{{1, 3}, {5, 3}}));
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(data.cell({r, 3})->formula, products) << "one formula for the whole array";
        EXPECT_EQ(data.cell({r, 3})->value, CellValue::fromNumber(r * r * 10.0));
    }
    ASSERT_TRUE(data.cell({7, 3})->formula->array);
    EXPECT_EQ(data.cell({7, 3})->formula->text, "=SUM(B2:B6*C2:C6)");
    EXPECT_EQ(data.cell({7, 3})->value, CellValue::fromNumber(550));
}

TEST(XlsNamesAndArrays, NamesWithoutDefinitionsKeepTheFormulasThatUseThem) {
    spreadsheet::Workbook workbook;
    auto& sheet = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "S");
    ASSERT_TRUE(workbook.defineName("Far", spreadsheet::makeFormula("=Gone!A1")));
    ASSERT_TRUE(workbook.defineName("Near", spreadsheet::makeFormula("=Far+1")));
    sheet.setFormula({0, 0}, spreadsheet::makeFormula("=Near*2"));
    sheet.setFormula({1, 0}, spreadsheet::makeFormula("=Unknown*2"));
    workbook.recalculate();
    const xls::WriteOutcome written = xls::writeXlsFile(xls::viewOfWorkbook(workbook));
    ASSERT_EQ(written.notes.size(), 1u);
    EXPECT_NE(written.notes[0].find("definition of name Far is not saved"), std::string::npos)
        << written.notes[0];
    spreadsheet::Workbook back;
    const xls::ReadOutcome read = xls::readXlsIntoWorkbook(written.bytes, back);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.notes.empty()) << read.notes.front();
    back.recalculate();
    ASSERT_EQ(back.names().size(), 1u);
    EXPECT_EQ(back.names()[0].refersTo->text, "=Far+1");
    for (const char* address : {"A1", "A2"}) {
        const spreadsheet::Cell* cell = back.sheet(0).cell(*spreadsheet::parseCellAddress(address));
        ASSERT_TRUE(cell && cell->hasFormula()) << address;
        EXPECT_EQ(cell->value, CellValue::fromError(ErrorCode::Name)) << address;
    }
    EXPECT_EQ(back.sheet(0).cell({1, 0})->formula->text, "=Unknown*2");
}

// A workbook stream put together record by record, for what no sound writer makes.
std::vector<uint8_t> record(uint16_t id, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    le::put16(out, id);
    le::put16(out, static_cast<uint16_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> nameRecord(const std::string& name, const std::vector<uint8_t>& tokens) {
    std::vector<uint8_t> d = {0, 0, 0, static_cast<uint8_t>(name.size())};
    le::put16(d, static_cast<uint16_t>(tokens.size()));
    d.insert(d.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0});
    d.insert(d.end(), name.begin(), name.end());
    d.insert(d.end(), tokens.begin(), tokens.end());
    return record(0x0018, d);
}

// A formula cell holding the number 1 as its last result.
std::vector<uint8_t> formulaRecord(uint16_t row, uint16_t column,
                                   const std::vector<uint8_t>& tokens) {
    std::vector<uint8_t> d;
    le::put16(d, row);
    le::put16(d, column);
    le::put16(d, 0);
    le::putF64(d, 1.0);
    le::put16(d, 0);
    le::put32(d, 0);
    le::put16(d, static_cast<uint16_t>(tokens.size()));
    d.insert(d.end(), tokens.begin(), tokens.end());
    return record(0x0006, d);
}

std::vector<uint8_t> arrayRecord(uint16_t firstRow, uint16_t lastRow, uint8_t firstColumn,
                                 uint8_t lastColumn, const std::vector<uint8_t>& tokens) {
    std::vector<uint8_t> d;
    le::put16(d, firstRow);
    le::put16(d, lastRow);
    d.push_back(firstColumn);
    d.push_back(lastColumn);
    d.insert(d.end(), {0, 0, 0, 0, 0, 0});
    le::put16(d, static_cast<uint16_t>(tokens.size()));
    d.insert(d.end(), tokens.begin(), tokens.end());
    return record(0x0221, d);
}

std::vector<uint8_t> expOf(uint16_t row, uint16_t column) {
    std::vector<uint8_t> t = {0x01};
    le::put16(t, row);
    le::put16(t, column);
    return t;
}

std::vector<uint8_t> streamWith(const std::vector<std::vector<uint8_t>>& globals,
                                const std::vector<std::vector<uint8_t>>& cells) {
    const std::vector<uint8_t> bof = {0x00, 0x06, 0x05, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> bofSheet = bof;
    bofSheet[2] = 0x10;
    std::vector<uint8_t> stream;
    const auto add = [&](const std::vector<uint8_t>& bytes) {
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    };
    add(record(0x0809, bof));
    const size_t boundSheet = stream.size() + 4;
    add(record(0x0085, {0, 0, 0, 0, 0, 0, 1, 0, 'S'}));
    add(record(0x01AE, {1, 0, 1, 4}));
    add(record(0x0017, {1, 0, 0, 0, 0, 0, 0, 0}));
    for (const auto& r : globals) {
        add(r);
    }
    add(record(0x000A, {}));
    const uint32_t sheetStart = static_cast<uint32_t>(stream.size());
    for (int i = 0; i < 4; ++i) {
        stream[boundSheet + i] = static_cast<uint8_t>(sheetStart >> (8 * i));
    }
    add(record(0x0809, bofSheet));
    for (const auto& r : cells) {
        add(r);
    }
    add(record(0x000A, {}));
    return stream;
}

struct Opened {
    spreadsheet::Workbook workbook;
    xls::ReadOutcome outcome;
};

void open(const std::vector<uint8_t>& stream, Opened& opened) {
    cfb::CompoundFileWriter container;
    container.addStream(u"Workbook", stream);
    opened.outcome = xls::readXlsIntoWorkbook(container.finish(), opened.workbook);
    ASSERT_TRUE(opened.outcome.ok) << opened.outcome.error;
    opened.workbook.recalculate();
}

bool noted(const Opened& opened, const std::string& part) {
    for (const std::string& note : opened.outcome.notes) {
        if (note.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(XlsNamesAndArrays, BadNamesKeepTheCachedValuesWithANote) {
    Opened opened;
    open(streamWith({nameRecord("Self", {0x43, 1, 0, 0, 0, 0x1E, 1, 0, 0x03}),
                     nameRecord("Wild", {0x43, 9, 0, 0, 0}), nameRecord("Empty", {})},
                    {formulaRecord(0, 0, {0x43, 1, 0, 0, 0}),
                     formulaRecord(0, 1, {0x43, 7, 0, 0, 0}),
                     formulaRecord(0, 2, {0x43, 3, 0, 0, 0})}),
         opened);
    const auto& sheet = opened.workbook.sheet(0);
    // A name that refers to itself opens and evaluates to an error, not endlessly.
    ASSERT_TRUE(sheet.cell({0, 0})->hasFormula());
    EXPECT_EQ(sheet.cell({0, 0})->value, CellValue::fromError(ErrorCode::Name));
    EXPECT_TRUE(noted(opened, "name Wild dropped (name index outside the NAME records)"));
    // A name without a definition keeps the formulas that use it, silently.
    EXPECT_FALSE(noted(opened, "Empty"));
    ASSERT_TRUE(sheet.cell({0, 2})->hasFormula());
    EXPECT_EQ(sheet.cell({0, 2})->formula->text, "=Empty");
    EXPECT_EQ(sheet.cell({0, 2})->value, CellValue::fromError(ErrorCode::Name));
    EXPECT_FALSE(sheet.cell({0, 1})->hasFormula());
    EXPECT_EQ(sheet.cell({0, 1})->value, CellValue::fromNumber(1));
    EXPECT_TRUE(noted(opened, "S!B1: formula kept as its value"));
}

TEST(XlsNamesAndArrays, ArraysThatDoNotHoldTheirCellsKeepTheCachedValues) {
    const std::vector<uint8_t> two = {0x1E, 2, 0};
    Opened opened;
    open(streamWith({},
                    {// A1's array record claims C5:D6 instead.
                     formulaRecord(0, 0, expOf(0, 0)), arrayRecord(4, 5, 2, 3, two),
                     // B1 points into an array at B2:B3 that does not cover it.
                     formulaRecord(2, 1, expOf(1, 1)), arrayRecord(1, 2, 1, 1, two),
                     formulaRecord(0, 1, expOf(1, 1)),
                     // An upside-down range is no array.
                     formulaRecord(5, 5, expOf(5, 5)), arrayRecord(5, 4, 5, 5, two)}),
         opened);
    const auto& sheet = opened.workbook.sheet(0);
    EXPECT_FALSE(sheet.cell({0, 0})->hasFormula());
    EXPECT_EQ(sheet.cell({0, 0})->value, CellValue::fromNumber(1));
    EXPECT_TRUE(noted(opened, "S!A1: formula kept as its value (array or table formula)"));
    EXPECT_FALSE(sheet.cell({0, 1})->hasFormula());
    EXPECT_TRUE(noted(opened, "S!B1: formula kept as its value (cell outside its array formula)"));
    EXPECT_EQ(sheet.cell({2, 1})->value, CellValue::fromNumber(2));
    EXPECT_FALSE(sheet.cell({5, 5})->hasFormula());
}

TEST(XlsNamesAndArrays, AnArrayOverTheWholeGridCostsOnlyItsCells) {
    // A constant over A1:IV65536, with only two of its cells present.
    Opened opened;
    open(streamWith({},
                    {formulaRecord(0, 0, expOf(0, 0)), arrayRecord(0, 65535, 0, 255, {0x1E, 3, 0}),
                     formulaRecord(65535, 255, expOf(0, 0))}),
         opened);
    const auto& sheet = opened.workbook.sheet(0);
    EXPECT_EQ(sheet.cells().size(), 2u);
    EXPECT_EQ(sheet.cell({0, 0})->value, CellValue::fromNumber(3));
    EXPECT_EQ(sheet.cell({65535, 255})->value, CellValue::fromNumber(3));
    ASSERT_TRUE(sheet.cell({65535, 255})->formula->array);
}

} // namespace
