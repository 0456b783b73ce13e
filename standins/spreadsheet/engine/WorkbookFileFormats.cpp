#include "WorkbookFileFormat.h"

#include "XlsFileFormat.h"

#include <cctype>

namespace spreadsheet {

const WorkbookFileFormat* workbookFileFormatFor(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static const xls::XlsFileFormat binaryWorkbook;
    return extension == ".xls" ? &binaryWorkbook : nullptr;
}

} // namespace spreadsheet
