#include "XlsWorkbookMapping.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <stdexcept>

namespace xls {

namespace {

using spreadsheet::CellFormat;
using spreadsheet::CellPosition;
using EngineAlignment = spreadsheet::HorizontalAlignment;

// Days between the 1900 and the 1904 date systems' day zero.
constexpr double k1904Offset = 1462;

constexpr std::pair<HorizontalAlignment, EngineAlignment> kAlignments[] = {
    {HorizontalAlignment::General, EngineAlignment::General},
    {HorizontalAlignment::Left, EngineAlignment::Left},
    {HorizontalAlignment::Center, EngineAlignment::Center},
    {HorizontalAlignment::Right, EngineAlignment::Right},
    {HorizontalAlignment::Fill, EngineAlignment::Fill},
    {HorizontalAlignment::Justify, EngineAlignment::Justify},
    {HorizontalAlignment::CenterAcross, EngineAlignment::CenterAcrossSelection},
    {HorizontalAlignment::Distributed, EngineAlignment::Distributed},
};

constexpr std::pair<Underline, int32_t> kUnderlines[] = {
    {Underline::None, spreadsheet::kUnderlineNone},
    {Underline::Single, spreadsheet::kUnderlineSingle},
    {Underline::Double, spreadsheet::kUnderlineDouble},
    {Underline::SingleAccounting, spreadsheet::kUnderlineSingleAccounting},
    {Underline::DoubleAccounting, spreadsheet::kUnderlineDoubleAccounting},
};

CellFormat engineFormat(const CellStyle& style) {
    CellFormat format;
    format.numberFormat = style.numberFormat;
    format.bold = style.font.bold;
    format.italic = style.font.italic;
    for (const auto& [file, engine] : kUnderlines) {
        if (file == style.font.underline) {
            format.underline = engine;
        }
    }
    for (const auto& [file, engine] : kAlignments) {
        if (file == style.horizontal) {
            format.alignment = engine;
        }
    }
    return format;
}

CellStyle fileStyle(const CellFormat& format) {
    CellStyle style;
    style.numberFormat = format.numberFormat;
    style.font.bold = format.bold;
    style.font.italic = format.italic;
    for (const auto& [file, engine] : kUnderlines) {
        if (engine == format.underline) {
            style.font.underline = file;
        }
    }
    for (const auto& [file, engine] : kAlignments) {
        if (engine == format.alignment) {
            style.horizontal = file;
        }
    }
    return style;
}

class StyleTable {
public:
    explicit StyleTable(std::vector<CellStyle>& styles) : styles_(styles) {}

    uint32_t indexOf(const CellFormat& format) {
        static const CellFormat kDefault;
        if (format == kDefault) {
            return 0;
        }
        if (last_ && *last_ == format) {
            return lastIndex_;
        }
        const CellStyle style = fileStyle(format);
        const auto it = std::find(styles_.begin(), styles_.end(), style);
        lastIndex_ = static_cast<uint32_t>(it - styles_.begin());
        if (it == styles_.end()) {
            styles_.push_back(style);
        }
        last_ = &format;
        return lastIndex_;
    }

private:
    std::vector<CellStyle>& styles_;
    const CellFormat* last_ = nullptr;
    uint32_t lastIndex_ = 0;
};

// Puts cells into the engine's sheets as the reader hands them over.
class WorkbookSink final : public CellSink {
public:
    explicit WorkbookSink(spreadsheet::Workbook& workbook) : workbook_(workbook) {}

    bool begin(const Book& book, std::string& error) override {
        book_ = &book;
        for (const Sheet& sheet : book.sheets) {
            const auto type = sheet.kind == SheetKind::Chart ? spreadsheet::SheetType::Chart
                                                             : spreadsheet::SheetType::Worksheet;
            try {
                sheets_.push_back(&workbook_.appendSheet(type, sheet.name));
            } catch (const std::invalid_argument&) {
                error =
                    "the file has a sheet name the application cannot use: \"" + sheet.name + "\"";
                return false;
            }
        }
        shifted_.assign(book.sheets.size(), false);
        return true;
    }

