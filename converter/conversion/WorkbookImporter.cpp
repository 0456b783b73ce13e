#include "WorkbookImporter.h"

#include "DocumentHeader.h"
#include "NumberFormats.h"
#include "SeriesRange.h"
#include "SheafCodes.h"
#include "SheafError.h"
#include "SheafFile.h"
#include "WorkbookExporter.h"
#include "WorkbookMembers.h"

#include <algorithm>

namespace sheaf {
namespace {

// A text cell whose text the application would take as the start of a formula
// ("=", "@", a sign not followed by a digit) or whose leading
// apostrophe it would swallow gets the text prefix, so that it stays the text
// the handheld holds.  Texts that look like numbers keep their coercion.
bool startsLikeAFormula(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    const char first = text.front();
    if (first == '=' || first == '@' || first == '\'') {
        return true;
    }
    if (first != '+' && first != '-') {
        return false;
    }
    const char next = text.size() > 1 ? text[1] : '\0';
    return !(next >= '0' && next <= '9') && next != '.';
}

std::string formulaText(const CellEntry& entry) {
    if (entry.kind == CellKind::Text && startsLikeAFormula(entry.text)) {
        return "'" + entry.text;
    }
    return entry.text;
}

// No chart of the application holds more series than this; a hostile range
// must not make the import add millions of them.
constexpr int32_t kMaxSeriesPerChart = 255;

int32_t applicationAlignment(uint32_t code) {
    switch (static_cast<AlignmentCode>(code)) {
    case AlignmentCode::Centre:
        return XL_HALIGN_CENTER;
    case AlignmentCode::Right:
        return XL_HALIGN_RIGHT;
    case AlignmentCode::Left:
        return XL_HALIGN_LEFT;
    default:
        return XL_HALIGN_GENERAL;
    }
}

AutomationObject addSheet(const AutomationObject& worksheets, int32_t type) {
    return worksheets.callObject(DISPID_XL_ADD,
                                 {AutomationValue::omitted(), AutomationValue::omitted(),
                                  AutomationValue::int32(1), AutomationValue::int32(type)});
}

void setChartType(const AutomationObject& chart, uint32_t code) {
    const auto type = ChartTypeCode::toApplicationType(code);
    if (!type) {
        throw SheafError(SHEAF_E_UNEXPECTED);
    }
    try {
        chart.put(DISPID_XL_CHART_TYPE, AutomationValue::int32(*type));
    } catch (const AutomationFailure&) {
        // The chart keeps the application's default type.
    }
}

} // namespace

WorkbookImporter::WorkbookImporter(const AutomationObject& application,
                                   const AutomationObject& workbook, ProgressCallback callback)
    : application_(application), workbook_(workbook), progress_(callback) {}

int32_t WorkbookImporter::importFrom(const char* sheafPath) {
    SheafDocument document;
    if (const int32_t result = loadDocument(document, sheafPath); result != 0) {
        return result;
    }
    rebuild(document);
    return 0;
}

void WorkbookImporter::rebuild(SheafDocument& document) {
    application_.put(DISPID_XL_OPTION_3A2, AutomationValue::boolean(false));
    application_.put(DISPID_XL_DISPLAY_ALERTS, AutomationValue::boolean(false));
    const AutomationObject worksheets = workbook_.getObject(DISPID_XL_WORKSHEETS);
    const AutomationObject placeholder =
        worksheets.getObject(DISPID_XL_ITEM, {AutomationValue::int32(1)});
    placeholder.put(DISPID_XL_NAME, AutomationValue::string(TEMP_SHEET_NAME));
    for (int32_t n = worksheets.getInt32(DISPID_XL_COUNT); n >= 2; --n) {
        worksheets.getObject(DISPID_XL_ITEM, {AutomationValue::int32(n)}).call(DISPID_XL_DELETE);
    }
    const auto finish = [&] {
        if (worksheets.getInt32(DISPID_XL_COUNT) > 1) {
            placeholder.call(DISPID_XL_DELETE);
        }
        worksheets.getObject(DISPID_XL_ITEM, {AutomationValue::int32(1)}).call(DISPID_XL_ACTIVATE);
    };
    try {
        rebuildSheets(document, worksheets, placeholder);
    } catch (const SheafError&) {
        finish();
        throw;
    }
    finish();
    progress_.report(100, std::string("Data conversion complete"));
}

void WorkbookImporter::rebuildSheets(SheafDocument& document, const AutomationObject& worksheets,
                                     const AutomationObject& placeholder) {
    const DocumentHeader header = DocumentHeader::decode(document.get(1));
    const uint32_t total = std::max<uint32_t>(header.sheetCount + header.chartCount, 1);
    const auto position = [total](uint64_t step) {
        return static_cast<uint32_t>(step * 98 / total);
    };
    for (uint32_t i = 1; i <= header.sheetCount; ++i) {
        const AutomationObject sheet = addSheet(worksheets, XL_WORKSHEET);
        fillWorksheet(document, sheet, position(i - 1), position(i));
        placeholder.call(DISPID_XL_ACTIVATE);
        progress_.report(position(i), "Finished sheet %d...", static_cast<int32_t>(i));
    }
    for (uint32_t i = 1; i <= header.chartCount; ++i) {
        const uint64_t step = uint64_t{header.sheetCount} + i;
        const AutomationObject chart = addSheet(worksheets, XL_CHART);
        fillChart(document, chart, position(step - 1), position(step));
        placeholder.call(DISPID_XL_ACTIVATE);
        progress_.report(position(step), "Finished chart %d...", static_cast<int32_t>(i));
    }
}

void WorkbookImporter::fillWorksheet(SheafDocument& document, const AutomationObject& sheet,
                                     uint32_t lo, uint32_t hi) {
    for (int i = 0; i < 3; ++i) {
        document.next();
    }
    const auto records = static_cast<uint32_t>(std::max(document.recordCount() - 3, 1));
    progress_.report(lo, "Converting record %d...", 1);
    CellStreamReader stream(document, [&](int32_t record) {
        progress_.report(Progress::between(lo, hi, static_cast<uint32_t>(record - 1), records),
                         "Converting record %d...", record);
    });
    if (sheet.getString(DISPID_XL_NAME) != stream.head().name) {
        sheet.put(DISPID_XL_NAME, AutomationValue::string(stream.head().name));
    }
    CellEntry entry;
    while (stream.next(entry)) {
        writeCell(sheet, entry);
    }
    progress_.report(hi, std::string());
}

void WorkbookImporter::writeCell(const AutomationObject& sheet, const CellEntry& entry) {
    const AutomationValue address =
        AutomationValue::string(cellAddress(int64_t{entry.column} + 1, int64_t{entry.row} + 1));
    const AutomationObject cell = sheet.getObject(DISPID_XL_RANGE, {address, address});
    cell.put(DISPID_XL_FORMULA, AutomationValue::string(formulaText(entry)));
    if (const auto format = numberFormatText(entry.format.numberFormat)) {
        cell.put(DISPID_XL_NUMBER_FORMAT, AutomationValue::string(*format));
    }
    const AutomationObject font = cell.getObject(DISPID_XL_FONT);
    if (entry.format.font & FontFlags::Bold) {
        font.put(DISPID_XL_BOLD, AutomationValue::boolean(true));
    }
    if (entry.format.font & FontFlags::Italic) {
        font.put(DISPID_XL_ITALIC, AutomationValue::boolean(true));
    }
    if (entry.format.font & FontFlags::Underlined) {
        font.put(DISPID_XL_UNDERLINE, AutomationValue::boolean(true));
    }
    cell.put(DISPID_XL_HORIZONTAL_ALIGNMENT,
             AutomationValue::int32(applicationAlignment(entry.format.alignment)));
}

void WorkbookImporter::fillChart(SheafDocument& document, const AutomationObject& chart,
                                 uint32_t lo, uint32_t hi) {
    progress_.report(lo, std::string());
    const ChartRecord record = ChartRecord::decode(document.next());
    chart.put(DISPID_XL_NAME, AutomationValue::string(record.name));
    if (!record.title.empty()) {
        try {
            chart.put(DISPID_XL_HAS_TITLE, AutomationValue::boolean(true));
            chart.getObject(DISPID_XL_CHART_TITLE)
                .put(DISPID_XL_CAPTION, AutomationValue::string(record.title));
        } catch (const AutomationFailure&) {
            // The chart goes on without its title.
        }
    }
    const AutomationObject seriesCollection = chart.callObject(DISPID_XL_SERIES_COLLECTION);
    if (record.type == ChartTypeCode::make(ChartTypeCode::Bubble, 0)) {
        // A bubble chart accepts its type only once it holds series.
        const AutomationObject first = seriesCollection.callObject(DISPID_XL_NEW_SERIES);
        seriesCollection.callObject(DISPID_XL_NEW_SERIES);
        setChartType(chart, record.type);
        addSeries(record, seriesCollection, lo, hi);
        first.call(DISPID_XL_DELETE);
    } else {
        addSeries(record, seriesCollection, lo, hi);
        setChartType(chart, record.type);
    }
}

void WorkbookImporter::addSeries(const ChartRecord& record,
                                 const AutomationObject& seriesCollection, uint32_t lo,
                                 uint32_t hi) {
    const auto groups = static_cast<uint32_t>(record.groups.size());
    int32_t order = 1;
    for (uint32_t g = 1; g <= groups; ++g) {
        progress_.report(Progress::between(lo, hi, g - 1, groups), "Converting series %d...",
                         static_cast<int32_t>(g));
        const ChartRecord::Group& group = record.groups[g - 1];
        SeriesRange range;
        range.parseValuesReference(group.values);
        range.categories = record.categories;
        range.sizes = group.sizes;
        while (!range.empty() && order <= kMaxSeriesPerChart) {
            const std::string formula = range.splitOffSeries(record.inRows).seriesFormula(order++);
            const AutomationObject series = seriesCollection.callObject(DISPID_XL_NEW_SERIES);
            try {
                series.put(DISPID_XL_FORMULA, AutomationValue::string(formula));
            } catch (const AutomationFailure&) {
                // A formula the application refuses leaves an empty series.
            }
        }
    }
    progress_.report(hi, std::string());
}

} // namespace sheaf
