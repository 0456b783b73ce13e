// Workbook -> handheld document -> workbook, against the spreadsheet
// application stand-in: what each direction writes and reads, progress,
// cancellation and the error codes of damaged documents.
#include "CellStream.h"
#include "ChartRecord.h"
#include "ConversionTestSupport.h"
#include "DocumentHeader.h"
#include "SheafCodes.h"
#include "SheafConv.h"
#include "SheafContainer.h"
#include "SheafError.h"
#include "SheafFile.h"
#include "SheafResult.h"
#include "SeriesFormula.h"

#include <gtest/gtest.h>

#include <map>

using namespace sheaf;
using namespace sheaf::testing;

namespace {

struct ExportedSheet {
    std::string name;
    RecordBuffer widths;
    std::vector<CellEntry> cells;
    int32_t records = 0;
};

struct ExportedDocument {
    DocumentHeader header;
    std::vector<ExportedSheet> sheets;
    std::vector<ChartRecord> charts;
};

ExportedDocument readExport(const std::string& path) {
    SheafDocument document;
    EXPECT_EQ(loadDocument(document, path.c_str()), kResultOk);
    ExportedDocument exported;
    exported.header = DocumentHeader::decode(document.get(1));
    for (uint32_t i = 0; i < exported.header.sheetCount; ++i) {
        ExportedSheet sheet;
        document.next();
        document.next();
        sheet.widths = document.next();
        CellStreamReader stream(document);
        sheet.name = stream.head().name;
        CellEntry entry;
        while (stream.next(entry)) {
            sheet.cells.push_back(entry);
        }
        sheet.records = stream.recordsRead();
        exported.sheets.push_back(std::move(sheet));
    }
    for (uint32_t i = 0; i < exported.header.chartCount; ++i) {
        exported.charts.push_back(ChartRecord::decode(document.next()));
    }
    return exported;
}

const CellEntry* findCell(const ExportedSheet& sheet, uint32_t column, uint32_t row) {
    for (const CellEntry& entry : sheet.cells) {
        if (entry.column == column && entry.row == row) {
            return &entry;
        }
    }
    return nullptr;
}

class SheafConversion : public ::testing::Test {
protected:
    int exportWorkbook(const std::string& path) {
        ProgressLog::start(stopAt_);
        return Sheaf_ExportTo(session.workbook.get(), path.c_str(), ProgressLog::callback, nullptr);
    }

    WorkbookSession session;
    ScratchFolder folder;
    std::string stopAt_;
};

} // namespace

TEST_F(SheafConversion, ProgressOfThreeWorksheetsAndAChartSheet) {
    session.addWorksheet("Two");
    session.addWorksheet("Three");
    WorkbookSession::addSeries(session.addChartSheet("Chart"),
                               {"=SERIES(,Sheet1!$A$1:$A$3,Sheet1!$B$1:$B$3,1)"});
    const std::string path = folder.path("Book1.shf");
    ASSERT_EQ(exportWorkbook(path), 0);

    std::vector<std::pair<int32_t, std::string>> milestones;
    for (const auto& report : ProgressLog::reports()) {
        if (report.second.rfind("Finished", 0) == 0 || report.first >= 99) {
            milestones.push_back(report);
        }
    }
    const std::vector<std::pair<int32_t, std::string>> expected = {
        {14, "Finished sheet 1..."},       {28, "Finished sheet 2..."},
        {42, "Finished sheet 3..."},       {56, "Finished inner chart 1..."},
        {70, "Finished inner chart 2..."}, {84, "Finished inner chart 3..."},
        {98, "Finished chart 1..."},       {99, "Creating Sheaf document.."},
        {100, "Data conversion complete"}};
    EXPECT_EQ(milestones, expected);

    const ExportedDocument exported = readExport(path);
    EXPECT_EQ(exported.header.sheetCount, 3u);
    EXPECT_EQ(exported.header.chartCount, 1u);
    EXPECT_FALSE(exported.header.author.empty());
    ASSERT_EQ(exported.charts.size(), 1u);
    EXPECT_EQ(exported.charts[0].ordinal, 3u);
}

