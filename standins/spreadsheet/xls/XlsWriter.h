#pragma once

#include "CompoundFileWriter.h"
#include "XlsBook.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xls {

struct WriteOutcome {
    std::vector<uint8_t> bytes;
    // What could not be written as it is: formulas saved as their values,
    // chart series left out, styles past the format's limit.
    std::vector<std::string> notes;
};

// The shared string table: each distinct text of the plain text cells once,
// gathered while a view is built, when each cell's text is at hand anyway.
class SharedStrings {
public:
    uint32_t intern(const std::string& text) {
        ++uses_;
        // try_emplace looks first: a repeated text costs no node made and dropped.
        const auto [it, added] =
            index_.try_emplace(std::string_view(text), static_cast<uint32_t>(strings_.size()));
        if (added) {
            strings_.push_back(&text);
        }
        return it->second;
    }
    void reserve(size_t texts) { index_.reserve(texts); }
    const std::vector<const std::string*>& strings() const { return strings_; }
    uint32_t uses() const { return uses_; }

private:
    std::unordered_map<std::string_view, uint32_t> index_;
    std::vector<const std::string*> strings_;
    uint32_t uses_ = 0;
};

// What the writer walks: the cells of a Book, or of an engine workbook, by
// reference, so that saving copies no cell.
struct CellView {
    uint16_t row = 0;
    uint16_t column = 0;
    uint32_t style = 0;
    // A plain text's place in the shared string table, found while the view is
    // built.  Nothing else of the value is copied: a view of a million cells
    // stays at 32 bytes a cell.
    uint32_t sharedString = 0;
    const CellValue* value = nullptr;
    const spreadsheet::Formula* formula = nullptr; // null for a plain value

    static CellView of(uint16_t row, uint16_t column, uint32_t style, const CellValue& value,
                       const spreadsheet::Formula* formula, SharedStrings& strings) {
        CellView view{row, column, style, 0, &value, formula};
        if (value.kind == ValueKind::Text && formula == nullptr) {
            view.sharedString = strings.intern(value.text);
        }
        return view;
    }
};

struct SheetView {
    std::string name;
    SheetKind kind = SheetKind::Worksheet;
    std::vector<CellView> cells; // ordered by row, then column
    std::vector<ColumnInfo> columns;
    uint16_t defaultColumnWidth = 8;
    const spreadsheet::Chart* chart = nullptr;           // a chart sheet's
    std::vector<const spreadsheet::ChartObject*> charts; // a worksheet's embedded ones
};

// A defined name to write: a sheet of -1 is the whole workbook, else an index
// into BookView::sheets.
struct NameView {
    std::string name;
    int32_t sheet = -1;
    const spreadsheet::Formula* refersTo = nullptr;
};

struct BookView {
    std::vector<SheetView> sheets;
    std::vector<NameView> names;
    SharedStrings strings;
    std::vector<CellStyle> styles{CellStyle{}};
    uint32_t activeSheet = 0;
    bool date1904 = false;
};

// The view of a book; valid while the book is.
BookView viewOf(const Book& book);

// A whole .xls file: version 3 Compound File with the BIFF8 Workbook stream.
WriteOutcome writeXlsFile(const BookView& book);
// The same, into `file` as it is made; false when the file refused the bytes.
bool writeXlsFile(const BookView& book, cfb::FileSink& file, std::vector<std::string>& notes);
WriteOutcome writeXlsFile(const Book& book);
WriteOutcome writeWorkbookStream(const BookView& book);

} // namespace xls
