#include "FormulaParser.h"
#include "Workbook.h"
#include "XlsFileFormat.h"
#include "XlsReader.h"
#include "XlsWorkbookMapping.h"
#include "XlsWriter.h"
#include "CompoundFileWriter.h"
#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using spreadsheet::CellPosition;
using spreadsheet::CellValue;

xls::Cell cell(uint16_t row, uint16_t column, CellValue value, uint32_t style = 0,
               const char* formula = nullptr) {
    xls::Cell c;
    c.row = row;
    c.column = column;
    c.value = std::move(value);
    c.style = style;
    if (formula) {
        c.formula = spreadsheet::makeFormula(formula);
    }
    return c;
}

xls::Book sampleBook() {
    xls::Book book;
    xls::CellStyle bold;
    bold.font.bold = true;
    bold.font.underline = xls::Underline::Double;
    bold.horizontal = xls::HorizontalAlignment::Center;
    bold.numberFormat = "0.00%";
    xls::CellStyle custom;
    custom.font.name = "Courier New";
    custom.font.heightTwips = 240;
    custom.font.italic = true;
    custom.numberFormat = "#,##0.000;[Red]-#,##0.000";
    custom.horizontal = xls::HorizontalAlignment::Right;
    book.styles = {xls::CellStyle{}, bold, custom};

    xls::Sheet& first = book.sheets.emplace_back();
    first.name = "Numbers";
    first.cells = {
        cell(0, 0, CellValue::fromNumber(1)),
        cell(0, 1, CellValue::fromNumber(-2.5), 1),
        cell(0, 2, CellValue::fromNumber(0.1), 2),
        cell(0, 3, CellValue::fromNumber(123456789012.0)),
        cell(0, 4, CellValue::fromNumber(-536870912.0)),
        cell(1, 0, CellValue::fromText("h\xC3\xA9llo \xE2\x82\xAC")),
        cell(1, 1, CellValue::fromText("h\xC3\xA9llo \xE2\x82\xAC")),
        cell(1, 2, CellValue::fromText("")),
        cell(2, 0, CellValue::fromBoolean(true)),
        cell(2, 1, CellValue::fromError(spreadsheet::ErrorCode::Div0)),
        cell(2, 2, CellValue{}, 1), // formatting only
        cell(3, 0, CellValue::fromNumber(3.5), 0, "=A1+B1*2"),
        cell(3, 1, CellValue::fromText("neg"), 0, "=IF(B1>0,\"pos\",\"neg\")"),
        cell(3, 2, CellValue::fromBoolean(false), 0, "=A1>B1"),
        cell(3, 3, CellValue::fromError(spreadsheet::ErrorCode::Div0), 0, "=1/0"),
        cell(3, 4, CellValue::fromText(""), 0, "=\"\""),
        cell(3, 5, CellValue::fromNumber(7), 0, "=Words!A1+SUM(A1:B1)"),
        cell(65535, 255, CellValue::fromText("corner")),
    };
    first.columns = {{0, 0, 5000, 0, false}, {2, 4, 1000, 1, true}};
    first.defaultColumnWidth = 10;

    xls::Sheet& chart = book.sheets.emplace_back();
    chart.name = "Chart1";
    chart.kind = xls::SheetKind::Chart;

    xls::Sheet& words = book.sheets.emplace_back();
    words.name = "Words";
    // Enough distinct long strings that the shared string table needs CONTINUE
    // records, and some of them split in the middle.
    for (uint16_t i = 0; i < 400; ++i) {
        std::string text = "row " + std::to_string(i) + " " + std::string(40 + i % 17, 'w');
        if (i % 3 == 0) {
            text += " \xE2\x82\xAC";
        }
        words.cells.push_back(cell(i, 0, CellValue::fromText(text)));
    }
    book.activeSheet = 2;
    return book;
}