TEST_F(SheafConversion, CellsCarryTheirKindsTextsAndFormats) {
    const AutomationObject data = session.worksheet(1);
    data.put(DISPID_XL_NAME, V::string("Data"));
    session.enter(data, "A1", "1");
    session.enter(data, "B1", "hello");
    session.enter(data, "C1", "=1+2");
    session.enter(data, "D1", "=A1*4");
    session.enter(data, "A2", "=1/3");
    session.enter(data, "B2", "TRUE");
    session.enter(data, "C2", "=1/0");
    session.enter(data, "D2", "00123");
    const AutomationObject b1 = session.cell(data, "B1");
    b1.getObject(DISPID_XL_FONT).put(DISPID_XL_BOLD, V::boolean(true));
    b1.put(DISPID_XL_HORIZONTAL_ALIGNMENT, V::int32(XL_HALIGN_CENTER));
    session.cell(data, "A2").put(DISPID_XL_NUMBER_FORMAT, V::string("0.00"));
    const AutomationObject other = session.addWorksheet("Other");
    session.enter(other, "A1", "=Data!A1*2");

    const std::string path = folder.path("cells.shf");
    ASSERT_EQ(exportWorkbook(path), 0);
    const ExportedDocument exported = readExport(path);
    ASSERT_EQ(exported.sheets.size(), 2u);
    const ExportedSheet& sheet =
        exported.sheets[0].name == "Data" ? exported.sheets[0] : exported.sheets[1];
    const ExportedSheet& second =
        &sheet == &exported.sheets[0] ? exported.sheets[1] : exported.sheets[0];

    struct Expected {
        uint32_t column, row;
        CellKind kind;
        const char* text;
        const char* display;
    };
    for (const Expected& e :
         {Expected{0, 0, CellKind::Number, "1", ""}, Expected{1, 0, CellKind::Text, "hello", ""},
          Expected{2, 0, CellKind::Formula, "=1+2", "3"},
          Expected{3, 0, CellKind::FormulaWithPrecedents, "=A1*4", "4"},
          Expected{0, 1, CellKind::Formula, "=1/3", "0.3333333333"},
          Expected{1, 1, CellKind::Boolean, "1", ""},
          Expected{2, 1, CellKind::Formula, "=1/0", "#DIV/0!"},
          Expected{3, 1, CellKind::Number, "123", ""}}) {
        const CellEntry* entry = findCell(sheet, e.column, e.row);
        ASSERT_NE(entry, nullptr) << e.text;
        EXPECT_EQ(entry->kind, e.kind) << e.text;
        EXPECT_EQ(entry->text, e.text);
        EXPECT_EQ(entry->display, e.display) << e.text;
    }
    EXPECT_EQ(findCell(sheet, 3, 0)->precedents, "$A$1");
    const CellFormat boldCentred{FontFlags::Bold, static_cast<uint32_t>(AlignmentCode::Centre), 0};
    EXPECT_EQ(findCell(sheet, 1, 0)->format, boldCentred);
    EXPECT_EQ(findCell(sheet, 0, 1)->format.numberFormat,
              NumberFormatCode::make(NumberFormatCode::Number, 2));
    EXPECT_TRUE(findCell(sheet, 0, 0)->format.isDefault());

    const CellEntry* crossSheet = findCell(second, 0, 0);
    ASSERT_NE(crossSheet, nullptr);
    EXPECT_EQ(crossSheet->kind, CellKind::FormulaWithPrecedents);
    EXPECT_EQ(crossSheet->text, "='Data'!A1*2");
    EXPECT_EQ(crossSheet->display, "2");
}

TEST_F(SheafConversion, UsedRangeOffsetsAndAnEmptySheet) {
    const AutomationObject sheet = session.worksheet(1);
    session.enter(sheet, "C3", "1");
    session.enter(sheet, "D4", "2");
    session.addWorksheet("Empty");
    const std::string path = folder.path("offsets.shf");
    ASSERT_EQ(exportWorkbook(path), 0);
    const ExportedDocument exported = readExport(path);
    for (const ExportedSheet& s : exported.sheets) {
        if (s.name == "Empty") {
            EXPECT_TRUE(s.cells.empty());
            EXPECT_EQ(s.records, 1);
        } else {
            ASSERT_EQ(s.cells.size(), 2u);
            EXPECT_EQ(s.cells[0].column, 2u);
            EXPECT_EQ(s.cells[0].row, 2u);
            EXPECT_EQ(s.cells[1].column, 3u);
            EXPECT_EQ(s.cells[1].row, 3u);
            // Standard-width columns store no width.
            int32_t position = 0;
            EXPECT_EQ(s.widths.readWord(position), 0u);
        }
    }
}

