#include "WorkbookExporter.h"

#include "ChartRecord.h"
#include "DocumentHeader.h"
#include "NumberFormats.h"
#include "NumberText.h"
#include "SeriesFormula.h"
#include "SheafCodes.h"
#include "SheafFile.h"
#include "WorkbookMembers.h"

#include <algorithm>
#include <cmath>

namespace sheaf {
namespace {

constexpr double kStandardWidthPoints = 48;

AutomationValue index(int32_t i) {
    return AutomationValue::int32(i);
}

bool isWorksheet(const AutomationObject& sheet) {
    try {
        return sheet.getInt32(DISPID_XL_TYPE) == XL_WORKSHEET;
    } catch (const AutomationFailure&) {
        return false;
    }
}

uint32_t alignmentCode(int32_t horizontalAlignment) {
    switch (horizontalAlignment) {
    case XL_HALIGN_CENTER:
        return static_cast<uint32_t>(AlignmentCode::Centre);
    case XL_HALIGN_RIGHT:
        return static_cast<uint32_t>(AlignmentCode::Right);
    case XL_HALIGN_LEFT:
        return static_cast<uint32_t>(AlignmentCode::Left);
    default:
        return static_cast<uint32_t>(AlignmentCode::Other);
    }
}

// A sheet name inside a formula ends a reference only where a name may start:
// "a!" inside "Data!A1" is not the sheet "a".
bool startsName(const std::string& formula, size_t position) {
    if (position == 0) {
        return true;
    }
    const unsigned char before = static_cast<unsigned char>(formula[position - 1]);
    return !(std::isalnum(before) || before == '_' || before == '.' || before == '\'' ||
             before >= 0x80);
}

} // namespace

std::string cellAddress(int64_t column, int64_t row) {
    return SeriesRange::columnToLetters(
               static_cast<int32_t>(std::clamp<int64_t>(column, 0, INT32_MAX))) +
           std::to_string(row);
}

WorkbookExporter::WorkbookExporter(const AutomationObject& application,
                                   const AutomationObject& workbook, ProgressCallback callback)
    : application_(application), workbook_(workbook), progress_(callback) {}

int32_t WorkbookExporter::exportTo(const char* sheafPath) {
    application_.put(DISPID_XL_DISPLAY_ALERTS, AutomationValue::boolean(false));
    application_.put(DISPID_XL_ASK_TO_UPDATE_LINKS, AutomationValue::boolean(false));
    return saveDocument(convert(), sheafPath);
}

SheafDocument WorkbookExporter::convert() {
    const AutomationObject worksheets = workbook_.getObject(DISPID_XL_WORKSHEETS);
    const AutomationObject charts = workbook_.getObject(DISPID_XL_CHARTS);
    const auto sheetCount =
        static_cast<uint32_t>(std::max(worksheets.getInt32(DISPID_XL_COUNT), 0));
    const auto chartCount = static_cast<uint32_t>(std::max(charts.getInt32(DISPID_XL_COUNT), 0));
    const uint32_t total = std::max<uint32_t>(chartCount + 2 * sheetCount, 1);
    const auto position = [total](uint32_t step) { return step * 98 / total; };

    document_.clear();
    sheetNames_.clear();
    sheetsConverted_ = chartsConverted_ = 0;
    for (uint32_t i = 1; i <= sheetCount; ++i) {
        sheetNames_.push_back(worksheets.getObject(DISPID_XL_ITEM, {index(static_cast<int32_t>(i))})
                                  .getString(DISPID_XL_NAME));
    }
    document_.append(RecordBuffer());

    for (uint32_t i = 1; i <= sheetCount; ++i) {
        const AutomationObject sheet =
            worksheets.getObject(DISPID_XL_ITEM, {index(static_cast<int32_t>(i))});
        convertWorksheet(sheet, position(i - 1), position(i));
        progress_.report(position(i), "Finished sheet %d...", static_cast<int32_t>(i));
    }
    for (uint32_t i = 1; i <= sheetCount; ++i) {
        const AutomationObject sheet =
            worksheets.getObject(DISPID_XL_ITEM, {index(static_cast<int32_t>(i))});
        convertEmbeddedCharts(sheet, position(sheetCount + i - 1), position(sheetCount + i));
        progress_.report(position(sheetCount + i), "Finished inner chart %d...",
                         static_cast<int32_t>(i));
    }
    for (uint32_t i = 1; i <= chartCount; ++i) {
        const AutomationObject chart =
            charts.getObject(DISPID_XL_ITEM, {index(static_cast<int32_t>(i))});
        convertChart(chart, progress_, position(2 * sheetCount + i - 1),
                     position(2 * sheetCount + i));
        progress_.report(position(2 * sheetCount + i), "Finished chart %d...",
                         static_cast<int32_t>(i));
    }

    progress_.report(99, std::string("Creating Sheaf document.."));
    const DocumentHeader header{sheetsConverted_, chartsConverted_,
                                application_.getString(DISPID_XL_USER_NAME)};
    document_.set(1, header.encode());
    progress_.report(100, std::string("Data conversion complete"));
    return std::move(document_);
}

void WorkbookExporter::convertWorksheet(const AutomationObject& sheet, uint32_t lo, uint32_t hi) {
    if (!isWorksheet(sheet)) {
        return;
    }
    sheet.call(DISPID_XL_ACTIVATE);
    const AutomationObject used = sheet.getObject(DISPID_XL_USED_RANGE);
    const int32_t firstColumn = used.getInt32(DISPID_XL_COLUMN);
    const int32_t firstRow = used.getInt32(DISPID_XL_ROW);
    const int32_t columnCount =
        std::max(used.getObject(DISPID_XL_COLUMNS).getInt32(DISPID_XL_COUNT), 0);
    const int32_t rowCount = std::max(used.getObject(DISPID_XL_ROWS).getInt32(DISPID_XL_COUNT), 0);

    RecordBuffer zero;
    zero.appendWord(0);
    document_.append(zero);
    document_.append(zero);
    appendColumnWidths(sheet, firstColumn, columnCount);

    CellStreamWriter stream(document_, SheetHead{sheet.getString(DISPID_XL_NAME), {}});
    for (int32_t q = 0; q < rowCount; ++q) {
        progress_.report(
            Progress::between(lo, hi, static_cast<uint32_t>(q), static_cast<uint32_t>(rowCount)),
            "Converting row %d...", q + 1);
        for (int32_t i = 0; i < columnCount; ++i) {
            const AutomationValue address = AutomationValue::string(
                cellAddress(int64_t{firstColumn} + i, int64_t{firstRow} + q));
            const AutomationObject cell = sheet.getObject(DISPID_XL_RANGE, {address, address});
            CellReading reading = readCell(cell);
            if (reading.kind == CellKind::Empty) {
                continue;
            }
            CellEntry entry;
            entry.kind = reading.kind;
            entry.column = static_cast<uint32_t>(firstColumn + i - 1);
            entry.row = static_cast<uint32_t>(firstRow + q - 1);
            entry.text = std::move(reading.text);
            entry.display = std::move(reading.display);
            entry.precedents = std::move(reading.precedents);
            entry.format = readFormat(cell);
            stream.add(entry);
        }
    }
    stream.finish();
    ++sheetsConverted_;
    progress_.report(hi, std::string());
}

void WorkbookExporter::appendColumnWidths(const AutomationObject& sheet, int32_t firstColumn,
                                          int32_t columnCount) {
    RecordBuffer pairs;
    uint32_t count = 0;
    for (int32_t i = 0; i < columnCount; ++i) {
        const AutomationObject cell = sheet.getObject(
            DISPID_XL_RANGE, {AutomationValue::string(cellAddress(int64_t{firstColumn} + i, 1)),
                              AutomationValue::omitted()});
        const double width = cell.getVariant(DISPID_XL_WIDTH).toDouble();
        if (std::trunc(width) != kStandardWidthPoints) {
            pairs.appendWord(static_cast<uint32_t>(firstColumn + i - 1));
            pairs.appendWord(static_cast<uint32_t>(std::trunc(width * 0.75)));
            ++count;
        }
    }
    RecordBuffer record;
    record.appendWord(count);
    record.appendBuffer(pairs);
    document_.append(record);
}

WorkbookExporter::CellReading WorkbookExporter::readCell(const AutomationObject& cell) const {
    CellReading reading;
    const AutomationValue value = cell.getVariant(DISPID_XL_VALUE2);
    switch (value.type()) {
    case VT_EMPTY:
        reading.kind = CellKind::Empty;
        break;
    case VT_BSTR:
        reading.kind = CellKind::Text;
        reading.text = value.toString();
        break;
    case VT_ERROR:
        reading.kind = CellKind::Error;
        reading.text = cell.getVariant(DISPID_XL_TEXT).toString();
        break;
    case VT_BOOL:
        reading.kind = CellKind::Boolean;
        reading.text = value.toBool() ? "1" : "0";
        break;
    default:
        reading.kind = CellKind::Number;
        reading.text = formatCellNumber(value.toDouble());
        break;
    }
    if (cell.getVariant(DISPID_XL_HAS_FORMULA).toBool()) {
        readFormula(cell, reading);
    }
    return reading;
}

void WorkbookExporter::readFormula(const AutomationObject& cell, CellReading& reading) const {
    reading.display = std::move(reading.text);
    reading.text = cell.getVariant(DISPID_XL_FORMULA).toString();
    bool namesSheet = false;
    quoteSheetNames(reading.text, namesSheet);
    reading.kind = namesSheet ? CellKind::FormulaWithPrecedents : CellKind::Formula;
    try {
        const AutomationObject precedents = cell.getObject(DISPID_XL_DIRECT_PRECEDENTS);
        reading.precedents = precedents.getString(
            DISPID_XL_ADDRESS, {AutomationValue::int32(1), AutomationValue::int32(1),
                                AutomationValue::int32(XL_REFERENCE_A1), AutomationValue::int32(0),
                                AutomationValue::omitted()});
        reading.kind = CellKind::FormulaWithPrecedents;
    } catch (const AutomationFailure&) {
        // A formula without precedents on its own sheet has none to report.
    }
}

void WorkbookExporter::quoteSheetNames(std::string& formula, bool& namesSheet) const {
    for (const std::string& name : sheetNames_) {
        if (name.empty()) {
            continue;
        }
        const std::string reference = name + "!";
        for (size_t at = formula.find(reference); at != std::string::npos;
             at = formula.find(reference, at + 1)) {
            if (!startsName(formula, at)) {
                continue;
            }
            formula = formula.substr(0, at) + "'" + name + "'" + formula.substr(at + name.size());
            namesSheet = true;
        }
    }
}

CellFormat WorkbookExporter::readFormat(const AutomationObject& cell) const {
    CellFormat format;
    const AutomationObject font = cell.getObject(DISPID_XL_FONT);
    if (font.getVariant(DISPID_XL_BOLD).toBool()) {
        format.font |= FontFlags::Bold;
    }
    if (font.getVariant(DISPID_XL_ITALIC).toBool()) {
        format.font |= FontFlags::Italic;
    }
    if (font.getVariant(DISPID_XL_UNDERLINE).toInt32() != XL_UNDERLINE_NONE) {
        format.font |= FontFlags::Underlined;
    }
    format.alignment = alignmentCode(cell.getVariant(DISPID_XL_HORIZONTAL_ALIGNMENT).toInt32());
    format.numberFormat = classifyNumberFormat(cell.getVariant(DISPID_XL_NUMBER_FORMAT).toString());
    return format;
}

void WorkbookExporter::convertEmbeddedCharts(const AutomationObject& sheet, uint32_t lo,
                                             uint32_t hi) {
    if (!isWorksheet(sheet)) {
        return;
    }
    sheet.call(DISPID_XL_ACTIVATE);
    const AutomationObject chartObjects = sheet.callObject(DISPID_XL_CHART_OBJECTS);
    const auto count = static_cast<uint32_t>(std::max(chartObjects.getInt32(DISPID_XL_COUNT), 0));
    for (uint32_t i = 1; i <= count; ++i) {
        progress_.report(Progress::between(lo, hi, i, count), "Converting chart %d...",
                         static_cast<int32_t>(i));
        const AutomationObject chart =
            chartObjects.callObject(DISPID_XL_ITEM, {index(static_cast<int32_t>(i))})
                .getObject(DISPID_XL_CHART);
        convertChart(chart, Progress(nullptr), lo, hi);
    }
}

void WorkbookExporter::convertChart(const AutomationObject& chart, const Progress& progress,
                                    uint32_t lo, uint32_t hi) {
    ChartRecord record;
    record.ordinal = sheetsConverted_ + chartsConverted_;
    record.name = chart.getString(DISPID_XL_NAME);
    if (chart.getBool(DISPID_XL_HAS_TITLE)) {
        record.title = chart.getObject(DISPID_XL_CHART_TITLE).getString(DISPID_XL_CAPTION);
    }
    record.type = ChartTypeCode::fromApplicationType(chart.getInt32(DISPID_XL_CHART_TYPE));
    record.inRows = chart.getInt32(DISPID_XL_PLOT_BY) == XL_PLOT_BY_ROWS;

    const AutomationObject seriesCollection = chart.callObject(DISPID_XL_SERIES_COLLECTION);
    auto count = static_cast<uint32_t>(std::max(seriesCollection.getInt32(DISPID_XL_COUNT), 0));
    if (ChartTypeCode::kind(record.type) == ChartTypeCode::Pie) {
        count = std::min<uint32_t>(count, 1); // a pie shows its first series only
    }
    SeriesRange group;
    for (uint32_t j = 1; j <= count; ++j) {
        progress.report(Progress::between(lo, hi, j - 1, count), "Converting serie %d...",
                        static_cast<int32_t>(j));
        const SeriesRange series = parseSeriesFormula(
            seriesCollection.callObject(DISPID_XL_ITEM, {index(static_cast<int32_t>(j))})
                .getString(DISPID_XL_FORMULA));
        if (!group.merge(series, record.inRows)) {
            record.groups.push_back({group.addressText(), group.sizes});
            group = series;
        }
    }
    record.groups.push_back({group.addressText(), group.sizes});
    record.categories = group.categories;
    progress.report(hi, std::string());
    document_.append(record.encode());
    ++chartsConverted_;
}

} // namespace sheaf