// A book of chart sheets alone is saved with one empty worksheet before
// them, which must open again (its stream was once never written); its name
// is one the chart sheets do not use.
TEST(XlsRoundTrip, BookWithoutWorksheetsOpensAgainWithItsPlaceholder) {
    xls::Book book;
    for (const char* name : {"Strings", "sheet1"}) {
        xls::Sheet& chart = book.sheets.emplace_back();
        chart.name = name;
        chart.kind = xls::SheetKind::Chart;
    }
    const xls::WriteOutcome written = xls::writeXlsFile(book);
    ASSERT_EQ(written.notes.size(), 1u);

    xls::Book read;
    const xls::ReadOutcome outcome = xls::readXlsFile(written.bytes, read);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(read.sheets.size(), 3u);
    EXPECT_EQ(read.sheets[0].name, "Sheet2");
    EXPECT_EQ(read.sheets[0].kind, xls::SheetKind::Worksheet);
    EXPECT_TRUE(read.sheets[0].cells.empty());
    EXPECT_EQ(read.sheets[1].name, "Strings");
    EXPECT_EQ(read.sheets[1].kind, xls::SheetKind::Chart);
    EXPECT_EQ(read.sheets[2].kind, xls::SheetKind::Chart);
}

TEST(XlsRoundTrip, BookComesBackWithEverythingInScope) {
    const xls::Book book = sampleBook();
    const xls::WriteOutcome written = xls::writeXlsFile(book);
    EXPECT_TRUE(written.notes.empty());

    xls::Book read;
    const xls::ReadOutcome outcome = xls::readXlsFile(written.bytes, read);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_TRUE(outcome.notes.empty());

    ASSERT_EQ(read.sheets.size(), 3u);
    EXPECT_EQ(read.activeSheet, 2u);
    EXPECT_EQ(read.sheets[1].kind, xls::SheetKind::Chart);
    EXPECT_EQ(read.sheets[1].name, "Chart1");
    for (size_t s = 0; s < 3; ++s) {
        const xls::Sheet& a = book.sheets[s];
        const xls::Sheet& b = read.sheets[s];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.defaultColumnWidth, b.defaultColumnWidth);
        ASSERT_EQ(a.cells.size(), b.cells.size()) << a.name;
        for (size_t i = 0; i < a.cells.size(); ++i) {
            const xls::Cell& x = a.cells[i];
            const xls::Cell& y = b.cells[i];
            EXPECT_EQ(x.row, y.row);
            EXPECT_EQ(x.column, y.column);
            EXPECT_EQ(x.value, y.value) << a.name << " cell " << i;
            EXPECT_EQ(x.formula ? x.formula->text : "", y.formula ? y.formula->text : "");
            EXPECT_EQ(book.styles[x.style], read.styles[y.style]) << a.name << " cell " << i;
        }
        ASSERT_EQ(a.columns.size(), b.columns.size());
        for (size_t i = 0; i < a.columns.size(); ++i) {
            EXPECT_EQ(a.columns[i].first, b.columns[i].first);
            EXPECT_EQ(a.columns[i].last, b.columns[i].last);
            EXPECT_EQ(a.columns[i].width, b.columns[i].width);
            EXPECT_EQ(a.columns[i].hidden, b.columns[i].hidden);
            EXPECT_EQ(book.styles[a.columns[i].style], read.styles[b.columns[i].style]);
        }
    }
}

TEST(XlsRoundTrip, UnencodableFormulaIsSavedAsItsValueAndReported) {
    xls::Book book;
    xls::Sheet& sheet = book.sheets.emplace_back();
    sheet.name = "S";
    sheet.cells = {cell(0, 0, CellValue::fromNumber(42), 0, "=NOSUCHFUNCTION(1)"),
                   cell(0, 1, CellValue::fromText("kept"), 0, "=Gone!A1")};
    const xls::WriteOutcome written = xls::writeXlsFile(book);
    ASSERT_EQ(written.notes.size(), 2u);
    EXPECT_NE(written.notes[0].find("S!A1"), std::string::npos) << written.notes[0];

    xls::Book read;
    ASSERT_TRUE(xls::readXlsFile(written.bytes, read).ok);
    ASSERT_EQ(read.sheets[0].cells.size(), 2u);
    EXPECT_EQ(read.sheets[0].cells[0].value, CellValue::fromNumber(42));
    EXPECT_EQ(read.sheets[0].cells[0].formula, nullptr);
    EXPECT_EQ(read.sheets[0].cells[1].value, CellValue::fromText("kept"));
}