TEST_F(SheafConversion, LongSheetsContinueInFurtherRecords) {
    const AutomationObject sheet = session.worksheet(1);
    const std::string text(900, 'x');
    for (int row = 1; row <= 150; ++row) {
        session.enter(sheet, ("A" + std::to_string(row)).c_str(), text.c_str());
    }
    const std::string path = folder.path("long.shf");
    ASSERT_EQ(exportWorkbook(path), 0);
    const ExportedDocument exported = readExport(path);
    ASSERT_EQ(exported.sheets.size(), 1u);
    EXPECT_EQ(exported.sheets[0].cells.size(), 150u);
    EXPECT_EQ(exported.sheets[0].records, 3);
}

TEST_F(SheafConversion, CancelAtRowFiveWritesNoFile) {
    const AutomationObject sheet = session.worksheet(1);
    for (int row = 1; row <= 10; ++row) {
        session.enter(sheet, ("A" + std::to_string(row)).c_str(), "7");
    }
    stopAt_ = "Converting row 5...";
    const std::string path = folder.path("cancelled.shf");
    EXPECT_EQ(exportWorkbook(path), SHEAF_E_CANCELLED);
    EXPECT_FALSE(ScratchFolder::exists(path));
    EXPECT_EQ(ProgressLog::reports().back().second, "Converting row 5...");
}

TEST_F(SheafConversion, ChartsKeepTypeTitleAndSeriesGroups) {
    const AutomationObject sheet = session.worksheet(1);
    for (const char* address : {"A2", "A3", "B2", "B3", "C2", "C3", "E2", "E3"}) {
        session.enter(sheet, address, "1");
    }
    const AutomationObject pie = session.addChartSheet("Pie");
    pie.put(DISPID_XL_CHART_TYPE, V::int32(5));
    WorkbookSession::addSeries(pie, {"=SERIES(,Sheet1!$A$2:$A$3,Sheet1!$B$2:$B$3,1)",
                                     "=SERIES(,Sheet1!$A$2:$A$3,Sheet1!$C$2:$C$3,2)",
                                     "=SERIES(,Sheet1!$A$2:$A$3,Sheet1!$E$2:$E$3,3)"});
    const AutomationObject columns = session.addChartSheet("Columns");
    columns.put(DISPID_XL_CHART_TYPE, V::int32(51));
    columns.put(DISPID_XL_HAS_TITLE, V::boolean(true));
    columns.getObject(DISPID_XL_CHART_TITLE).put(DISPID_XL_CAPTION, V::string("Totals"));
    WorkbookSession::addSeries(columns, {"=SERIES(,Sheet1!$A$2:$A$3,Sheet1!$B$2:$B$3,1)",
                                         "=SERIES(,Sheet1!$A$2:$A$3,Sheet1!$C$2:$C$3,2)",
                                         "=SERIES(,Sheet1!$A$2:$A$3,Sheet1!$E$2:$E$3,3)"});

    const std::string path = folder.path("charts.shf");
    ASSERT_EQ(exportWorkbook(path), 0);
    const ExportedDocument exported = readExport(path);
    std::map<std::string, ChartRecord> charts;
    for (const ChartRecord& chart : exported.charts) {
        charts[chart.name] = chart;
    }
    ASSERT_EQ(charts.count("Pie"), 1u);
    const ChartRecord& pieRecord = charts["Pie"];
    EXPECT_EQ(pieRecord.type, ChartTypeCode::make(ChartTypeCode::Pie, 0));
    EXPECT_EQ(pieRecord.groups, (std::vector<ChartRecord::Group>{{"'Sheet1'!$B$2:$B$3", ""}}));
    EXPECT_EQ(pieRecord.title, "");

    const ChartRecord& columnRecord = charts["Columns"];
    EXPECT_EQ(columnRecord.title, "Totals");
    EXPECT_FALSE(columnRecord.inRows);
    EXPECT_EQ(columnRecord.categories, "'Sheet1'!$A$2:$A$3");
    EXPECT_EQ(columnRecord.groups, (std::vector<ChartRecord::Group>{{"'Sheet1'!$B$2:$C$3", ""},
                                                                    {"'Sheet1'!$E$2:$E$3", ""}}));
}

