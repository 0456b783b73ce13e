#pragma once

#include "Workbook.h"
#include "XlsBook.h"
#include "XlsReader.h"
#include "XlsWriter.h"

#include <string>
#include <vector>

namespace xls {

// Fills an empty engine workbook from a book read from a file, taking the
// cells out of the book.  False with `error` set when a sheet cannot be added
// (an invalid or repeated name).  Numbers in date formats of a 1904-based book
// move to the engine's 1900 dates.
bool fillWorkbook(Book&& book, spreadsheet::Workbook& workbook, std::string& error,
                  std::vector<std::string>& notes);

// Reads a whole .xls file straight into an empty engine workbook, the same
// as readXlsFile and fillWorkbook without holding the cells twice.  After a
// failure the workbook holds part of the file and is to be dropped.
ReadOutcome readXlsIntoWorkbook(std::span<const uint8_t> file, spreadsheet::Workbook& workbook);

// What to write for an engine workbook; valid while the workbook is unchanged.
BookView viewOfWorkbook(const spreadsheet::Workbook& workbook);
// The same as a book of its own.
Book bookFromWorkbook(const spreadsheet::Workbook& workbook);

// Column widths: the file's 1/256 character units (digit width 7 pixels, at
// 96 dpi) and the engine's points.
double columnPoints(uint16_t width);
uint16_t columnWidthUnits(double points);

// True when the format code shows a date or a time.
bool isDateFormat(const std::string& format);

} // namespace xls
