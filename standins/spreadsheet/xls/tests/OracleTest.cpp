// Files other programs wrote open in the engine, and files the engine writes
// open in other programs: python3-xlwt and python3-xlrd (Debian's python) and
// LibreOffice in headless mode.
#include "OracleFixture.h"

#include "FormulaParser.h"
#include "XlsWorkbookMapping.h"
#include "XlsWriter.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {

using namespace xls_oracle;
using spreadsheet::CellValue;
using spreadsheet::ValueKind;

int32_t engineUnderline(int code) {
    switch (code) {
    case 1:
        return spreadsheet::kUnderlineSingle;
    case 2:
        return spreadsheet::kUnderlineDouble;
    case 0x21:
        return spreadsheet::kUnderlineSingleAccounting;
    case 0x22:
        return spreadsheet::kUnderlineDoubleAccounting;
    default:
        return spreadsheet::kUnderlineNone;
    }
}

spreadsheet::HorizontalAlignment engineAlignment(int code) {
    using A = spreadsheet::HorizontalAlignment;
    constexpr A table[] = {
        A::General,    A::Left, A::Center, A::Right, A::Fill, A::Justify, A::CenterAcrossSelection,
        A::Distributed};
    return code >= 0 && code < 8 ? table[code] : A::General;
}

// LibreOffice writes format codes in its own spelling: other letter case and
// escaped literals ("d\\-mmm" for "d-mmm"), which show the same.
std::string normalisedFormat(const std::string& format) {
    std::string out;
    for (char c : format) {
        if (c != '\\') {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

struct CompareOptions {
    bool libreOfficeSpelling = false; // format codes as above; no centre-across alignment
    double widthTolerance = 0.01;     // points
};

// The cell a "cell" or "fmt" line names (sheet, row, column), and its address.
const spreadsheet::Cell* listedCell(const spreadsheet::Workbook& workbook,
                                    const std::vector<std::string>& fields, std::string& where) {
    const spreadsheet::Sheet& sheet = workbook.sheet(std::stoi(fields[1]));
    const spreadsheet::CellPosition pos{std::stoi(fields[2]), std::stoi(fields[3])};
    where = sheet.name() + "!" + spreadsheet::cellAddressText(pos);
    return sheet.cell(pos);
}

// The engine workbook holds what the listing says.
void expectWorkbookMatches(const spreadsheet::Workbook& workbook, const Listing& listing,
                           CompareOptions options = {}) {
    // An empty listing would pass while checking nothing.
    ASSERT_FALSE(listing.lines.empty()) << "nothing to compare";
    for (const auto* l : listing.of("sheet")) {
        const int index = std::stoi((*l)[1]);
        ASSERT_LT(index, workbook.sheetCount());
        EXPECT_EQ(workbook.sheet(index).name(), (*l)[2]);
    }
    for (const auto* l : listing.of("active")) {
        EXPECT_EQ(workbook.activeSheetIndex(), std::stoi((*l)[1]));
    }
    for (const auto* l : listing.of("cell")) {
        const auto& f = *l;
        std::string where;
        const spreadsheet::Cell* cell = listedCell(workbook, f, where);
        ASSERT_NE(cell, nullptr) << where;
        const std::string& kind = f[4];
        if (kind == "n") {
            EXPECT_EQ(cell->value, CellValue::fromNumber(std::strtod(f[5].c_str(), nullptr)))
                << where;
        } else if (kind == "s") {
            EXPECT_EQ(cell->value, CellValue::fromText(f[5])) << where;
        } else if (kind == "b") {
            EXPECT_EQ(cell->value, CellValue::fromBoolean(f[5] == "1")) << where;
        } else if (kind == "f") {
            ASSERT_TRUE(cell->hasFormula()) << where;
            EXPECT_EQ(cell->formula->text, spreadsheet::makeFormula(f[6])->text) << where;
        }
    }
    for (const auto* l : listing.of("fmt")) {
        const auto& f = *l;
        std::string where;
        const spreadsheet::Cell* cell = listedCell(workbook, f, where);
        ASSERT_NE(cell, nullptr) << where;
        auto alignment = engineAlignment(std::stoi(f[8]));
        if (options.libreOfficeSpelling) {
            EXPECT_EQ(normalisedFormat(cell->format.numberFormat), normalisedFormat(f[4])) << where;
            if (alignment == spreadsheet::HorizontalAlignment::CenterAcrossSelection) {
                alignment = spreadsheet::HorizontalAlignment::Center;
            }
        } else {
            EXPECT_EQ(cell->format.numberFormat, f[4]) << where;
        }
        EXPECT_EQ(cell->format.bold, f[5] == "1") << where;
        EXPECT_EQ(cell->format.italic, f[6] == "1") << where;
        EXPECT_EQ(cell->format.underline, engineUnderline(std::stoi(f[7]))) << where;
        EXPECT_EQ(cell->format.alignment, alignment) << where;
    }
    for (const auto* l : listing.of("width")) {
        const auto& f = *l;
        const spreadsheet::Sheet& sheet = workbook.sheet(std::stoi(f[1]));
        EXPECT_NEAR(sheet.columnWidth(std::stoi(f[2])),
                    xls::columnPoints(static_cast<uint16_t>(std::stoi(f[3]))),
                    options.widthTolerance)
            << sheet.name() << " column " << f[2];
    }
}

TEST_F(Oracle, XlwtWorkbookOpensWithTheSameContents) {
    python("xlwt_write.py", quoted(dir_ / "xlwt.xls") + " " + quoted(dir_ / "xlwt.listing"),
           nullptr);
    spreadsheet::Workbook workbook;
    open(dir_ / "xlwt.xls", workbook);
    expectWorkbookMatches(workbook, readListing(dir_ / "xlwt.listing"));
}

TEST_F(Oracle, LibreOfficeWorkbookOpensWithTheSameContents) {
    // LibreOffice writes its own records (shared formulas, its XF and FORMAT
    // tables, cached results) for the same contents.
    python("xlwt_write.py", quoted(dir_ / "source.xls") + " " + quoted(dir_ / "source.listing"),
           nullptr);
    soffice("xls:MS Excel 97", dir_ / "source.xls", dir_ / "lo");
    spreadsheet::Workbook workbook;
    open(dir_ / "lo" / "source.xls", workbook);
    CompareOptions options;
    options.libreOfficeSpelling = true;
    options.widthTolerance = 1.0;
    expectWorkbookMatches(workbook, readListing(dir_ / "source.listing"), options);
}

// An engine workbook with what the format keeps: values, formulas, formats,
// column widths, several sheets, the active one.
void fillEngineWorkbook(spreadsheet::Workbook& workbook) {
    spreadsheet::Sheet& data = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Data");
    spreadsheet::Sheet& calc = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Calc 2");
    for (int i = 0; i < 50; ++i) {
        data.setValue({i, 0}, CellValue::fromNumber(i * 1.5));
        data.setValue({i, 1}, CellValue::fromText("item " + std::to_string(i) + " \xC3\xA9"));
    }
    data.setValue({0, 2}, CellValue::fromBoolean(true));
    data.setValue({1, 2}, CellValue::fromNumber(-123456.75));
    data.setValue({2, 2}, CellValue::fromNumber(0.1));
    spreadsheet::CellFormat money;
    money.numberFormat = "#,##0.00";
    money.bold = true;
    money.alignment = spreadsheet::HorizontalAlignment::Right;
    data.setFormat({1, 2}, money);
    spreadsheet::CellFormat percent;
    percent.numberFormat = "0.00%";
    percent.italic = true;
    percent.underline = spreadsheet::kUnderlineSingle;
    percent.alignment = spreadsheet::HorizontalAlignment::Center;
    data.setFormat({2, 2}, percent);
    data.setColumnWidth(1, 120);
    data.setColumnWidth(2, 30);

    const char* const formulas[] = {
        "=SUM(Data!A1:A50)",
        "=Data!A2*2+1",
        "=AVERAGE(Data!A1:A10)",
        "=IF(Data!A3>2,\"big\",\"small\")",
        "=ROUND(PI(),4)",
        "=MAX(Data!A1:A50)-MIN(Data!A1:A50)",
        "=LEN(Data!B1)",
        "=CONCATENATE(\"x\",Data!B2)",
        "=A1/4",
        "=(A1+A2)*-A3",
        "=2^10",
        "=MOD(17,5)",
        "=COUNT(Data!A1:A50)",
        "=Data!C1",
        "=AND(Data!C1,A1>0)",
    };
    for (int i = 0; i < static_cast<int>(std::size(formulas)); ++i) {
        calc.setFormula({i, 0}, spreadsheet::makeFormula(formulas[i]));
    }
    workbook.activate(1);
    workbook.recalculate();
}

TEST_F(Oracle, EngineWorkbookReadsInXlrdWithTheSameContentsAndFormatting) {
    spreadsheet::Workbook workbook;
    fillEngineWorkbook(workbook);
    std::string error;
    const xls::XlsFileFormat format([](const std::string&) {});
    ASSERT_TRUE(format.save(workbook, dir_ / "engine.xls", error)) << error;
    const fs::path dump = dir_ / "xlrd.listing";
    python("xlrd_dump.py", quoted(dir_ / "engine.xls"), &dump);
    const Listing listing = readListing(dir_ / "xlrd.listing");

    ASSERT_EQ(listing.of("sheet").size(), 2u);
    EXPECT_EQ((*listing.of("active")[0])[1], "1");
    size_t cells = 0;
    for (const auto* l : listing.of("cell")) {
        const auto& f = *l;
        std::string where;
        const spreadsheet::Cell* cell = listedCell(workbook, f, where);
        ASSERT_NE(cell, nullptr) << where;
        ++cells;
        switch (cell->value.kind) {
        case ValueKind::Number:
            EXPECT_EQ(f[4], "n") << where;
            EXPECT_EQ(std::strtod(f[5].c_str(), nullptr), cell->value.number) << where;
            break;
        case ValueKind::Text:
            EXPECT_EQ(f[4], "s") << where;
            EXPECT_EQ(f[5], cell->value.text) << where;
            break;
        case ValueKind::Boolean:
            EXPECT_EQ(f[4], "b") << where;
            EXPECT_EQ(f[5], cell->value.boolean ? "1" : "0") << where;
            break;
        default:
            ADD_FAILURE() << where << " has an unexpected value";
        }
    }
    size_t expected = 0;
    for (int s = 0; s < workbook.sheetCount(); ++s) {
        expected += workbook.sheet(s).cells().size();
    }
    EXPECT_EQ(cells, expected);
    // Formatting: compare through the same listing check the other way round.
    Listing formats;
    for (const auto* l : listing.of("fmt")) {
        formats.lines.push_back(*l);
    }
    for (const auto* l : listing.of("width")) {
        const int column = std::stoi((*l)[2]);
        if (workbook.sheet(std::stoi((*l)[1])).columnWidths().count(column)) {
            formats.lines.push_back(*l);
        }
    }
    CompareOptions options;
    options.widthTolerance = 0.05;
    expectWorkbookMatches(workbook, formats, options);
}

std::vector<std::vector<std::string>> readCsv(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::string field;
        bool quotedField = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quotedField) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else if (c == '"') {
                    quotedField = false;
                } else {
                    field += c;
                }
            } else if (c == '"') {
                quotedField = true;
            } else if (c == ',') {
                fields.push_back(field);
                field.clear();
            } else {
                field += c;
            }
        }
        fields.push_back(field);
        rows.push_back(std::move(fields));
    }
    return rows;
}

