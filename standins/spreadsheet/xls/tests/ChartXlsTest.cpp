// Chart substreams: the reader on hand-built record streams, hostile ones
// among them, the chart type records both ways, and charts through the
// writer and back.
#include "BiffRecordIds.h"
#include "BiffRecordWriter.h"
#include "ChartReader.h"
#include "ChartTypes.h"
#include "LittleEndian.h"
#include "XlsReader.h"
#include "XlsWriter.h"

#include <gtest/gtest.h>

namespace {

namespace rec = xls::rec;
using spreadsheet::Chart;

// Sheets Data and Other, each with its EXTERNSHEET entry.
xls::FormulaContext twoSheets() {
    xls::FormulaContext context;
    context.sheetNames = {"Data", "Other"};
    context.externSheets = {{0, 0, 0}, {0, 1, 1}};
    context.supBookIsInternal = {true};
    return context;
}

// ptgArea3d, reference class, relative as some writers store it.
std::vector<uint8_t> area3d(uint16_t sheet, uint16_t r1, uint16_t c1, uint16_t r2, uint16_t c2) {
    std::vector<uint8_t> t{0x3B};
    for (uint16_t v :
         {sheet, r1, r2, static_cast<uint16_t>(c1 | 0xC000), static_cast<uint16_t>(c2 | 0xC000)}) {
        le::put16(t, v);
    }
    return t;
}

class ChartStream {
public:
    ChartStream& add(uint16_t id, std::vector<uint8_t> data = {}) {
        out_.record(id, data);
        return *this;
    }
    ChartStream& words(uint16_t id, std::initializer_list<uint16_t> values) {
        std::vector<uint8_t> d;
        for (uint16_t v : values) {
            le::put16(d, v);
        }
        return add(id, d);
    }
    ChartStream& ai(uint8_t part, uint8_t source, const std::vector<uint8_t>& tokens = {}) {
        std::vector<uint8_t> d{part, source, 0, 0, 0, 0};
        le::put16(d, static_cast<uint16_t>(tokens.size()));
        d.insert(d.end(), tokens.begin(), tokens.end());
        return add(rec::BraI, d);
    }
    ChartStream& text(const std::u16string& units) {
        std::vector<uint8_t> d{0, 0};
        xls::appendString8(d, units);
        return add(rec::SeriesText, d);
    }
    ChartStream& begin() { return add(rec::Begin); }
    ChartStream& end() { return add(rec::End); }
    ChartStream& groupOf(uint16_t type, std::vector<uint8_t> data) {
        add(rec::ChartFormat, std::vector<uint8_t>(20, 0)).begin().add(type, std::move(data));
        return end();
    }

