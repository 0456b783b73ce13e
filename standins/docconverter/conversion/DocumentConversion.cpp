#include "DocumentConversion.h"

#include "DocWriter.h"
#include "DocumentError.h"
#include "PgdFormat.h"

namespace docconv {

namespace {

// Reading takes the first 90 percent, writing the rest.
ProgressSink scaled(const ProgressSink& progress, int from, int to) {
    if (!progress) {
        return {};
    }
    return
        [&progress, from, to](int percent) { return progress(from + percent * (to - from) / 100); };
}

} // namespace

std::vector<uint8_t> wordToHandheld(std::span<const uint8_t> word, const ProgressSink& progress) {
    const TextDocument document = readWordDocument(word, scaled(progress, 0, 90));
    std::vector<uint8_t> handheld = pgd::write(document);
    if (progress && !progress(100)) {
        fail(FailureKind::Cancelled, "Conversion stopped by the user");
    }
    return handheld;
}

std::vector<uint8_t> handheldToWord(std::span<const uint8_t> handheld,
                                    const ProgressSink& progress) {
    const TextDocument document = pgd::read(handheld);
    if (progress && !progress(10)) {
        fail(FailureKind::Cancelled, "Conversion stopped by the user");
    }
    return writeWordDocument(document, scaled(progress, 10, 100));
}

} // namespace docconv