TEST_F(SheafConversion, RoundTripBringsBackWhatTheDocumentHolds) {
    const AutomationObject data = session.worksheet(1);
    data.put(DISPID_XL_NAME, V::string("Data"));
    session.enter(data, "A1", "Name");
    session.enter(data, "B1", "2.5");
    session.enter(data, "C1", "=B1*2");
    session.enter(data, "A2", "00123");
    session.cell(data, "B1").put(DISPID_XL_NUMBER_FORMAT, V::string("0%"));
    const AutomationObject a1 = session.cell(data, "A1");
    a1.getObject(DISPID_XL_FONT).put(DISPID_XL_ITALIC, V::boolean(true));
    a1.put(DISPID_XL_HORIZONTAL_ALIGNMENT, V::int32(XL_HALIGN_RIGHT));
    const AutomationObject sums = session.addWorksheet("Sums");
    session.enter(sums, "A1", "=Data!B1+1");
    const AutomationObject chart = session.addChartSheet("Chart");
    chart.put(DISPID_XL_CHART_TYPE, V::int32(57));
    WorkbookSession::addSeries(chart, {"=SERIES(,Data!$A$1:$A$2,Data!$B$1:$B$2,1)",
                                       "=SERIES(,Data!$A$1:$A$2,Data!$C$1:$C$2,2)"});
    const std::string path = folder.path("round.shf");
    ASSERT_EQ(exportWorkbook(path), 0);

    const AutomationObject rebuilt =
        session.workbooks.callObject(DISPID_XL_ADD, {V::int32(XL_WORKSHEET)});
    ProgressLog::start();
    ASSERT_EQ(Sheaf_ImportFrom(path.c_str(), rebuilt.get(), ProgressLog::callback, nullptr), 0);
    EXPECT_EQ(ProgressLog::reports().back(),
              (std::pair<int32_t, std::string>{100, "Data conversion complete"}));

    const AutomationObject sheets = rebuilt.getObject(DISPID_XL_WORKSHEETS);
    ASSERT_EQ(sheets.getInt32(DISPID_XL_COUNT), 2);
    std::vector<std::string> names;
    for (int32_t i = 1; i <= 2; ++i) {
        names.push_back(sheets.getObject(DISPID_XL_ITEM, {V::int32(i)}).getString(DISPID_XL_NAME));
    }
    const AutomationObject& original = session.worksheets;
    std::vector<std::string> originalNames;
    for (int32_t i = 1; i <= 2; ++i) {
        originalNames.push_back(
            original.getObject(DISPID_XL_ITEM, {V::int32(i)}).getString(DISPID_XL_NAME));
    }
    EXPECT_EQ(names, originalNames) << "sheets come back in file order";

    const AutomationObject back = sheets.getObject(DISPID_XL_ITEM, {V::string("Data")});
    auto cellOf = [&](const AutomationObject& sheet, const char* address) {
        return sheet.getObject(DISPID_XL_RANGE, {V::string(address), V::omitted()});
    };
    EXPECT_EQ(cellOf(back, "A1").getVariant(DISPID_XL_VALUE2).toString(), "Name");
    EXPECT_TRUE(cellOf(back, "A1").getObject(DISPID_XL_FONT).getVariant(DISPID_XL_ITALIC).toBool());
    EXPECT_EQ(cellOf(back, "A1").getVariant(DISPID_XL_HORIZONTAL_ALIGNMENT).toInt32(),
              XL_HALIGN_RIGHT);
    EXPECT_EQ(cellOf(back, "B1").getVariant(DISPID_XL_VALUE2).toDouble(), 2.5);
    EXPECT_EQ(cellOf(back, "B1").getVariant(DISPID_XL_NUMBER_FORMAT).toString(), "0.00%");
    EXPECT_EQ(cellOf(back, "C1").getVariant(DISPID_XL_FORMULA).toString(), "=B1*2");
    EXPECT_EQ(cellOf(back, "C1").getVariant(DISPID_XL_VALUE2).toDouble(), 5);
    EXPECT_EQ(cellOf(back, "A2").getVariant(DISPID_XL_VALUE2).toDouble(), 123);
    const AutomationObject sumsBack = sheets.getObject(DISPID_XL_ITEM, {V::string("Sums")});
    EXPECT_EQ(cellOf(sumsBack, "A1").getVariant(DISPID_XL_VALUE2).toDouble(), 3.5);

    const AutomationObject charts = rebuilt.getObject(DISPID_XL_CHARTS);
    ASSERT_EQ(charts.getInt32(DISPID_XL_COUNT), 1);
    const AutomationObject chartBack = charts.getObject(DISPID_XL_ITEM, {V::int32(1)});
    EXPECT_EQ(chartBack.getString(DISPID_XL_NAME), "Chart");
    EXPECT_EQ(chartBack.getInt32(DISPID_XL_CHART_TYPE), 57);
    const AutomationObject series = chartBack.callObject(DISPID_XL_SERIES_COLLECTION);
    ASSERT_EQ(series.getInt32(DISPID_XL_COUNT), 2);
    const SeriesRange second = parseSeriesFormula(
        series.callObject(DISPID_XL_ITEM, {V::int32(2)}).getString(DISPID_XL_FORMULA));
    EXPECT_EQ(second.addressText(), "'Data'!$C$1:$C$2");
    EXPECT_EQ(second.categories, "'Data'!$A$1:$A$2");
}