    // Read back as the substream after its BOF.
    bool read(Chart& chart, std::vector<std::string>& notes) {
        xls::BiffRecordReader records(out_.stream());
        xls::FormulaContext context = twoSheets();
        return xls::readChartSubstream(records, context, chart, notes);
    }
    std::vector<uint8_t>& bytes() { return out_.stream(); }

private:
    xls::BiffRecordWriter out_;
};

TEST(ChartReader, SeriesTitleTypeAndPlotOrderComeFromTheRecords) {
    ChartStream s;
    s.add(rec::Chart, std::vector<uint8_t>(16, 0)).begin();
    // A series along row 2 of Other, named by a text; one along row 3 named by a cell.
    s.add(rec::Series, std::vector<uint8_t>(12, 0)).begin();
    s.ai(0, 1)
        .text(u"Sales \"net\"")
        .ai(1, 2, area3d(1, 1, 1, 1, 4))
        .ai(2, 2, area3d(1, 0, 1, 0, 4));
    s.ai(3, 0).end();
    s.add(rec::Series, std::vector<uint8_t>(12, 0)).begin();
    s.ai(0, 2, area3d(0, 2, 0, 2, 0)).ai(1, 2, area3d(1, 2, 1, 2, 4)).ai(2, 0).end();
    // The title, then a label that is none, linked to an axis; a second
    // chart group does not count.
    s.add(rec::Text, std::vector<uint8_t>(32, 0)).begin().ai(0, 1).text(u"Caf\u00e9 totals");
    s.words(rec::ObjectLink, {1, 0, 0}).end();
    s.add(rec::Text, std::vector<uint8_t>(32, 0)).begin().ai(0, 1).text(u"axis");
    s.words(rec::ObjectLink, {2, 0, 0}).end();
    s.add(rec::AxisParent, std::vector<uint8_t>(18, 0)).begin();
    s.groupOf(rec::Bar, {0, 0, 100, 0, 0x03, 0}); // horizontal, stacked
    s.end();
    s.add(rec::AxisParent, std::vector<uint8_t>(18, 0)).begin().groupOf(rec::Line, {0, 0}).end();
    s.end().add(rec::Eof);

    Chart chart;
    std::vector<std::string> notes;
    ASSERT_TRUE(s.read(chart, notes));
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(chart.chartType, spreadsheet::kChartBarStacked);
    EXPECT_TRUE(chart.hasTitle);
    EXPECT_EQ(chart.title, "Caf\xC3\xA9 totals");
    EXPECT_EQ(chart.plotBy, spreadsheet::kPlotByRows);
    ASSERT_EQ(chart.series.size(), 2u);
    EXPECT_EQ(chart.series[0].formula,
              "=SERIES(\"Sales \"\"net\"\"\",Other!$B$1:$E$1,Other!$B$2:$E$2,1)");
    EXPECT_EQ(chart.series[1].formula, "=SERIES(Data!$A$3:$A$3,,Other!$B$3:$E$3,2)");
}

TEST(ChartReader, ChartWithoutTitleOrSeriesKeepsItsDefaults) {
    ChartStream s;
    s.add(rec::Text, std::vector<uint8_t>(32, 0)).begin().words(rec::ObjectLink, {1, 0, 0});
    s.end().groupOf(rec::Pie, {0, 0, 0, 0, 0, 0}).add(rec::Eof);
    Chart chart;
    std::vector<std::string> notes;
    ASSERT_TRUE(s.read(chart, notes));
    EXPECT_FALSE(chart.hasTitle);
    EXPECT_EQ(chart.chartType, spreadsheet::kChartPie);
    EXPECT_EQ(chart.plotBy, spreadsheet::kPlotByColumns);
    EXPECT_TRUE(chart.series.empty());
}

// Short records, lengths that point past the data, unbalanced and very deep
// blocks, too many series and a missing EOF: read without harm.
TEST(ChartReader, HostileRecordsAreBoundedAndIgnored) {
    ChartStream s;
    s.add(rec::End).add(rec::End);                          // closes nothing
    s.add(rec::Series).begin();                             // no data
    s.add(rec::BraI, {1, 2, 0, 0, 0, 0, 0xFF, 0x7F, 0x3B}); // cce past the record
    s.add(rec::BraI, {1, 2});                               // shorter than its head
    s.ai(1, 2, {0x3B, 9, 0});                               // tokens cut short
    s.ai(0, 1).add(rec::SeriesText, {0, 0, 200, 1, 'x'});   // text past the record
    s.end();
    for (int i = 0; i < 1000; ++i) {
        s.begin();
    }
    s.groupOf(rec::Bar, {1}); // a type record shorter than its layout
    for (int i = 0; i < 1000; ++i) {
        s.end();
    }
    for (int i = 0; i < 300; ++i) {
        s.add(rec::Series).begin().ai(1, 2, area3d(0, 1, 1, 4, 1)).end();
    }
    s.add(rec::Eof);

    Chart chart;
    std::vector<std::string> notes;
    ASSERT_TRUE(s.read(chart, notes));
    ASSERT_EQ(chart.series.size(), xls::kMaxChartSeries);
    EXPECT_EQ(chart.series[0].formula, "=SERIES(,,,1)");
    EXPECT_EQ(chart.series[1].formula, "=SERIES(,,Data!$B$2:$B$5,2)");
    EXPECT_EQ(chart.chartType, spreadsheet::kChartColumnClustered);
    // One note for the unreadable tokens, one for the dropped series.
    EXPECT_EQ(notes.size(), 2u);

    // The same stream cut in the middle of a record: the EOF is never found.
    ChartStream cut;
    cut.add(rec::Series).begin().ai(1, 2, area3d(0, 1, 1, 4, 1));
    cut.bytes().resize(cut.bytes().size() - 3);
    Chart partial;
    EXPECT_FALSE(cut.read(partial, notes));
}

struct TypeCase {
    uint16_t record;
    std::vector<uint8_t> data;
    bool threeD;
    int32_t type;
};

TEST(ChartTypes, RecordsGiveTheApplicationsTypesAndBack) {
    const TypeCase cases[] = {
        {rec::Bar, {0, 0, 0, 0, 0x00, 0}, false, spreadsheet::kChartColumnClustered},
        {rec::Bar, {0, 0, 0, 0, 0x02, 0}, false, spreadsheet::kChartColumnStacked},
        {rec::Bar, {0, 0, 0, 0, 0x06, 0}, false, spreadsheet::kChartColumnStacked100},
        {rec::Bar, {0, 0, 0, 0, 0x01, 0}, false, spreadsheet::kChartBarClustered},
        {rec::Bar, {0, 0, 0, 0, 0x07, 0}, false, spreadsheet::kChartBarStacked100},
        {rec::Bar, {0, 0, 0, 0, 0x00, 0}, true, spreadsheet::kChart3DColumnClustered},
        {rec::Line, {0x00, 0}, false, spreadsheet::kChartLine},
        {rec::Line, {0x01, 0}, false, spreadsheet::kChartLineStacked},
        {rec::Line, {0x00, 0}, true, spreadsheet::kChart3DLine},
        {rec::Area, {0x03, 0}, false, spreadsheet::kChartAreaStacked100},
        {rec::Pie, {0, 0, 0, 0, 0, 0}, false, spreadsheet::kChartPie},
        {rec::Pie, {0, 0, 0, 0, 0, 0}, true, spreadsheet::kChart3DPie},
        {rec::Pie, {0, 0, 50, 0, 0, 0}, false, spreadsheet::kChartDoughnut},
        {rec::Scatter, {100, 0, 1, 0, 0, 0}, false, spreadsheet::kChartXYScatter},
        {rec::Scatter, {100, 0, 1, 0, 1, 0}, false, spreadsheet::kChartBubble},
        {rec::Radar, {0, 0}, false, spreadsheet::kChartRadar},
        {rec::BopPop, {2}, false, spreadsheet::kChartBarOfPie},
    };
    for (const TypeCase& c : cases) {
        EXPECT_EQ(xls::chartTypeOf(c.record, c.data, c.threeD), c.type) << c.type;
        // Written as the record of its flat form, which reads back as that form.
        const xls::ChartTypeRecord written = xls::chartTypeRecordOf(c.type);
        std::vector<uint8_t> data;
        xls::appendChartTypeData(written, data);
        const int32_t flat = xls::chartTypeOf(written.id, data, false);
        if (!c.threeD && c.record != rec::BopPop) {
            EXPECT_EQ(flat, c.type) << c.type;
        }
    }
    EXPECT_EQ(xls::chartTypeRecordOf(spreadsheet::kChart3DBarClustered).flags, 0x0001);
    EXPECT_EQ(xls::chartTypeRecordOf(999).id, rec::Bar); // unknown: a column chart
}

xls::Book chartsBook() {
    xls::Book book;
    xls::Sheet& data = book.sheets.emplace_back();
    data.name = "Data";
    data.cells.push_back({0, 0, 0, spreadsheet::CellValue::fromNumber(1), nullptr});
    spreadsheet::ChartObject& embedded = data.charts.emplace_back();
    embedded.name = "Chart 1";
    embedded.chart.name = "Data Chart 1";
    embedded.chart.chartType = spreadsheet::kChartLine;
    embedded.chart.series = {{"=SERIES(,$A$2:$A$5,$B$2:$B$5,1)"}};
    xls::Sheet& sheet = book.sheets.emplace_back();
    sheet.name = "Pie";
    sheet.kind = xls::SheetKind::Chart;
    sheet.chart.chartType = spreadsheet::kChartPie;
    sheet.chart.hasTitle = true;
    sheet.chart.title = "Share";
    sheet.chart.plotBy = spreadsheet::kPlotByRows;
    sheet.chart.series = {{"=SERIES(\"Sales\",Data!$B$1:$D$1,Data!$B$2:$D$2,1)"},
                          {"=SERIES(Data!$A$3,,'Data'!$B$3:$D$3,2)"},
                          {"=SERIES(,,Gone!$B$3:$D$3,3)"},
                          {"=SUM(1)"}};
    book.activeSheet = 1;
    return book;
}

TEST(ChartWriter, ChartsComeBackAsChartSheets) {
    const xls::WriteOutcome written = xls::writeXlsFile(chartsBook());
    // The series on a sheet that is not saved, and the formula that is no series.
    ASSERT_EQ(written.notes.size(), 2u);
    EXPECT_NE(written.notes[0].find("Gone"), std::string::npos) << written.notes[0];

    xls::Book read;
    const xls::ReadOutcome outcome = xls::readXlsFile(written.bytes, read);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_TRUE(outcome.notes.empty());
    ASSERT_EQ(read.sheets.size(), 3u);
    EXPECT_EQ(read.activeSheet, 2u);
    EXPECT_TRUE(read.sheets[0].charts.empty());

    // The embedded chart follows its worksheet; its references are to it.
    const xls::Sheet& line = read.sheets[1];
    EXPECT_EQ(line.name, "Data Chart 1");
    EXPECT_EQ(line.kind, xls::SheetKind::Chart);
    EXPECT_EQ(line.chart.chartType, spreadsheet::kChartLine);
    EXPECT_FALSE(line.chart.hasTitle);
    ASSERT_EQ(line.chart.series.size(), 1u);
    EXPECT_EQ(line.chart.series[0].formula, "=SERIES(,Data!$A$2:$A$5,Data!$B$2:$B$5,1)");

    const xls::Sheet& pie = read.sheets[2];
    EXPECT_EQ(pie.chart.chartType, spreadsheet::kChartPie);
    EXPECT_EQ(pie.chart.title, "Share");
    EXPECT_EQ(pie.chart.plotBy, spreadsheet::kPlotByRows);
    ASSERT_EQ(pie.chart.series.size(), 2u);
    EXPECT_EQ(pie.chart.series[0].formula, "=SERIES(\"Sales\",Data!$B$1:$D$1,Data!$B$2:$D$2,1)");
    EXPECT_EQ(pie.chart.series[1].formula, "=SERIES(Data!$A$3,,Data!$B$3:$D$3,2)");
}

// An embedded chart whose name is taken or unusable gets a free one.
TEST(ChartWriter, EmbeddedChartsGetSheetNamesOfTheirOwn) {
    xls::Book book = chartsBook();
    book.sheets[1].name = "Data Chart 1";
    book.sheets[0].charts.push_back(book.sheets[0].charts[0]);
    book.sheets[0].charts[1].chart.name = "bad:name";
    const xls::WriteOutcome written = xls::writeXlsFile(book);
    xls::Book read;
    ASSERT_TRUE(xls::readXlsFile(written.bytes, read).ok);
    ASSERT_EQ(read.sheets.size(), 4u);
    EXPECT_EQ(read.sheets[1].name, "Chart1");
    EXPECT_EQ(read.sheets[2].name, "Chart2");
    EXPECT_EQ(read.sheets[3].name, "Data Chart 1");
}

std::vector<uint8_t> bof(uint16_t type) {
    std::vector<uint8_t> d;
    le::put16(d, rec::kBiff8Version);
    le::put16(d, type);
    d.resize(16, 0);
    return d;
}

// A workbook stream of one worksheet holding a drawing object of the kind
// given, followed by a line chart's substream and then a cell.
std::vector<uint8_t> worksheetWithObject(uint16_t kind) {
    xls::BiffRecordWriter out;
    out.record(rec::Bof, bof(rec::kBofGlobals));
    std::vector<uint8_t> sheet(6, 0);
    xls::appendString8(sheet, u"Data");
    const size_t offset = out.position() + 4;
    out.record(rec::BoundSheet, sheet);
    out.record(rec::Eof, {});
    le::set32(out.stream().data() + offset, static_cast<uint32_t>(out.position()));
    out.record(rec::Bof, bof(rec::kBofWorksheet));
    std::vector<uint8_t> object;
    for (uint16_t v : {0x15, 0x12, static_cast<int>(kind), 1}) {
        le::put16(object, static_cast<uint16_t>(v));
    }
    object.resize(22, 0);
    out.record(rec::Obj, object);
    out.record(rec::Bof, bof(rec::kBofChart));
    out.record(rec::ChartFormat, std::vector<uint8_t>(20, 0));
    out.record(rec::Begin, {});
    out.record(rec::Line, std::vector<uint8_t>(2, 0));
    out.record(rec::End, {});
    out.record(rec::Eof, {});
    const uint8_t number[] = {1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}; // C2: 1
    out.record(rec::Number, number);
    out.record(rec::Eof, {});
    return out.stream();
}

// A chart substream inside a worksheet is a chart only after an OBJ of chart
// kind; either way the worksheet goes on after it.
TEST(ChartReader, EmbeddedChartNeedsItsChartObject) {
    constexpr uint16_t kChart = 5, kPicture = 8;
    for (const uint16_t kind : {kChart, kPicture}) {
        xls::Book book;
        const xls::ReadOutcome outcome = xls::readWorkbookStream(worksheetWithObject(kind), book);
        ASSERT_TRUE(outcome.ok) << outcome.error;
        ASSERT_EQ(book.sheets.size(), 1u);
        ASSERT_EQ(book.sheets[0].cells.size(), 1u) << kind;
        EXPECT_EQ(book.sheets[0].cells[0].column, 2);
        const auto& charts = book.sheets[0].charts;
        if (kind == kChart) {
            ASSERT_EQ(charts.size(), 1u);
            EXPECT_EQ(charts[0].name, "Chart 1");
            EXPECT_EQ(charts[0].chart.name, "Data Chart 1");
            EXPECT_EQ(charts[0].chart.chartType, spreadsheet::kChartLine);
        } else {
            EXPECT_TRUE(charts.empty());
        }
    }
}

// A chart sheet whose substream is not where its BOUNDSHEET says opens empty.
TEST(ChartReader, ChartSheetWithoutItsSubstreamOpensEmpty) {
    xls::Book book = chartsBook();
    std::vector<uint8_t> stream = xls::writeWorkbookStream(xls::viewOf(book)).bytes;
    xls::BiffRecordReader records(stream);
    xls::BiffRecord r;
    size_t boundSheets = 0;
    while (records.next(r) && r.id != rec::Eof) {
        if (r.id == rec::BoundSheet && ++boundSheets == 3) { // the pie chart sheet
            le::set32(stream.data() + r.offset + 4, 1);
        }
    }
    xls::Book read;
    const xls::ReadOutcome outcome = xls::readWorkbookStream(stream, read);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(read.sheets.size(), 3u);
    EXPECT_EQ(read.sheets[1].chart.series.size(), 1u);
    EXPECT_TRUE(read.sheets[2].chart.series.empty());
    ASSERT_EQ(outcome.notes.size(), 1u);
    EXPECT_NE(outcome.notes[0].find("\"Pie\""), std::string::npos) << outcome.notes[0];
}

} // namespace