    void cell(size_t sheet, Cell&& cell) override {
        const Style& style = styleOf(cell.style);
        spreadsheet::Cell loaded;
        loaded.value = std::move(cell.value);
        if (style.date && loaded.value.kind == ValueKind::Number) {
            loaded.value.number += k1904Offset;
            shifted_[sheet] = true;
        }
        loaded.formula = std::move(cell.formula);
        loaded.format = style.format;
        sheets_[sheet]->loadCell({cell.row, cell.column}, std::move(loaded));
    }

    void lateFormula(size_t sheet, uint16_t row, uint16_t column,
                     spreadsheet::FormulaPtr formula) override {
        spreadsheet::Sheet& target = *sheets_[sheet];
        const spreadsheet::Cell* present = target.cell({row, column});
        target.setFormula({row, column}, std::move(formula),
                          present ? present->value : CellValue{});
    }

    void endSheet(size_t) override {}

    // What cells do not carry: names, column widths, the active sheet, notes.
    void finish(const Book& book, std::vector<std::string>& notes) {
        for (const DefinedName& name : book.names) {
            const bool known = name.sheet < static_cast<int32_t>(sheets_.size());
            const spreadsheet::Sheet* scope =
                name.sheet >= 0 && known ? sheets_[static_cast<size_t>(name.sheet)] : nullptr;
            if (!known || !workbook_.defineName(name.name, name.refersTo, scope)) {
                notes.push_back("name " + name.name + " cannot be defined; dropped");
            }
        }
        for (size_t i = 0; i < book.sheets.size() && i < sheets_.size(); ++i) {
            const Sheet& sheet = book.sheets[i];
            if (sheet.kind == SheetKind::Chart) {
                sheets_[i]->chart() = sheet.chart;
                continue;
            }
            sheets_[i]->chartObjects() = sheet.charts;
            if (shifted_[i]) {
                notes.push_back("dates of sheet \"" + sheet.name +
                                "\" moved from the 1904 date system");
            }
            for (const ColumnInfo& column : sheet.columns) {
                const double points = columnPoints(column.width);
                if (std::fabs(points - spreadsheet::kStandardColumnWidth) < 0.01) {
                    continue;
                }
                for (uint32_t c = column.first; c <= column.last && c < kMaxColumns; ++c) {
                    sheets_[i]->setColumnWidth(static_cast<int32_t>(c), points);
                }
            }
        }
        if (book.activeSheet < sheets_.size()) {
            workbook_.activate(static_cast<int32_t>(book.activeSheet));
        }
    }

private:
    struct Style {
        CellFormat format;
        bool date = false;
    };

    // The book's styles grow while the file is read; convert each once.
    const Style& styleOf(uint32_t index) {
        const std::vector<CellStyle>& styles = book_->styles;
        if (index >= styles.size()) {
            index = 0;
        }
        while (styles_.size() < styles.size()) {
            const CellStyle& style = styles[styles_.size()];
            styles_.push_back(
                {engineFormat(style), book_->date1904 && isDateFormat(style.numberFormat)});
        }
        return styles_.empty() ? defaultStyle_ : styles_[index];
    }

    spreadsheet::Workbook& workbook_;
    const Book* book_ = nullptr;
    std::vector<spreadsheet::Sheet*> sheets_;
    std::vector<Style> styles_;
    Style defaultStyle_;
    std::vector<bool> shifted_;
};

} // namespace

double columnPoints(uint16_t width) {
    return width * 5.25 / 256;
}

uint16_t columnWidthUnits(double points) {
    const double units = std::round(points * 256 / 5.25);
    return static_cast<uint16_t>(std::clamp(units, 0.0, 65535.0));
}

bool isDateFormat(const std::string& format) {
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        if (c == '"') {
            const size_t close = format.find('"', i + 1);
            i = close == std::string::npos ? format.size() : close;
        } else if (c == '[') {
            // [h], [mm] and [ss] are elapsed times; colours and locales are not.
            const size_t close = format.find(']', i + 1);
            const std::string inside =
                format.substr(i + 1, close == std::string::npos ? 0 : close - i - 1);
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string::npos) {
                return true;
            }
            i = close == std::string::npos ? format.size() : close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i; // the next character is literal or a fill
        } else if (c == 'y' || c == 'd' || c == 'h' || c == 's' || c == 'm') {
            return true;
        }
    }
    return false;
}

