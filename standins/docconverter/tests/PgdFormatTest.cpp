#include "DocumentError.h"
#include "PgdFormat.h"
#include "TestDocuments.h"

#include <gtest/gtest.h>

namespace {

using namespace docconv;
using namespace docconv::testing;

FailureKind failureOf(const std::vector<uint8_t>& bytes) {
    try {
        pgd::read(bytes);
    } catch (const DocumentError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "read succeeded";
    return FailureKind::Cancelled;
}

TEST(PgdFormat, DocumentsRoundTrip) {
    const TextDocument documents[] = {TextDocument{}, richDocument(), longDocument(500),
                                      TextDocument{{plain("")}}};
    for (const TextDocument& document : documents) {
        EXPECT_EQ(pgd::read(pgd::write(document)), document);
    }
}

TEST(PgdFormat, LayoutOfASmallDocument) {
    TextDocument document{{paragraph({{"Hi", kBold}}, ParagraphRole::CellEnd)}};
    const std::vector<uint8_t> expected = {'P', 'G', 'D', 'F', 0, 1, 0, 12, 0, 0, 0,   1,
                                           2,   0,   0,   0,   1, 1, 0, 0,  0, 2, 'H', 'i'};
    EXPECT_EQ(pgd::write(document), expected);
}

TEST(PgdFormat, EveryCutShortFileFails) {
    const std::vector<uint8_t> whole = pgd::write(richDocument());
    for (size_t size = 0; size < whole.size(); ++size) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
        EXPECT_EQ(failureOf(cut), FailureKind::DamagedHandheldDocument) << size;
    }
}

TEST(PgdFormat, LaterHeaderFieldsAreSkipped) {
    std::vector<uint8_t> bytes = pgd::write(richDocument());
    bytes[7] = 16;
    bytes.insert(bytes.begin() + 12, {9, 9, 9, 9});
    EXPECT_EQ(pgd::read(bytes), richDocument());
}

struct Damage {
    const char* name;
    size_t offset;
    std::vector<uint8_t> bytes;
};

TEST(PgdFormat, DamagedFieldsFail) {
    // Offsets in the file of {paragraph "Hi" bold, cell end}: see LayoutOfASmallDocument.
    const Damage damages[] = {
        {"signature", 0, {'X'}},
        {"version", 4, {0, 2}},
        {"header shorter than its fields", 6, {0, 8}},
        {"paragraph count past the end", 8, {0x7F, 0xFF, 0xFF, 0xFF}},
        {"role", 12, {4}},
        {"run count past the end", 13, {0, 0, 0, 9}},
        {"style bits", 17, {8}},
        {"run length past the end", 18, {0, 0, 0, 3}},
        {"huge run length", 18, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"text not UTF-8", 22, {0xC3, 0x28}},
        {"overlong UTF-8", 22, {0xC0, 0x80}},
        {"cut-short UTF-8 sequence", 22, {0x69, 0xE2}},
    };
    TextDocument document{{paragraph({{"Hi", kBold}}, ParagraphRole::CellEnd)}};
    for (const Damage& damage : damages) {
        std::vector<uint8_t> bytes = pgd::write(document);
        std::copy(damage.bytes.begin(), damage.bytes.end(), bytes.begin() + damage.offset);
        EXPECT_EQ(failureOf(bytes), FailureKind::DamagedHandheldDocument) << damage.name;
    }
}

TEST(PgdFormat, BytesAfterTheLastParagraphFail) {
    std::vector<uint8_t> bytes = pgd::write(richDocument());
    bytes.push_back(0);
    EXPECT_EQ(failureOf(bytes), FailureKind::DamagedHandheldDocument);
}

} // namespace
