#include "ChartReader.h"

#include "BiffRecordIds.h"
#include "ChartTypes.h"
#include "LittleEndian.h"

#include <algorithm>

namespace xls {

namespace {

using spreadsheet::FormulaNode;
using spreadsheet::NodeKind;

// AI record: which part of a series (or of a label) its formula gives.
enum AiPart : uint8_t { kAiName = 0, kAiValues = 1, kAiCategories = 2 };
// AI record: where the part comes from.
constexpr uint8_t kAiLiteral = 1;
constexpr uint8_t kAiReference = 2;
// OBJECTLINK: the label is the chart's title.
constexpr uint16_t kLinkTitle = 1;
// BEGIN blocks deeper than this are counted but their owners not kept.
constexpr size_t kMaxDepth = 64;
// Like the reader's notes on formulas: enough to tell what went wrong.
constexpr size_t kMaxNotes = 1000;

struct SeriesParts {
    std::string name, categories, values;
    spreadsheet::CellArea valuesArea{};
    bool hasArea = false;
};

void makeAbsolute(FormulaNode& node) {
    if (node.kind == NodeKind::Reference || node.kind == NodeKind::Area) {
        node.first.rowAbsolute = node.first.columnAbsolute = true;
        node.last.rowAbsolute = node.last.columnAbsolute = true;
    }
    for (auto& child : node.children) {
        makeAbsolute(*child);
    }
}

std::string quotedLiteral(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

bool isChartTypeRecord(uint16_t id) {
    switch (id) {
    case rec::Bar:
    case rec::Line:
    case rec::Pie:
    case rec::Area:
    case rec::Scatter:
    case rec::Radar:
    case rec::Surf:
    case rec::RadarArea:
    case rec::BopPop:
        return true;
    default:
        return false;
    }
}

class ChartSubstreamParser {
public:
    ChartSubstreamParser(FormulaContext& context, spreadsheet::Chart& chart,
                         std::vector<std::string>& notes)
        : context_(context), chart_(chart), notes_(notes) {}

    bool run(BiffRecordReader& records) {
        BiffRecord r;
        while (records.next(r)) {
            if (r.id == rec::Eof) {
                finish();
                return true;
            }
            take(r);
            previous_ = r.id;
        }
        finish();
        return false;
    }

private:
    uint16_t owner() const { return owners_.empty() ? 0 : owners_.back(); }
    bool inside(uint16_t id) const {
        return std::find(owners_.begin(), owners_.end(), id) != owners_.end();
    }

    void take(const BiffRecord& r) {
        const std::span<const uint8_t> d = r.data;
        switch (r.id) {
        case rec::Begin:
            open();
            break;
        case rec::End:
            close();
            break;
        case rec::Series:
            startSeries();
            break;
        case rec::BraI:
            readAi(d);
            break;
        case rec::SeriesText:
            readSeriesText(r);
            break;
        case rec::Text:
            label_.clear();
            titleLink_ = false;
            break;
        case rec::ObjectLink:
            if (owner() == rec::Text && d.size() >= 2 && le::u16(d.data()) == kLinkTitle) {
                titleLink_ = true;
            }
            break;
        case rec::ChartFormat:
            ++chartGroups_;
            break;
        case rec::Chart3D:
            if (chartGroups_ == 1 && inside(rec::ChartFormat)) {
                threeD_ = true;
            }
            break;
        default:
            if (isChartTypeRecord(r.id) && chartGroups_ == 1 && typeId_ == 0 &&
                owner() == rec::ChartFormat) {
                typeId_ = r.id;
                typeData_.assign(d.begin(), d.end());
            }
            break;
        }
    }

    void open() {
        ++depth_;
        if (owners_.size() < kMaxDepth) {
            owners_.push_back(previous_);
        }
    }

    void close() {
        if (depth_ == 0) {
            return;
        }
        if (depth_-- > owners_.size()) {
            return;
        }
        if (owners_.back() == rec::Text && titleLink_ && !label_.empty()) {
            chart_.hasTitle = true;
            chart_.title = label_;
        }
        owners_.pop_back();
    }

    void startSeries() {
        if (series_.size() >= kMaxChartSeries) {
            if (!dropped_) {
                notes_.push_back("a chart holds more than 255 series; the rest are dropped");
                dropped_ = true;
            }
            current_ = nullptr;
            return;
        }
        current_ = &series_.emplace_back();
    }

    // The AI records of a series come inside its BEGIN block, of a label
    // inside the label's.
    void readAi(std::span<const uint8_t> d) {
        aiPart_ = 0xFF;
        if (d.size() < 8) {
            return;
        }
        const uint8_t part = d[0], source = d[1];
        const uint16_t cce = le::u16(d.data() + 6);
        if (8u + cce > d.size()) {
            return;
        }
        aiPart_ = part;
        aiSource_ = source;
        if (owner() != rec::Series || current_ == nullptr || source != kAiReference) {
            return;
        }
        context_.row = context_.column = 0;
        std::string why;
        spreadsheet::FormulaNodePtr root = decodeFormula(d.subspan(8, cce), context_, why);
        if (!root) {
            if (notes_.size() < kMaxNotes) {
                notes_.push_back("a chart series reference cannot be read (" + why + ")");
            }
            return;
        }
        makeAbsolute(*root);
        std::string text = spreadsheet::formatFormula(*root).substr(1);
        switch (part) {
        case kAiName:
            current_->name = std::move(text);
            break;
        case kAiValues:
            current_->values = std::move(text);
            if (root->kind == NodeKind::Area || root->kind == NodeKind::Reference) {
                current_->valuesArea = {root->first.cell, root->kind == NodeKind::Area
                                                              ? root->last.cell
                                                              : root->first.cell};
                current_->hasArea = true;
            }
            break;
        case kAiCategories:
            current_->categories = std::move(text);
            break;
        default:
            break;
        }
    }

    void readSeriesText(const BiffRecord& r) {
        RecordCursor c;
        c.append(r.data);
        c.skip(2);
        std::string text = c.unicodeString8();
        if (c.failed() || aiPart_ != kAiName || aiSource_ != kAiLiteral) {
            return;
        }
        if (owner() == rec::Series && current_ != nullptr) {
            current_->name = quotedLiteral(text);
        } else if (owner() == rec::Text) {
            label_ = std::move(text);
        }
    }

    void finish() {
        if (typeId_ != 0) {
            chart_.chartType = chartTypeOf(typeId_, typeData_, threeD_);
        }
        chart_.series.clear();
        for (size_t i = 0; i < series_.size(); ++i) {
            const SeriesParts& s = series_[i];
            chart_.series.push_back({"=SERIES(" + s.name + "," + s.categories + "," + s.values +
                                     "," + std::to_string(i + 1) + ")"});
        }
        // A series along a row means the chart plots by rows.
        if (!series_.empty() && series_.front().hasArea) {
            const spreadsheet::CellArea& a = series_.front().valuesArea;
            const bool alongRow = a.first.row == a.last.row && a.first.column != a.last.column;
            chart_.plotBy = alongRow ? spreadsheet::kPlotByRows : spreadsheet::kPlotByColumns;
        }
    }

    FormulaContext& context_;
    spreadsheet::Chart& chart_;
    std::vector<std::string>& notes_;
    uint16_t previous_ = 0;
    size_t depth_ = 0;
    std::vector<uint16_t> owners_; // the record before each open BEGIN
    std::vector<SeriesParts> series_;
    SeriesParts* current_ = nullptr;
    bool dropped_ = false;
    uint8_t aiPart_ = 0xFF;
    uint8_t aiSource_ = 0;
    std::string label_;
    bool titleLink_ = false;
    int chartGroups_ = 0;
    uint16_t typeId_ = 0;
    std::vector<uint8_t> typeData_;
    bool threeD_ = false;
};

} // namespace

bool readChartSubstream(BiffRecordReader& records, FormulaContext& context,
                        spreadsheet::Chart& chart, std::vector<std::string>& notes) {
    return ChartSubstreamParser(context, chart, notes).run(records);
}

} // namespace xls
