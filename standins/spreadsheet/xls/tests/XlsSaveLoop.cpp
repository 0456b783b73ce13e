// Saves two workbooks to one .xls path in turn, until it is killed: the
// program that the test of killed saves stops at random moments.
#include "Workbook.h"
#include "XlsFileFormat.h"

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<spreadsheet::Workbook> workbookOf(int32_t rows, int32_t seed) {
    auto workbook = std::make_unique<spreadsheet::Workbook>();
    spreadsheet::Sheet& sheet = workbook->appendSheet(spreadsheet::SheetType::Worksheet, "Data");
    for (int32_t row = 0; row < rows; ++row) {
        sheet.setValue({row, 0}, spreadsheet::CellValue::fromNumber(row * seed + 0.5));
        sheet.setValue({row, 1},
                       spreadsheet::CellValue::fromText("row " + std::to_string(row * seed)));
    }
    return workbook;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::string target = argv[1];
    const xls::XlsFileFormat format([](const std::string&) {});
    std::vector<std::unique_ptr<spreadsheet::Workbook>> versions;
    // Of different sizes, so that a cut file cannot pass for either.
    versions.push_back(workbookOf(6000, 3));
    versions.push_back(workbookOf(4000, 7));
    std::string error;
    for (size_t v = 0; v < versions.size(); ++v) {
        if (!format.save(*versions[v], target + ".v" + std::to_string(v), error)) {
            return 1;
        }
    }
    if (!format.save(*versions[0], target, error)) {
        return 1;
    }
    std::ofstream(target + ".ready").put('\n');
    for (size_t i = 1;; ++i) {
        format.save(*versions[i % versions.size()], target, error);
    }
}