bool fillWorkbook(Book&& book, spreadsheet::Workbook& workbook, std::string& error,
                  std::vector<std::string>& notes) {
    WorkbookSink sink(workbook);
    if (!sink.begin(book, error)) {
        return false;
    }
    for (size_t i = 0; i < book.sheets.size(); ++i) {
        for (Cell& cell : book.sheets[i].cells) {
            sink.cell(i, std::move(cell));
        }
    }
    sink.finish(book, notes);
    return true;
}

ReadOutcome readXlsIntoWorkbook(std::span<const uint8_t> file, spreadsheet::Workbook& workbook) {
    Book book;
    WorkbookSink sink(workbook);
    ReadOutcome outcome = readXlsFile(file, book, sink);
    if (outcome.ok) {
        sink.finish(book, outcome.notes);
    }
    return outcome;
}

BookView viewOfWorkbook(const spreadsheet::Workbook& workbook) {
    BookView view;
    for (const spreadsheet::DefinedName& name : workbook.names()) {
        view.names.push_back(
            {name.name, name.scope ? workbook.indexOf(*name.scope) : -1, name.refersTo.get()});
    }
    StyleTable styles(view.styles);
    view.activeSheet = static_cast<uint32_t>(workbook.activeSheetIndex());
    for (int32_t i = 0; i < workbook.sheetCount(); ++i) {
        const spreadsheet::Sheet& from = workbook.sheet(i);
        SheetView& to = view.sheets.emplace_back();
        to.name = from.name();
        if (!from.isWorksheet()) {
            to.kind = SheetKind::Chart;
            to.chart = &from.chart();
            continue;
        }
        for (const spreadsheet::ChartObject& object : from.chartObjects()) {
            to.charts.push_back(&object);
        }
        to.cells.reserve(from.cells().size());
        view.strings.reserve(from.cells().size() / 4);
        for (const auto& [pos, cell] : from.cells()) {
            to.cells.push_back(CellView::of(
                static_cast<uint16_t>(pos.row), static_cast<uint16_t>(pos.column),
                styles.indexOf(cell.format), cell.value, cell.formula.get(), view.strings));
        }
        for (const auto& [column, points] : from.columnWidths()) {
            const uint16_t units = columnWidthUnits(points);
            if (!to.columns.empty() && to.columns.back().last + 1 == column &&
                to.columns.back().width == units) {
                to.columns.back().last = static_cast<uint16_t>(column);
            } else {
                to.columns.push_back({static_cast<uint16_t>(column), static_cast<uint16_t>(column),
                                      units, 0, false});
            }
        }
    }
    return view;
}

Book bookFromWorkbook(const spreadsheet::Workbook& workbook) {
    const BookView view = viewOfWorkbook(workbook);
    Book book;
    book.styles = view.styles;
    book.activeSheet = view.activeSheet;
    for (const spreadsheet::DefinedName& name : workbook.names()) {
        book.names.push_back(
            {name.name, name.scope ? workbook.indexOf(*name.scope) : -1, name.refersTo});
    }
    for (size_t i = 0; i < view.sheets.size(); ++i) {
        const SheetView& from = view.sheets[i];
        Sheet& to = book.sheets.emplace_back();
        to.name = from.name;
        to.kind = from.kind;
        to.columns = from.columns;
        if (from.chart) {
            to.chart = *from.chart;
        }
        for (const spreadsheet::ChartObject* object : from.charts) {
            to.charts.push_back(*object);
        }
        to.cells.reserve(from.cells.size());
        // The view lists the engine's cells in their own order: walk both together
        // to share each formula rather than copy it.
        auto source = workbook.sheet(static_cast<int32_t>(i)).cells().begin();
        for (const CellView& cell : from.cells) {
            to.cells.push_back(
                {cell.row, cell.column, cell.style, *cell.value, (source++)->second.formula});
        }
    }
    return book;
}

} // namespace xls