TEST_F(Oracle, LibreOfficeRecalculatesTheEngineFormulasToTheSameResults) {
    spreadsheet::Workbook workbook;
    fillEngineWorkbook(workbook);
    // The stored results are wrong on purpose: LibreOffice must compute its own.
    xls::Book book = xls::bookFromWorkbook(workbook);
    for (xls::Cell& cell : book.sheets[1].cells) {
        cell.value = CellValue::fromNumber(-999);
    }
    const std::vector<uint8_t> bytes = xls::writeXlsFile(book).bytes;
    std::ofstream(dir_ / "engine.xls", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    // Field separator, text delimiter, UTF-8, first line 1, ..., sheet 2.
    soffice("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,2",
            dir_ / "engine.xls", dir_ / "csv");
    const auto rows = readCsv(dir_ / "csv" / "engine-Calc 2.csv");
    const spreadsheet::Sheet& calc = workbook.sheet(1);
    ASSERT_EQ(rows.size(), calc.cells().size());
    for (const auto& [pos, cell] : calc.cells()) {
        const std::string& shown = rows[static_cast<size_t>(pos.row)][0];
        const std::string where = spreadsheet::cellAddressText(pos) + " " + cell.formula->text;
        switch (cell.value.kind) {
        case ValueKind::Number:
            EXPECT_NEAR(std::strtod(shown.c_str(), nullptr), cell.value.number,
                        1e-6 * (1 + std::fabs(cell.value.number)))
                << where << " shown as " << shown;
            break;
        case ValueKind::Text:
            EXPECT_EQ(shown, cell.value.text) << where;
            break;
        case ValueKind::Boolean:
            // LibreOffice keeps truth values as the numbers 1 and 0.
            EXPECT_EQ(shown, cell.value.boolean ? "1" : "0") << where;
            break;
        default:
            ADD_FAILURE() << where << " has no value in the engine";
        }
    }
}

} // namespace
