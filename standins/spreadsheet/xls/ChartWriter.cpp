#include "ChartWriter.h"

#include "BiffRecordIds.h"
#include "ChartTypes.h"
#include "FormulaParser.h"
#include "LittleEndian.h"
#include "TextCodec.h"

#include <algorithm>
#include <utility>

namespace xls {

namespace {

using spreadsheet::FormulaNode;
using spreadsheet::NodeKind;

enum SeriesArgument : size_t { kName = 0, kCategories = 1, kValues = 2 };
enum AiSource : uint8_t { kAiAuto = 0, kAiLiteral = 1, kAiReference = 2 };
constexpr uint16_t kChartWidth = 480; // points; a chart sheet fills its window anyway
constexpr uint16_t kChartHeight = 360;

bool isReference(const FormulaNode& node) {
    return node.kind == NodeKind::Reference || node.kind == NodeKind::Area;
}

uint16_t cellCount(const FormulaNode& node) {
    if (node.kind != NodeKind::Area) {
        return 1;
    }
    const int64_t rows = node.last.cell.row - node.first.cell.row + 1;
    const int64_t columns = node.last.cell.column - node.first.cell.column + 1;
    return static_cast<uint16_t>(std::clamp<int64_t>(rows * columns, 0, 0xFFFF));
}

// Tokens of one reference argument; false with `why` set when it cannot be
// written.  Anything but a reference is left out without a word.
bool encodeReference(const FormulaNode& node, EncodeContext& context, std::vector<uint8_t>& tokens,
                     uint16_t& count, std::string& why) {
    if (!isReference(node)) {
        return true;
    }
    if (!encodeFormula(node, context, tokens, why)) {
        return false;
    }
    count = cellCount(node);
    return true;
}

bool encodeSeries(const FormulaNode& root, EncodeContext& context, EncodedSeries& series,
                  std::string& why) {
    const auto& args = root.children;
    if (args.size() <= kValues || !isReference(*args[kValues])) {
        why = "its values are not a reference";
        return false;
    }
    uint16_t ignored = 0;
    if (args[kName]->kind == NodeKind::Text) {
        series.literalName = args[kName]->text;
    } else if (!encodeReference(*args[kName], context, series.name, ignored, why)) {
        return false;
    }
    return encodeReference(*args[kCategories], context, series.categories, series.categoryCount,
                           why) &&
           encodeReference(*args[kValues], context, series.values, series.valueCount, why);
}

void put(BiffRecordWriter& out, uint16_t id, std::initializer_list<uint16_t> words) {
    std::vector<uint8_t> d;
    for (uint16_t w : words) {
        le::put16(d, w);
    }
    out.record(id, d);
}

void begin(BiffRecordWriter& out) {
    out.record(rec::Begin, {});
}

void end(BiffRecordWriter& out) {
    out.record(rec::End, {});
}

void putAi(BiffRecordWriter& out, uint8_t part, uint8_t source,
           const std::vector<uint8_t>& tokens = {}) {
    std::vector<uint8_t> d{part, source};
    le::put16(d, 0); // number format of the source
    le::put16(d, 0);
    le::put16(d, static_cast<uint16_t>(tokens.size()));
    d.insert(d.end(), tokens.begin(), tokens.end());
    out.record(rec::BraI, d);
}

void putSeriesText(BiffRecordWriter& out, const std::string& text) {
    std::vector<uint8_t> d;
    le::put16(d, 0);
    appendString8(d, utf8ToUtf16(text));
    out.record(rec::SeriesText, d);
}

// A frame drawn with the automatic line and area.
void putFrame(BiffRecordWriter& out) {
    put(out, rec::Frame, {0x0000, 0x0003}); // automatic size and position
    begin(out);
    put(out, rec::LineFormat, {0x0000, 0x0000, 0x0005, 0xFFFF, 0x0000, 0x004D}); // no border
    put(out, rec::AreaFormat, {0xFFFF, 0x00FF, 0x0000, 0x0000, 0x0001, 0x0001, 0x004E, 0x004D});
    end(out);
}

void putSeries(BiffRecordWriter& out, const EncodedSeries& s) {
    // Categories and values are numbers as far as the cached data goes: none is written.
    put(out, rec::Series, {0x0001, 0x0001, s.categoryCount, s.valueCount, 0x0001, 0x0000});
    begin(out);
    if (!s.name.empty()) {
        putAi(out, 0, kAiReference, s.name);
    } else if (!s.literalName.empty()) {
        putAi(out, 0, kAiLiteral);
        putSeriesText(out, s.literalName);
    } else {
        putAi(out, 0, kAiAuto);
    }
    putAi(out, 1, kAiReference, s.values);
    putAi(out, 2, s.categories.empty() ? kAiAuto : kAiReference, s.categories);
    putAi(out, 3, kAiAuto);
    put(out, rec::SerToCrt, {0x0000});
    end(out);
}

void putAxes(BiffRecordWriter& out) {
    put(out, rec::Axis, {0, 0, 0, 0, 0, 0, 0, 0, 0}); // category axis
    begin(out);
    put(out, rec::CatSerRange, {0x0001, 0x0001, 0x0001, 0x0001});
    end(out);
    put(out, rec::Axis, {1, 0, 0, 0, 0, 0, 0, 0, 0}); // value axis
    begin(out);
    std::vector<uint8_t> range(40, 0);
    le::put16(range, 0x011F); // minimum, maximum and units automatic
    out.record(rec::ValueRange, range);
    end(out);
}

void putChartGroup(BiffRecordWriter& out, const spreadsheet::Chart& chart) {
    const ChartTypeRecord type = chartTypeRecordOf(chart.chartType);
    put(out, rec::AxesUsed, {0x0001});
    std::vector<uint8_t> parent(18, 0);
    out.record(rec::AxisParent, parent);
    begin(out);
    if (type.id != rec::Pie) {
        putAxes(out);
    }
    out.record(rec::PlotArea, {});
    putFrame(out);
    std::vector<uint8_t> format(16, 0);
    le::put16(format, type.id == rec::Pie ? 0x0001 : 0x0000); // pies vary colours by point
    le::put16(format, 0);
    out.record(rec::ChartFormat, format);
    begin(out);
    std::vector<uint8_t> data;
    appendChartTypeData(type, data);
    out.record(type.id, data);
    end(out);
    end(out);
}

void putTitle(BiffRecordWriter& out, const std::string& title) {
    std::vector<uint8_t> text{0x02, 0x02}; // centred both ways
    le::put16(text, 0x0001);               // transparent background
    le::put32(text, 0);                    // black
    text.resize(text.size() + 16, 0);      // position and size: automatic
    le::put16(text, 0x0081);               // automatic colour and background
    le::put16(text, 0x004D);
    le::put16(text, 0);
    le::put16(text, 0);
    out.record(rec::Text, text);
    begin(out);
    putAi(out, 0, kAiLiteral);
    putSeriesText(out, title);
    put(out, rec::ObjectLink, {0x0001, 0x0000, 0x0000});
    end(out);
}

} // namespace

EncodedChart encodeChart(const spreadsheet::Chart& chart, const std::string& sheet,
                         EncodeContext& context, std::vector<std::string>& notes) {
    EncodedChart encoded;
    encoded.chart = &chart;
    const std::string previous = std::exchange(context.definitionSheet, sheet);
    for (const spreadsheet::ChartSeries& s : chart.series) {
        const spreadsheet::FormulaParseResult parsed = spreadsheet::parseFormula(s.formula);
        EncodedSeries series;
        std::string why = "not a series formula";
        const bool isSeries =
            parsed && parsed.root->kind == NodeKind::Function && parsed.root->text == "SERIES";
        if (isSeries && encodeSeries(*parsed.root, context, series, why)) {
            encoded.series.push_back(std::move(series));
        } else if (notes.size() < 1000) {
            notes.push_back("chart series " + s.formula + " is not saved (" + why + ")");
        }
    }
    context.definitionSheet = previous;
    return encoded;
}

void writeChartSubstream(const EncodedChart& encoded, BiffRecordWriter& out) {
    const spreadsheet::Chart& chart = *encoded.chart;
    out.record(rec::Header, {});
    out.record(rec::Footer, {});
    put(out, rec::HCenter, {0});
    put(out, rec::VCenter, {0});
    put(out, rec::PrintSize, {0x0003}); // the chart fills the page
    put(out, rec::Units, {0});
    put(out, rec::Chart, {0, 0, 0, 0, 0, kChartWidth, 0, kChartHeight});
    begin(out);
    putFrame(out);
    for (const EncodedSeries& s : encoded.series) {
        putSeries(out, s);
    }
    put(out, rec::ShtProps, {0x000A, 0x0000}); // plot visible cells only
    putChartGroup(out, chart);
    if (chart.hasTitle && !chart.title.empty()) {
        putTitle(out, chart.title);
    }
    end(out);
    out.record(rec::Eof, {});
}

} // namespace xls