TEST(XlsRoundTrip, EveryFormulaOfALargeSheetKeepsItsTokens) {
    // The formulas of a file share one token buffer: each one's size limit
    // must count its own tokens only.
    xls::Book book;
    xls::Sheet& sheet = book.sheets.emplace_back();
    sheet.name = "S";
    for (uint16_t row = 0; row < 2000; ++row) {
        const std::string formula = "=B" + std::to_string(row + 1) + "*2+1";
        sheet.cells.push_back(cell(row, 0, CellValue::fromNumber(1), 0, formula.c_str()));
    }
    const xls::WriteOutcome written = xls::writeXlsFile(book);
    EXPECT_TRUE(written.notes.empty()) << written.notes.front();

    xls::Book read;
    ASSERT_TRUE(xls::readXlsFile(written.bytes, read).ok);
    ASSERT_EQ(read.sheets[0].cells.size(), 2000u);
    for (const xls::Cell& c : read.sheets[0].cells) {
        ASSERT_NE(c.formula, nullptr) << "row " << c.row;
        EXPECT_EQ(c.formula->text, "=B" + std::to_string(c.row + 1) + "*2+1");
    }
}

// A file in memory that counts what is written again in place, and can be
// made to refuse a write.
class MemoryFile final : public cfb::FileSink {
public:
    std::vector<uint8_t> bytes;
    int rewrites = 0;
    int writesBeforeFailing = -1; // -1: never fails