TEST_F(SheafConversion, HandheldTextsStayTextsOnImport) {
    struct Case {
        CellKind kind;
        std::string text;
        std::string value; // Value2 as text afterwards
    };
    const std::vector<Case> cases = {
        {CellKind::Text, "=cmd|' /c calc'!A0", "=cmd|' /c calc'!A0"},
        {CellKind::Text, "=1+1", "=1+1"},
        {CellKind::Text, "'quoted", "'quoted"},
        {CellKind::Text, "@SUM(1)", "@SUM(1)"},
        {CellKind::Text, "-", "-"},
        {CellKind::Text, "plain", "plain"},
        {CellKind::Text, "00123", "123"},
        {CellKind::Text, "-5", "-5"},
        {CellKind::Number, "2.5", "2.5"},
        {CellKind::Formula, "=1+2", "3"},
    };
    SheafDocument document;
    document.append(DocumentHeader{1, 0, ""}.encode());
    for (int i = 0; i < 3; ++i) {
        RecordBuffer word;
        word.appendWord(0);
        document.append(word);
    }
    CellStreamWriter writer(document, SheetHead{"S", {}});
    for (size_t row = 0; row < cases.size(); ++row) {
        CellEntry entry;
        entry.kind = cases[row].kind;
        entry.row = static_cast<uint32_t>(row);
        entry.text = cases[row].text;
        entry.display = cases[row].value;
        writer.add(entry);
    }
    writer.finish();
    const std::string path = folder.path("texts.shf");
    ASSERT_EQ(saveDocument(document, path.c_str()), kResultOk);
    ASSERT_EQ(Sheaf_ImportFrom(path.c_str(), session.workbook.get(), nullptr, nullptr), 0);

    const AutomationObject sheet = session.workbook.getObject(DISPID_XL_WORKSHEETS)
                                       .getObject(DISPID_XL_ITEM, {V::string("S")});
    for (size_t row = 0; row < cases.size(); ++row) {
        const std::string address = "A" + std::to_string(row + 1);
        const AutomationObject cell =
            sheet.getObject(DISPID_XL_RANGE, {V::string(address), V::omitted()});
        EXPECT_EQ(cell.getVariant(DISPID_XL_VALUE2).toString(), cases[row].value) << address;
        const bool formula = cell.getVariant(DISPID_XL_HAS_FORMULA).toBool();
        EXPECT_EQ(formula, cases[row].kind == CellKind::Formula) << address;
    }
}

