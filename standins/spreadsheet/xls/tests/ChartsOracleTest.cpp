// Charts in workbooks LibreOffice and Gnumeric save, read by the engine,
// saved again (as chart sheets) and read back by LibreOffice, python3-xlrd
// and the engine; and charts the engine builds, as LibreOffice opens them.
#include "OracleFixture.h"

#include <functional>
#include <set>

namespace {

using namespace xls_oracle;
using spreadsheet::Chart;
using spreadsheet::Workbook;

// The charts of oracle/charts_book.py, in document order.
struct ExpectedChart {
    const char* host; // the worksheet it stands on
    int32_t type;
    const char* title; // empty for none
    std::vector<std::string> series;
    const char* odfClass;
};

const ExpectedChart kCharts[] = {
    {"Data",
     spreadsheet::kChartColumnClustered,
     "",
     {"=SERIES(Data!$B$1,Data!$A$2:$A$5,Data!$B$2:$B$5,1)",
      "=SERIES(Data!$C$1,Data!$A$2:$A$5,Data!$C$2:$C$5,2)"},
     "bar"},
    {"Data",
     spreadsheet::kChartPie,
     "Share",
     {"=SERIES(Data!$B$1,Data!$A$2:$A$5,Data!$B$2:$B$5,1)"},
     "circle"},
    {"Lines",
     spreadsheet::kChartLine,
     "Trend",
     {"=SERIES(Data!$C$1,Data!$A$2:$A$5,Data!$C$2:$C$5,1)"},
     "line"},
};

// Every chart of the workbook in order: each worksheet's embedded charts,
// chart sheets where they stand.
std::vector<const Chart*> chartsOf(const Workbook& workbook) {
    std::vector<const Chart*> charts;
    for (int32_t i = 0; i < workbook.sheetCount(); ++i) {
        const spreadsheet::Sheet& sheet = workbook.sheet(i);
        if (!sheet.isWorksheet()) {
            charts.push_back(&sheet.chart());
        }
        for (const spreadsheet::ChartObject& object : sheet.chartObjects()) {
            charts.push_back(&object.chart);
        }
    }
    return charts;
}

void expectEngineHoldsTheCharts(const Workbook& workbook) {
    const std::vector<const Chart*> charts = chartsOf(workbook);
    ASSERT_EQ(charts.size(), std::size(kCharts));
    for (size_t i = 0; i < charts.size(); ++i) {
        const Chart& chart = *charts[i];
        const ExpectedChart& e = kCharts[i];
        EXPECT_EQ(chart.chartType, e.type) << i;
        EXPECT_EQ(chart.hasTitle, *e.title != '\0') << i;
        EXPECT_EQ(chart.title, e.title) << i;
        EXPECT_EQ(chart.plotBy, spreadsheet::kPlotByColumns) << i;
        ASSERT_EQ(chart.series.size(), e.series.size()) << i;
        for (size_t s = 0; s < e.series.size(); ++s) {
            EXPECT_EQ(chart.series[s].formula, e.series[s]) << i;
        }
    }
}

// The chart and series lines LibreOffice shows for the book; `sheet` names
// where each chart stands.
std::vector<std::vector<std::string>>
expectedLibreOfficeLines(const std::function<std::string(size_t)>& sheet) {
    std::vector<std::vector<std::string>> lines;
    for (size_t i = 0; i < std::size(kCharts); ++i) {
        const ExpectedChart& e = kCharts[i];
        lines.push_back({"chart", sheet(i), e.odfClass, e.title, "Data.A2:Data.A5"});
        for (const std::string& series : e.series) {
            const char column = series.find("$C$1") != std::string::npos ? 'C' : 'B';
            lines.push_back({"series", sheet(i),
                             std::string("Data.") + column + "2:Data." + column + "5",
                             std::string("Data.") + column + "1"});
        }
    }
    return lines;
}

class ChartsOracle : public Oracle {
protected:
    // Why the test cannot run here, or empty.
    static std::string missingTools(bool gnumeric) {
        if (run("command -v soffice > /dev/null 2>&1") != 0) {
            return "LibreOffice (soffice) is not installed";
        }
        if (gnumeric && run("command -v ssconvert > /dev/null 2>&1") != 0) {
            return "Gnumeric's ssconvert is not installed";
        }
        if (run(std::string(kPython) + " -c 'import xlrd' > /dev/null 2>&1") != 0) {
            return "python3-xlrd is not installed";
        }
        return {};
    }

    std::vector<std::vector<std::string>> libreOfficeCharts(const fs::path& xls) {
        soffice("fods", xls, dir_ / "back");
        const fs::path listingPath = dir_ / "charts.listing";
        python("fods_charts.py", quoted(dir_ / "back" / (xls.stem().string() + ".fods")),
               &listingPath);
        std::ifstream in(listingPath);
        return Listing::parse(in).lines;
    }

    // xlrd lists worksheets only: the chart sheets between them must not
    // disturb the worksheets' streams.
    void expectXlrdReadsTheWorksheets(const fs::path& xls) {
        const fs::path listingPath = dir_ / "xlrd.listing";
        python("xlrd_dump.py", quoted(xls), &listingPath);
        const Listing listing = readListing(listingPath);
        std::vector<std::string> sheets;
        for (const auto* l : listing.of("sheet")) {
            sheets.push_back((*l)[2]);
        }
        EXPECT_EQ(sheets, (std::vector<std::string>{"Data", "Lines"}));
        std::set<std::string> numbers;
        for (const auto* l : listing.of("cell")) {
            if ((*l)[1] == "0" && (*l)[4] == "n") {
                numbers.insert((*l)[5]);
            }
        }
        EXPECT_EQ(numbers, (std::set<std::string>{"4.0", "5.0", "6.0", "7.0", "10.0", "20.0",
                                                  "25.0", "30.0"}));
    }

