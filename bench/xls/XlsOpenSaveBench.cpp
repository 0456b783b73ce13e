// Opening a 1,000,000-cell .xls into the engine and saving it again, beside
// LibreOffice (headless) converting the same file to csv, in the same run.
// Each side's best time counts (five runs here, two of LibreOffice).
#include "FormulaParser.h"
#include "Workbook.h"
#include "XlsFileFormat.h"
#include "XlsReader.h"
#include "XlsWriter.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRows = 62500;
constexpr int kColumns = 16; // 1,000,000 cells

// Numbers, texts (repeated and unique) and formulas, mixed in every row.
void fillWorkbook(spreadsheet::Workbook& workbook) {
    spreadsheet::Sheet& sheet = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Data");
    for (int r = 0; r < kRows; ++r) {
        const std::string row = std::to_string(r + 1);
        for (int c = 0; c < 6; ++c) {
            sheet.setValue({r, c},
                           spreadsheet::CellValue::fromNumber(c % 2 ? r * 0.25 + c : r + c));
        }
        sheet.setValue({r, 6}, spreadsheet::CellValue::fromText("item " + std::to_string(r % 100)));
        sheet.setValue({r, 7}, spreadsheet::CellValue::fromText("unique text " + row));
        sheet.setValue({r, 8}, spreadsheet::CellValue::fromText(r % 2 ? "odd" : "even"));
        sheet.setValue({r, 9}, spreadsheet::CellValue::fromBoolean(r % 3 == 0));
        sheet.setFormula({r, 10}, spreadsheet::makeFormula("=A" + row + "+B" + row));
        sheet.setFormula({r, 11}, spreadsheet::makeFormula("=SUM(A" + row + ":F" + row + ")"));
        sheet.setFormula({r, 12},
                         spreadsheet::makeFormula("=IF(A" + row + ">B" + row + ",\"x\",\"y\")"));
        sheet.setFormula({r, 13}, spreadsheet::makeFormula("=C" + row + "*2"));
        sheet.setValue({r, 14}, spreadsheet::CellValue::fromNumber(r * 1.000001));
        sheet.setValue({r, 15}, spreadsheet::CellValue::fromNumber(-r));
    }
    workbook.recalculate();
}

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// Processor time (user and system) of this process or of its finished children:
// steadier than wall time on a busy machine.
double processorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int run(const std::string& command) {
    return std::system(command.c_str());
}

} // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("xls-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const xls::XlsFileFormat format([](const std::string&) {});
    std::string error;
    {
        spreadsheet::Workbook workbook;
        fillWorkbook(workbook);
        if (!format.save(workbook, dir / "million.xls", error)) {
            std::fprintf(stderr, "cannot write the test file: %s\n", error.c_str());
            return 1;
        }
    }
    std::printf("file: %d cells, %.1f MB\n", kRows * kColumns,
                static_cast<double>(fs::file_size(dir / "million.xls")) / 1e6);

    double best = 1e9;
    double bestProcessor = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        const double startProcessor = processorSeconds(RUSAGE_SELF);
        {
            spreadsheet::Workbook workbook;
            if (!format.open(dir / "million.xls", workbook, error) ||
                !format.save(workbook, dir / "saved.xls", error)) {
                std::fprintf(stderr, "open and save failed: %s\n", error.c_str());
                return 1;
            }
        }
        best = std::min(best, seconds(start));
        bestProcessor = std::min(bestProcessor, processorSeconds(RUSAGE_SELF) - startProcessor);
    }

    // The file codec alone, into and out of its own plain book: what the
    // engine's cell map adds on top is the rest of the open + save time.
    std::ifstream in(dir / "million.xls", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    double bestCodec = 1e9;
    for (int i = 0; i < 3; ++i) {
        const double startProcessor = processorSeconds(RUSAGE_SELF);
        {
            xls::Book book;
            if (!xls::readXlsFile(bytes, book).ok || xls::writeXlsFile(book).bytes.empty()) {
                std::fprintf(stderr, "codec round trip failed\n");
                return 1;
            }
        }
        bestCodec = std::min(bestCodec, processorSeconds(RUSAGE_SELF) - startProcessor);
    }

    // LibreOffice with a profile of its own, made before the timed run.
    const std::string soffice = "soffice --headless --norestore -env:UserInstallation=file://" +
                                (dir / "profile").string() + " --convert-to csv --outdir '" +
                                (dir / "csv").string() + "' ";
    run(soffice + "'" + (dir / "saved.xls").string() + "' > /dev/null 2>&1");
    double peer = 1e9;
    double peerProcessor = 1e9;
    bool converted = true;
    for (int i = 0; i < 2; ++i) {
        const auto start = Clock::now();
        const double startProcessor = processorSeconds(RUSAGE_CHILDREN);
        const int status =
            run(soffice + "'" + (dir / "million.xls").string() + "' > /dev/null 2>&1");
        peer = std::min(peer, seconds(start));
        peerProcessor = std::min(peerProcessor, processorSeconds(RUSAGE_CHILDREN) - startProcessor);
        converted = converted && status == 0 && fs::exists(dir / "csv" / "million.csv");
    }
    fs::remove_all(dir);
    if (!converted) {
        std::fprintf(stderr, "LibreOffice did not convert the file\n");
        return 1;
    }
    std::printf("                            wall time   processor time\n");
    std::printf("engine open + save:         %8.3f s   %8.3f s\n", best, bestProcessor);
    std::printf("LibreOffice convert to csv: %8.3f s   %8.3f s\n", peer, peerProcessor);
    std::printf("ratio:                      %8.1fx   %8.1fx   (target at least 10x)\n",
                peer / best, peerProcessor / bestProcessor);
    std::printf("codec alone (no engine):                 %8.3f s   (%.1fx)\n", bestCodec,
                peerProcessor / bestCodec);
    return 0;
}
