// Opening hostile .xls bytes: the container and the workbook stream must fail
// cleanly or give a book that the engine takes and that saves and opens again.
#include "Workbook.h"
#include "XlsReader.h"
#include "XlsWorkbookMapping.h"
#include "XlsWriter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    xls::Book book;
    const xls::ReadOutcome outcome = xls::readXlsFile({data, size}, book);
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
    const xls::WriteOutcome written = xls::writeXlsFile(xls::bookFromWorkbook(workbook));
    xls::Book again;
    if (!xls::readXlsFile(written.bytes, again).ok) {
        std::abort();
    }
    return 0;
}
