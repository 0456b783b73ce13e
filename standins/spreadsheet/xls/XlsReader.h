#pragma once

#include "XlsBook.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xls {

struct ReadOutcome {
    bool ok = false;
    std::string error;              // why the file could not be read
    std::vector<std::string> notes; // what was read only in part (formulas kept as values...)
};

// Receives the cells of each worksheet as they are read, in file order (a
// later cell at the same place replaces the earlier one).
class CellSink {
public:
    virtual ~CellSink() = default;
    // The book's sheets are known, no cell has come yet; `book.styles` grows
    // as cells name new styles.  False, with `error` set, stops the reading.
    virtual bool begin(const Book& book, std::string& error) = 0;
    virtual void cell(size_t sheet, Cell&& cell) = 0;
    // A formula whose definition came after its cell (a shared formula).
    virtual void lateFormula(size_t sheet, uint16_t row, uint16_t column,
                             spreadsheet::FormulaPtr formula) = 0;
    virtual void endSheet(size_t sheet) = 0;
};

// A whole .xls file: the Compound File container and its Workbook stream.
// Without a sink the cells go into the book's sheets, ordered by row and column.
ReadOutcome readXlsFile(std::span<const uint8_t> file, Book& book);
ReadOutcome readXlsFile(std::span<const uint8_t> file, Book& book, CellSink& sink);
// The BIFF8 Workbook stream alone.
ReadOutcome readWorkbookStream(std::span<const uint8_t> stream, Book& book);
ReadOutcome readWorkbookStream(std::span<const uint8_t> stream, Book& book, CellSink& sink);

} // namespace xls
