// ChartObjects, ChartObject, Chart (embedded or a chart sheet), ChartTitle,
// SeriesCollection and Series.
#include "Objects.h"

#include "FormulaParser.h"

namespace spreadsheet::automation {

namespace {

constexpr int32_t kSheetTypeChart = -4109;

class ChartObjectsObject : public DispatchObject {
public:
    explicit ChartObjectsObject(SheetRef sheet) : sheet_(std::move(sheet)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        auto& charts = sheet_.get().chartObjects();
        switch (id) {
        case 0x76:
            call.setInt(static_cast<int32_t>(charts.size()));
            return;
        case 0xAA:
        case DISPID_VALUE: {
            int32_t index = call.intArg(0, 0);
            if (index < 1 || index > static_cast<int32_t>(charts.size()))
                throw StatusFailure{DISP_E_BADINDEX};
            call.setObject(newChartObject(sheet_, index - 1));
            return;
        }
        case 0xB5: { // Add(Left, Top, Width, Height): the position is not kept
            ChartObject added;
            added.name = "Chart " + std::to_string(charts.size() + 1);
            added.chart.name = sheet_.get().name() + " " + added.name;
            charts.push_back(std::move(added));
            call.setObject(newChartObject(sheet_, static_cast<int32_t>(charts.size()) - 1));
            return;
        }
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Count", 0x76}, {L"Item", 0xAA}, {nullptr, DISPID_VALUE}, {L"Add", 0xB5}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"ChartObjects"; }

private:
    SheetRef sheet_;
};

class ChartObjectObject : public DispatchObject {
public:
    ChartObjectObject(SheetRef sheet, int32_t index) : chart_{std::move(sheet), index} {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        chart_.get();
        switch (id) {
        case 0x7: // Chart
            call.setObject(newChart(chart_));
            return;
        case 0x6E: // Name
            call.setString(chart_.sheet.get().chartObjects()[chart_.embedded].name);
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Chart", 0x7}, {L"Name", 0x6E}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"ChartObject"; }

private:
    ChartRef chart_;
};

class ChartTitleObject : public DispatchObject {
public:
    explicit ChartTitleObject(ChartRef chart) : chart_(std::move(chart)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        Chart& chart = chart_.get();
        switch (id) {
        case 0x8B: // Caption
        case 0x8A: // Text
            if (call.isPut())
                chart.title = call.putString();
            else
                call.setString(chart.title);
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Caption", 0x8B, true}, {L"Text", 0x8A, true}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"ChartTitle"; }

private:
    ChartRef chart_;
};

// A series formula is =SERIES(name, categories, values, order[, sizes]) with
// a reference for the values; ';' separates as well as ','.
bool isSeriesFormula(const std::string& text) {
    FormulaParseResult parsed = parseFormula(text);
    if (!parsed || parsed.root->kind != NodeKind::Function || parsed.root->text != "SERIES")
        return false;
    const auto& args = parsed.root->children;
    if (args.size() < 4 || args.size() > 5)
        return false;
    NodeKind values = args[2]->kind;
    return values == NodeKind::Reference || values == NodeKind::Area;
}

class SeriesObject : public DispatchObject {
public:
    SeriesObject(ChartRef chart, size_t index) : chart_(std::move(chart)), index_(index) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        auto& series = chart_.get().series;
        if (index_ >= series.size())
            failWith(L"Object required: the series has been deleted.");
        switch (id) {
        case 0x105: // Formula
            if (call.isPut()) {
                std::string text = call.putString();
                if (!isSeriesFormula(text))
                    failSet(L"Formula", className());
                series[index_].formula = text;
            } else {
                call.setString(series[index_].formula);
            }
            return;
        case 0x75: // Delete
            series.erase(series.begin() + static_cast<std::ptrdiff_t>(index_));
            call.setBool(true);
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Formula", 0x105, true}, {L"Delete", 0x75}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Series"; }

private:
    ChartRef chart_;
    size_t index_;
};

class SeriesCollectionObject : public DispatchObject {
public:
    explicit SeriesCollectionObject(ChartRef chart) : chart_(std::move(chart)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        auto& series = chart_.get().series;
        switch (id) {
        case 0x76:
            call.setInt(static_cast<int32_t>(series.size()));
            return;
        case 0xAA:
        case DISPID_VALUE:
            return item(call, series);
        case 0x45D: // NewSeries: an empty series numbered after the others
            series.push_back({"=SERIES(,,," + std::to_string(series.size() + 1) + ")"});
            call.setObject(new SeriesObject(chart_, series.size() - 1));
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Count", 0x76}, {L"Item", 0xAA}, {nullptr, DISPID_VALUE}, {L"NewSeries", 0x45D}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"SeriesCollection"; }

private:
    void item(Invocation& call, const std::vector<ChartSeries>& series) {
        int32_t index = call.intArg(0, 0);
        if (index < 1 || index > static_cast<int32_t>(series.size()))
            throw StatusFailure{DISP_E_BADINDEX};
        call.setObject(new SeriesObject(chart_, static_cast<size_t>(index - 1)));
    }

    ChartRef chart_;
};

// A chart sheet (which is also a sheet: Name, Type, Activate, Delete) or an
// embedded chart.
class ChartSheetOrEmbedded : public SheetObjectBase {
public:
    explicit ChartSheetOrEmbedded(const ChartRef& chart)
        : SheetObjectBase(chart.sheet), embedded_(chart.embedded) {}

protected:
    bool standsForSheet() const override { return embedded_ < 0; }

    void invoke(DISPID id, Invocation& call) override {
        ChartRef ref{sheet_, embedded_};
        Chart& chart = ref.get();
        switch (id) {
        case 0x6E:
            return name(call, chart);
        case 0x6C: // Type
            call.setInt(kSheetTypeChart);
            return;
        case 0x130: // Activate
        case 0x75:  // Delete
            return sheetMethod(id, call);
        case 0x36: // HasTitle
            if (call.isPut())
                chart.hasTitle = call.putBool();
            else
                call.setBool(chart.hasTitle);
            return;
        case 0x51: // ChartTitle
            if (!chart.hasTitle)
                failGet(L"ChartTitle", className());
            call.setObject(new ChartTitleObject(ref));
            return;
        case 0x578: // ChartType
            if (call.isPut())
                chart.chartType = call.putInt();
            else
                call.setInt(chart.chartType);
            return;
        case 0xCA: // PlotBy
            if (call.isPut()) {
                int32_t value = call.putInt();
                if (value != kPlotByRows && value != kPlotByColumns)
                    failSet(L"PlotBy", className());
                chart.plotBy = value;
            } else {
                call.setInt(chart.plotBy);
            }
            return;
        case 0x44: // SeriesCollection([Index])
            if (const VARIANT* index = call.arg(0)) {
                int32_t n = variantToInt(*index, call.count() - 1);
                if (n < 1 || n > static_cast<int32_t>(chart.series.size()))
                    throw StatusFailure{DISP_E_BADINDEX};
                call.setObject(new SeriesObject(ref, static_cast<size_t>(n - 1)));
                return;
            }
            call.setObject(new SeriesCollectionObject(ref));
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Name", 0x6E, true},       {L"Type", 0x6C},           {L"Activate", 0x130},
            {L"Delete", 0x75},           {L"HasTitle", 0x36, true}, {L"ChartTitle", 0x51},
            {L"ChartType", 0x578, true}, {L"PlotBy", 0xCA, true},   {L"SeriesCollection", 0x44}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Chart"; }

private:
    void name(Invocation& call, Chart& chart) {
        Sheet& sheet = sheet_.get();
        if (!call.isPut()) {
            call.setString(embedded_ < 0 ? sheet.name() : chart.name);
            return;
        }
        std::string name = call.putString();
        if (embedded_ >= 0) {
            chart.name = name;
            return;
        }
        if (!sheet_.book->book.renameSheet(sheet, name))
            failSet(L"Name", className());
    }

    void sheetMethod(DISPID id, Invocation& call) {
        if (embedded_ >= 0)
            noSuchMember();
        Workbook& book = sheet_.book->book;
        int32_t index = book.indexOf(sheet_.get());
        if (id == 0x130) {
            book.activate(index);
            return;
        }
        if (!book.removeSheet(index))
            failMethod(L"Delete", className());
        call.setBool(true);
    }

    int32_t embedded_;
};

} // namespace

IDispatch* newChartObjects(const SheetRef& sheet) {
    return new ChartObjectsObject(sheet);
}

IDispatch* newChartObject(const SheetRef& sheet, int32_t index) {
    return new ChartObjectObject(sheet, index);
}

IDispatch* newChart(const ChartRef& chart) {
    return new ChartSheetOrEmbedded(chart);
}

} // namespace spreadsheet::automation
