// Opening hostile .xls bytes: the container and the workbook stream must fail
// cleanly or give a book that the engine takes and that saves and opens again.
//
// An input that starts like a compound file goes through the whole file; any
// other is a bare workbook stream.  Wrapping every workbook stream in a
// compound file of its own spent most of each run in the container, whose
// code the compound-file inputs exercise already.
#include "CompoundFile.h"
#include "Workbook.h"
#include "XlsReader.h"
#include "XlsWorkbookMapping.h"
#include "XlsWriter.h"

#include <cstdlib>
#include <cstring>

namespace {

bool isCompoundFile(std::span<const uint8_t> input) {
    return input.size() >= sizeof cfb::kSignature &&
           std::memcmp(input.data(), cfb::kSignature, sizeof cfb::kSignature) == 0;
}

xls::ReadOutcome readInput(std::span<const uint8_t> input, bool whole, xls::Book& book) {
    return whole ? xls::readXlsFile(input, book) : xls::readWorkbookStream(input, book);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    const bool whole = isCompoundFile(input);
    xls::Book book;
    const xls::ReadOutcome outcome = readInput(input, whole, book);
    if (!outcome.ok) {
        if (!book.sheets.empty()) {
            std::abort();
        }
        return 0;
    }
    spreadsheet::Workbook workbook;
    std::string error;
    std::vector<std::string> notes;
    if (!xls::fillWorkbook(std::move(book), workbook, error, notes)) {
        return 0; // a sheet name the engine refuses
    }
    const xls::Book saved = xls::bookFromWorkbook(workbook);
    const xls::WriteOutcome written =
        whole ? xls::writeXlsFile(saved) : xls::writeWorkbookStream(xls::viewOf(saved));
    xls::Book again;
    if (!readInput(written.bytes, whole, again).ok) {
        std::abort();
    }
    return 0;
}
