// Converting a Word document of 1 MB of text to a handheld document and back,
// beside LibreOffice (headless) converting the same .doc to plain text, in the
// same run.  Each side's best time counts (five runs here, two of LibreOffice).
#include "DocWriter.h"
#include "DocumentConversion.h"
#include "TextDocument.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kTextBytes = 1000000;

// Paragraphs of mixed text with a styled run in most, and a table row now and then.
docconv::TextDocument megabyteDocument() {
    docconv::TextDocument document;
    for (size_t i = 0; document.textBytes() < kTextBytes; ++i) {
        if (i % 50 == 49) {
            document.paragraphs.push_back({{{"cell " + std::to_string(i), docconv::kPlain}},
                                           docconv::ParagraphRole::CellEnd});
            document.paragraphs.push_back(
                {{{"ünï " + std::to_string(i), docconv::kBold}}, docconv::ParagraphRole::CellEnd});
            document.paragraphs.push_back({{}, docconv::ParagraphRole::RowEnd});
            continue;
        }
        docconv::Paragraph paragraph;
        docconv::appendText(paragraph, "Paragraph " + std::to_string(i) + " of the benchmark, ",
                            docconv::kPlain);
        docconv::appendText(paragraph, "some styled words", static_cast<uint8_t>(1 + i % 7));
        docconv::appendText(paragraph, " and Grüße € “text” beyond ASCII to end it.",
                            docconv::kPlain);
        document.paragraphs.push_back(std::move(paragraph));
    }
    return document;
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

struct Timing {
    double wall = 1e9;
    double processor = 1e9;
};

template <typename Work> Timing best(int runs, Work work) {
    Timing timing;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const double startProcessor = processorSeconds(RUSAGE_SELF);
        work();
        timing.wall = std::min(timing.wall, seconds(start));
        timing.processor =
            std::min(timing.processor, processorSeconds(RUSAGE_SELF) - startProcessor);
    }
    return timing;
}

} // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("doc-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<uint8_t> doc = docconv::writeWordDocument(megabyteDocument());
    {
        std::ofstream out(dir / "megabyte.doc", std::ios::binary);
        out.write(reinterpret_cast<const char*>(doc.data()),
                  static_cast<std::streamsize>(doc.size()));
    }
    const std::vector<uint8_t> pgd = docconv::wordToHandheld(doc, {});
    std::printf("file: %.1f MB .doc, %.1f MB .pgd\n", static_cast<double>(doc.size()) / 1e6,
                static_cast<double>(pgd.size()) / 1e6);

    size_t sink = 0;
    const Timing exporting = best(5, [&] { sink += docconv::wordToHandheld(doc, {}).size(); });
    const Timing importing = best(5, [&] { sink += docconv::handheldToWord(pgd, {}).size(); });

    // LibreOffice with a profile of its own, made before the timed runs.
    const std::string soffice = "soffice --headless --norestore -env:UserInstallation=file://" +
                                (dir / "profile").string() + " --convert-to txt:Text --outdir '" +
                                (dir / "txt").string() + "' '" + (dir / "megabyte.doc").string() +
                                "' > /dev/null 2>&1";
    std::system(soffice.c_str());
    Timing peer;
    bool converted = true;
    for (int i = 0; i < 2; ++i) {
        fs::remove(dir / "txt" / "megabyte.txt");
        const auto start = Clock::now();
        const double startProcessor = processorSeconds(RUSAGE_CHILDREN);
        const int status = std::system(soffice.c_str());
        peer.wall = std::min(peer.wall, seconds(start));
        peer.processor =
            std::min(peer.processor, processorSeconds(RUSAGE_CHILDREN) - startProcessor);
        converted = converted && status == 0 && fs::exists(dir / "txt" / "megabyte.txt");
    }
    fs::remove_all(dir);
    if (!converted || sink == 0) {
        std::fprintf(stderr, "LibreOffice did not convert the file\n");
        return 1;
    }
    std::printf("                            wall time   processor time\n");
    std::printf(".doc to .pgd:               %8.3f s   %8.3f s\n", exporting.wall,
                exporting.processor);
    std::printf(".pgd to .doc:               %8.3f s   %8.3f s\n", importing.wall,
                importing.processor);
    std::printf("LibreOffice .doc to text:   %8.3f s   %8.3f s\n", peer.wall, peer.processor);
    std::printf("ratio, .doc to .pgd:        %8.1fx   %8.1fx   (target at least 10x)\n",
                peer.wall / exporting.wall, peer.processor / exporting.processor);
    std::printf("ratio, .pgd to .doc:        %8.1fx   %8.1fx   (target at least 10x)\n",
                peer.wall / importing.wall, peer.processor / importing.processor);
    return 0;
}