TEST_F(SheafConversion, ImportOfAnEmptyDocumentLeavesThePlaceholder) {
    SheafDocument document;
    document.append(DocumentHeader{0, 0, ""}.encode());
    const std::string path = folder.path("empty.shf");
    ASSERT_EQ(saveDocument(document, path.c_str()), kResultOk);
    ProgressLog::start();
    ASSERT_EQ(
        Sheaf_ImportFrom(path.c_str(), session.workbook.get(), ProgressLog::callback, nullptr), 0);
    EXPECT_EQ(ProgressLog::reports(),
              (std::vector<std::pair<int32_t, std::string>>{{100, "Data conversion complete"}}));
    EXPECT_EQ(session.worksheets.getInt32(DISPID_XL_COUNT), 1);
    EXPECT_EQ(session.worksheet(1).getString(DISPID_XL_NAME), "~~~~~tmp~~~~~");
}

TEST_F(SheafConversion, DamagedDocumentsGiveTheirCodes) {
    const std::string wrongMagic = folder.path("magic.shf");
    {
        HANDLE file =
            CreateFileA(wrongMagic.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "jlc1\0\0\0\0", 8, &written, nullptr);
        CloseHandle(file);
    }
    EXPECT_EQ(Sheaf_ImportFrom(wrongMagic.c_str(), session.workbook.get(), nullptr, nullptr),
              kResultReadFault);
    EXPECT_EQ(
        Sheaf_ImportFrom(folder.path("none.shf").c_str(), session.workbook.get(), nullptr, nullptr),
        kResultFileNotFound);

    // Fewer records than the header announces.
    SheafDocument shortDocument;
    shortDocument.append(DocumentHeader{2, 0, ""}.encode());
    const std::string shortPath = folder.path("short.shf");
    ASSERT_EQ(saveDocument(shortDocument, shortPath.c_str()), kResultOk);
    EXPECT_EQ(Sheaf_ImportFrom(shortPath.c_str(), session.workbook.get(), nullptr, nullptr),
              SHEAF_E_DATA);
    EXPECT_EQ(session.worksheets.getInt32(DISPID_XL_COUNT), 1) << "the placeholder is cleaned up";

    // A chart type code that no chart type has.
    SheafDocument badChart;
    badChart.append(DocumentHeader{0, 1, ""}.encode());
    ChartRecord chart;
    chart.name = "Odd";
    chart.type = ChartTypeCode::make(6, 1);
    chart.groups = {{"'Sheet1'!$B$1:$B$2", ""}};
    badChart.append(chart.encode());
    const std::string chartPath = folder.path("chart.shf");
    ASSERT_EQ(saveDocument(badChart, chartPath.c_str()), kResultOk);
    EXPECT_EQ(Sheaf_ImportFrom(chartPath.c_str(), session.workbook.get(), nullptr, nullptr),
              SHEAF_E_UNEXPECTED);

    EXPECT_EQ(Sheaf_ExportTo(nullptr, folder.path("x.shf").c_str(), nullptr, nullptr),
              SHEAF_E_UNEXPECTED);
}

TEST_F(SheafConversion, HostileSeriesRangesAreBounded) {
    SheafDocument document;
    document.append(DocumentHeader{0, 1, ""}.encode());
    ChartRecord chart;
    chart.name = "Huge";
    chart.type = ChartTypeCode::make(ChartTypeCode::Line, 0);
    chart.inRows = true;
    chart.groups = {{"'Sheet1'!$A$1:$B$2000000000", ""}};
    document.append(chart.encode());
    const std::string path = folder.path("huge.shf");
    ASSERT_EQ(saveDocument(document, path.c_str()), kResultOk);
    ASSERT_EQ(Sheaf_ImportFrom(path.c_str(), session.workbook.get(), nullptr, nullptr), 0);
    const AutomationObject charts = session.workbook.getObject(DISPID_XL_CHARTS);
    const AutomationObject series =
        charts.getObject(DISPID_XL_ITEM, {V::int32(1)}).callObject(DISPID_XL_SERIES_COLLECTION);
    EXPECT_LE(series.getInt32(DISPID_XL_COUNT), 255);
}