    bool write(std::span<const uint8_t> piece) override {
        if (writesBeforeFailing == 0) {
            return false;
        }
        --writesBeforeFailing;
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        return true;
    }
    bool rewrite(uint64_t offset, std::span<const uint8_t> piece) override {
        ++rewrites;
        if (offset + piece.size() > bytes.size()) {
            return false;
        }
        std::copy(piece.begin(), piece.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return true;
    }
};

// Shared strings past a megabyte, so that the sheets' places in the first
// records are known only after those records were handed on, then a chart
// sheet and a sheet of numbers and formulas.
xls::Book streamedBook() {
    xls::Book book;
    xls::Sheet& words = book.sheets.emplace_back();
    words.name = "Words";
    for (uint16_t row = 0; row < 40000; ++row) {
        words.cells.push_back(
            cell(row, 0,
                 CellValue::fromText("distinct text number " + std::to_string(row) +
                                     std::string(20, 'x'))));
    }
    xls::Sheet& chart = book.sheets.emplace_back();
    chart.name = "Chart1";
    chart.kind = xls::SheetKind::Chart;
    xls::Sheet& numbers = book.sheets.emplace_back();
    numbers.name = "Numbers";
    for (uint16_t row = 0; row < 20000; ++row) {
        for (uint16_t column = 0; column < 4; ++column) {
            numbers.cells.push_back(cell(row, column, CellValue::fromNumber(row * 0.5 + column)));
        }
        const std::string formula = "=A" + std::to_string(row + 1) + "+Words!A1";
        numbers.cells.push_back(cell(row, 4, CellValue::fromNumber(row), 0, formula.c_str()));
    }
    return book;
}

TEST(XlsWriter, LargeBookStreamsIntoTheFileItWouldMakeWhole) {
    const xls::Book book = streamedBook();
    const xls::BookView view = xls::viewOf(book);
    cfb::CompoundFileWriter whole;
    whole.addStream(u"Workbook", xls::writeWorkbookStream(view).bytes);
    const std::vector<uint8_t> expected = whole.finish();

    MemoryFile file;
    std::vector<std::string> notes;
    ASSERT_TRUE(xls::writeXlsFile(view, file, notes));
    EXPECT_TRUE(notes.empty());
    // The header, and the places of the three sheets, which were known only
    // after the shared strings had gone to the file.
    EXPECT_EQ(file.rewrites, 4);
    ASSERT_EQ(file.bytes.size(), expected.size());
    EXPECT_TRUE(file.bytes == expected);

    xls::Book read;
    ASSERT_TRUE(xls::readXlsFile(file.bytes, read).ok);
    EXPECT_EQ(read, book);

    // A small book is framed whole: nothing is written twice.
    MemoryFile small;
    ASSERT_TRUE(xls::writeXlsFile(xls::viewOf(sampleBook()), small, notes));
    EXPECT_EQ(small.rewrites, 0);
    EXPECT_EQ(small.bytes, xls::writeXlsFile(sampleBook()).bytes);
}

TEST(XlsWriter, RefusedWriteFailsTheSave) {
    const xls::Book book = streamedBook();
    for (const int writes : {0, 1, 2}) {
        MemoryFile file;
        file.writesBeforeFailing = writes;
        std::vector<std::string> notes;
        EXPECT_FALSE(xls::writeXlsFile(xls::viewOf(book), file, notes)) << writes;
    }
}

TEST(XlsRoundTrip, EngineWorkbookThroughTheFileFormatSeam) {
    spreadsheet::Workbook workbook;
    spreadsheet::Sheet& a = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Alpha");
    workbook.appendSheet(spreadsheet::SheetType::Chart, "Graph");
    spreadsheet::Sheet& b = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Beta");
    a.setValue({0, 0}, CellValue::fromNumber(2));
    a.setValue({0, 1}, CellValue::fromText("two"));
    a.setFormula({1, 0}, spreadsheet::makeFormula("=A1*Beta!B2"), CellValue::fromNumber(20));
    spreadsheet::CellFormat format;
    format.bold = true;
    format.italic = true;
    format.underline = spreadsheet::kUnderlineSingleAccounting;
    format.alignment = spreadsheet::HorizontalAlignment::CenterAcrossSelection;
    format.numberFormat = "yyyy-mm-dd";
    a.setFormat({0, 0}, format);
    a.setColumnWidth(3, 100);
    b.setValue({1, 1}, CellValue::fromNumber(10));
    workbook.activate(2);

    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("xls-seam-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".xls");
    std::vector<std::string> reported;
    const xls::XlsFileFormat format_([&](const std::string& note) { reported.push_back(note); });
    std::string error;
    ASSERT_TRUE(format_.save(workbook, path, error)) << error;
    EXPECT_TRUE(reported.empty());

    spreadsheet::Workbook opened;
    ASSERT_TRUE(format_.open(path, opened, error)) << error;
    std::filesystem::remove(path);
    ASSERT_EQ(opened.sheetCount(), 3);
    EXPECT_FALSE(opened.sheet(1).isWorksheet());
    EXPECT_EQ(opened.activeSheet().name(), "Beta");
    const spreadsheet::Sheet& alpha = opened.sheet(0);
    EXPECT_EQ(alpha.cell({0, 0})->value, CellValue::fromNumber(2));
    EXPECT_EQ(alpha.cell({0, 0})->format, format);
    EXPECT_EQ(alpha.cell({0, 1})->value, CellValue::fromText("two"));
    ASSERT_TRUE(alpha.cell({1, 0})->hasFormula());
    EXPECT_EQ(alpha.cell({1, 0})->formula->text, "=A1*Beta!B2");
    EXPECT_NEAR(alpha.columnWidth(3), 100, 0.05);
    EXPECT_NEAR(alpha.columnWidth(4), spreadsheet::kStandardColumnWidth, 0.05);
    EXPECT_EQ(opened.sheet(2).cell({1, 1})->value, CellValue::fromNumber(10));
}

TEST(XlsFileFormat, FailuresLeaveTheOldFileAndSayWhy) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("xls-fail-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path bad = dir / "bad.xls";
    std::ofstream(bad, std::ios::binary) << "this is not a workbook";
    const xls::XlsFileFormat format([](const std::string&) {});
    spreadsheet::Workbook workbook;
    std::string error;
    EXPECT_FALSE(format.open(bad, workbook, error));
    EXPECT_EQ(error, "not a compound file");
    EXPECT_FALSE(format.open(dir / "missing.xls", workbook, error));
    EXPECT_FALSE(error.empty());

    // Saving into a folder that does not exist fails and creates nothing.
    spreadsheet::Workbook one;
    one.appendSheet(spreadsheet::SheetType::Worksheet, "S");
    EXPECT_FALSE(format.save(one, dir / "no" / "such.xls", error));
    // Saving over the bad file replaces it whole.
    ASSERT_TRUE(format.save(one, bad, error)) << error;
    spreadsheet::Workbook again;
    EXPECT_TRUE(format.open(bad, again, error)) << error;
    std::filesystem::remove_all(dir);
}

TEST(XlsReader, Reads1904DatesIntoTheEngineCalendar) {
    xls::Book book;
    xls::CellStyle date;
    date.numberFormat = "d-mmm-yy";
    book.styles.push_back(date);
    book.date1904 = true;
    xls::Sheet& sheet = book.sheets.emplace_back();
    sheet.name = "S";
    sheet.cells = {cell(0, 0, CellValue::fromNumber(0), 1), cell(0, 1, CellValue::fromNumber(5))};
    xls::Book read;
    ASSERT_TRUE(xls::readXlsFile(xls::writeXlsFile(book).bytes, read).ok);
    EXPECT_TRUE(read.date1904);
    spreadsheet::Workbook workbook;
    std::string error;
    std::vector<std::string> notes;
    ASSERT_TRUE(xls::fillWorkbook(std::move(read), workbook, error, notes));
    EXPECT_EQ(workbook.sheet(0).cell({0, 0})->value, CellValue::fromNumber(1462)); // 1 Jan 1904
    EXPECT_EQ(workbook.sheet(0).cell({0, 1})->value, CellValue::fromNumber(5));    // not a date
}

TEST(XlsWorkbookMapping, DateFormatsAreRecognised) {
    EXPECT_TRUE(xls::isDateFormat("d-mmm-yy"));
    EXPECT_TRUE(xls::isDateFormat("[h]:mm:ss"));
    EXPECT_TRUE(xls::isDateFormat("[$-409]yyyy"));
    EXPECT_FALSE(xls::isDateFormat("General"));
    EXPECT_FALSE(xls::isDateFormat("[Red]0.00"));
    EXPECT_FALSE(xls::isDateFormat("\"days\" 0"));
    EXPECT_FALSE(xls::isDateFormat("0.00E+00"));
}

TEST(XlsReader, DamagedFilesFailCleanly) {
    const std::vector<uint8_t> good = xls::writeXlsFile(sampleBook()).bytes;
    // Flip bytes all over the file; each result either reads or fails with a reason.
    for (size_t step = 0; step < 200; ++step) {
        std::vector<uint8_t> damaged = good;
        const size_t at = (step * 7919) % damaged.size();
        damaged[at] ^= static_cast<uint8_t>(0x5A + step);
        damaged[(at * 31) % damaged.size()] = 0xFF;
        xls::Book book;
        const xls::ReadOutcome outcome = xls::readXlsFile(damaged, book);
        if (!outcome.ok) {
            EXPECT_FALSE(outcome.error.empty());
            EXPECT_TRUE(book.sheets.empty());
        }
    }
    xls::Book book;
    const xls::ReadOutcome truncated =
        xls::readXlsFile(std::span(good).first(good.size() / 2), book);
    EXPECT_FALSE(truncated.ok);
}

} // namespace

namespace {

// A workbook stream made record by record, for the forms this writer never
// produces: shared formulas and cells out of order.
std::vector<uint8_t> record(uint16_t id, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    out.reserve(4 + data.size());
    le::put16(out, id);
    le::put16(out, static_cast<uint16_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> handMadeStream() {
    const std::vector<uint8_t> bofGlobals = {0x00, 0x06, 0x05, 0x00, 0, 0, 0, 0,
                                             0,    0,    0,    0,    0, 0, 0, 0};
    std::vector<uint8_t> bofSheet = bofGlobals;
    bofSheet[2] = 0x10;
    std::vector<uint8_t> stream;
    const auto add = [&](const std::vector<uint8_t>& bytes) {
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    };
    add(record(0x0809, bofGlobals));
    const size_t boundSheet = stream.size() + 4;
    add(record(0x0085, {0, 0, 0, 0, 0, 0, 1, 0, 'S'}));
    add(record(0x000A, {}));
    const uint32_t sheetStart = static_cast<uint32_t>(stream.size());
    for (int i = 0; i < 4; ++i) {
        stream[boundSheet + i] = static_cast<uint8_t>(sheetStart >> (8 * i));
    }
    add(record(0x0809, bofSheet));
    // B2 = 7, then A1 = 5, out of order; then B2 again, which wins.
    add(record(0x027E, {1, 0, 1, 0, 0, 0, (7 << 2) | 2, 0, 0, 0}));
    add(record(0x027E, {0, 0, 0, 0, 0, 0, (5 << 2) | 2, 0, 0, 0}));
    add(record(0x027E, {1, 0, 1, 0, 0, 0, (9 << 2) | 2, 0, 0, 0}));
    // C1 and C2 share the formula "A<row>*2": ptgRefN two columns to the left.
    const std::vector<uint8_t> exp = {0x01, 0, 0, 2, 0};
    const auto formula = [&](uint8_t row) {
        std::vector<uint8_t> d = {row, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        d.push_back(static_cast<uint8_t>(exp.size()));
        d.push_back(0);
        d.insert(d.end(), exp.begin(), exp.end());
        return record(0x0006, d);
    };
    add(formula(0));
    add(record(0x04BC, {0, 0, 1, 0, 2, 2, 0, 2, 9, 0, 0x4C, 0, 0, 0xFE, 0xC0, 0x1E, 2, 0, 0x05}));
    add(formula(1));
    add(record(0x000A, {}));
    return stream;
}

TEST(XlsReader, SharedFormulasAndOutOfOrderCells) {
    const std::vector<uint8_t> stream = handMadeStream();
    xls::Book book;
    const xls::ReadOutcome outcome = xls::readWorkbookStream(stream, book);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(book.sheets.size(), 1u);
    const auto& cells = book.sheets[0].cells;
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].value, CellValue::fromNumber(5));
    EXPECT_EQ(cells[1].column, 2);
    ASSERT_TRUE(cells[1].formula);
    EXPECT_EQ(cells[1].formula->text, "=A1*2");
    EXPECT_EQ(cells[2].value, CellValue::fromNumber(9)); // the later record
    ASSERT_TRUE(cells[3].formula);
    EXPECT_EQ(cells[3].formula->text, "=A2*2");

    // Straight into the engine, the same.
    cfb::CompoundFileWriter container;
    container.addStream(u"Workbook", stream);
    spreadsheet::Workbook workbook;
    const xls::ReadOutcome direct = xls::readXlsIntoWorkbook(container.finish(), workbook);
    ASSERT_TRUE(direct.ok) << direct.error;
    const spreadsheet::Sheet& sheet = workbook.sheet(0);
    EXPECT_EQ(sheet.cells().size(), 4u);
    EXPECT_EQ(sheet.cell({1, 1})->value, CellValue::fromNumber(9));
    ASSERT_TRUE(sheet.cell({1, 2})->hasFormula());
    EXPECT_EQ(sheet.cell({1, 2})->formula->text, "=A2*2");
}

TEST(XlsReader, SheetNamesTheEngineRefusesFailTheOpen) {
    xls::Book book;
    book.sheets.resize(2);
    book.sheets[0].name = "Same";
    book.sheets[1].name = "same"; // the engine compares names without case
    spreadsheet::Workbook workbook;
    const xls::ReadOutcome outcome =
        xls::readXlsIntoWorkbook(xls::writeXlsFile(book).bytes, workbook);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.error.find("same"), std::string::npos) << outcome.error;
}

} // namespace