    void expectRoundTrip(const fs::path& xls) {
        Workbook workbook;
        open(xls, workbook);
        expectEngineHoldsTheCharts(workbook);
        const fs::path saved = save(workbook);

        // Each embedded chart comes back as a chart sheet after its worksheet.
        Workbook again;
        open(saved, again);
        expectEngineHoldsTheCharts(again);
        std::vector<std::string> names;
        for (int32_t i = 0; i < again.sheetCount(); ++i) {
            names.push_back(again.sheet(i).name() +
                            (again.sheet(i).isWorksheet() ? "" : " (chart)"));
        }
        EXPECT_EQ(names,
                  (std::vector<std::string>{"Data", "Data Chart 1 (chart)", "Data Chart 2 (chart)",
                                            "Lines", "Lines Chart 1 (chart)"}));

        const char* const sheets[] = {"Data Chart 1", "Data Chart 2", "Lines Chart 1"};
        EXPECT_EQ(libreOfficeCharts(saved),
                  expectedLibreOfficeLines([&](size_t i) { return sheets[i]; }));
        expectXlrdReadsTheWorksheets(saved);
    }
};

TEST_F(ChartsOracle, LibreOfficeBookKeepsItsChartsBothWays) {
    if (const std::string why = missingTools(false); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const fs::path xls = libreOfficeXls(bookFods("charts_book.py", "charts"));
    // The oracle agrees with itself first: LibreOffice reads back what it wrote.
    EXPECT_EQ(libreOfficeCharts(xls),
              expectedLibreOfficeLines([](size_t i) { return std::string(kCharts[i].host); }));
    expectRoundTrip(xls);
}

TEST_F(ChartsOracle, GnumericBookKeepsItsChartsBothWays) {
    if (const std::string why = missingTools(true); !why.empty()) {
        GTEST_SKIP() << why;
    }
    expectRoundTrip(gnumericXls(bookFods("charts_book.py", "charts")));
}

// Gnumeric keeps chart sheets as chart sheets: the engine's file re-saved by
// it has a chart sheet for each chart, the line chart's among them.
TEST_F(ChartsOracle, GnumericChartSheetsOpenInTheEngine) {
    if (const std::string why = missingTools(true); !why.empty()) {
        GTEST_SKIP() << why;
    }
    Workbook workbook;
    open(libreOfficeXls(bookFods("charts_book.py", "charts")), workbook);
    const fs::path resaved = dir_ / "gnumeric-sheets.xls";
    const std::string command = "ssconvert --export-type=Gnumeric_Excel:excel_biff8 " +
                                quoted(save(workbook)) + " " + quoted(resaved) +
                                " > /dev/null 2>&1";
    ASSERT_EQ(run(command), 0) << command;

    Workbook sheets;
    open(resaved, sheets);
    expectEngineHoldsTheCharts(sheets);
    ASSERT_EQ(sheets.chartSheetCount(), 3);
    EXPECT_EQ(sheets.chartSheet(2).name(), "Lines Chart 1");
    EXPECT_EQ(sheets.chartSheet(2).chart().chartType, spreadsheet::kChartLine);
}

// Charts as the automation server builds them on import: a chart sheet of
// its own, series formulas with ';' and quoted sheet names, and an embedded
// chart; LibreOffice opens each as a chart of its type with its series.
TEST_F(ChartsOracle, EngineBuiltChartsOpenInLibreOffice) {
    if (const std::string why = missingTools(false); !why.empty()) {
        GTEST_SKIP() << why;
    }
    Workbook workbook;
    spreadsheet::Sheet& data =
        workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Sales data");
    for (int32_t r = 1; r <= 4; ++r) {
        data.setValue({r, 0}, spreadsheet::CellValue::fromText("Q" + std::to_string(r)));
        data.setValue({r, 1}, spreadsheet::CellValue::fromNumber(r * 10));
        data.setValue({r, 2}, spreadsheet::CellValue::fromNumber(r * 3));
    }
    Chart& line = workbook.appendSheet(spreadsheet::SheetType::Chart, "Trend").chart();
    line.chartType = spreadsheet::kChartLine;
    line.series = {{"=SERIES(;'Sales data'!$A$2:$A$5;'Sales data'!$B$2:$B$5;1)"},
                   {"=SERIES(;'Sales data'!$A$2:$A$5;'Sales data'!$C$2:$C$5;2)"}};
    spreadsheet::ChartObject& embedded = data.chartObjects().emplace_back();
    embedded.name = "Chart 1";
    embedded.chart.name = "Sales data Chart 1";
    embedded.chart.chartType = spreadsheet::kChartPie;
    embedded.chart.hasTitle = true;
    embedded.chart.title = "Quarters";
    embedded.chart.series = {{"=SERIES(\"Sales\",$A$2:$A$5,$B$2:$B$5,1)"}};

    const fs::path saved = save(workbook);
    const std::vector<std::vector<std::string>> expected = {
        {"chart", "Sales data Chart 1", "circle", "Quarters", "'Sales data'.A2:'Sales data'.A5"},
        {"series", "Sales data Chart 1", "'Sales data'.B2:'Sales data'.B5", ""},
        {"chart", "Trend", "line", "", "'Sales data'.A2:'Sales data'.A5"},
        {"series", "Trend", "'Sales data'.B2:'Sales data'.B5", ""},
        {"series", "Trend", "'Sales data'.C2:'Sales data'.C5", ""},
    };
    EXPECT_EQ(libreOfficeCharts(saved), expected);
}

} // namespace
