#include "CompoundFileReader.h"
#include "CompoundFileWriter.h"
#include "DocReader.h"
#include "DocWriter.h"
#include "DocumentError.h"
#include "LittleEndian.h"
#include "TestDocuments.h"
#include "WordBinary.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace docconv;
using namespace docconv::testing;

FailureKind failureOf(const std::vector<uint8_t>& bytes, const ProgressSink& progress = {}) {
    try {
        readWordDocument(bytes, progress);
    } catch (const DocumentError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "read succeeded";
    return FailureKind::Cancelled;
}

// The streams of a written document, to damage or rebuild it.
struct Streams {
    std::vector<uint8_t> word;
    std::vector<uint8_t> table;

    static Streams of(const std::vector<uint8_t>& file) {
        cfb::CompoundFileReader reader;
        EXPECT_TRUE(reader.open(file));
        Streams streams;
        reader.readStream(*reader.findChild(0, u"WordDocument"), streams.word);
        reader.readStream(*reader.findChild(0, u"1Table"), streams.table);
        return streams;
    }
    std::vector<uint8_t> file() const {
        cfb::CompoundFileWriter writer;
        writer.addStream(u"WordDocument", word);
        writer.addStream(u"1Table", table);
        return writer.finish();
    }
    uint8_t* pair(uint32_t index) { return word.data() + 0x9A + 8 * index; }
};

TEST(WordDocument, DocumentsRoundTrip) {
    const TextDocument documents[] = {richDocument(), longDocument(3000),
                                      TextDocument{{plain("only")}}};
    for (const TextDocument& document : documents) {
        EXPECT_EQ(readWordDocument(writeWordDocument(document)), document);
    }
}

TEST(WordDocument, AnEmptyDocumentHasOneEmptyParagraph) {
    EXPECT_EQ(readWordDocument(writeWordDocument(TextDocument{})), TextDocument{{plain("")}});
}

TEST(WordDocument, TableParagraphsOutsideWholeRowsBecomeBodyText) {
    struct Case {
        const char* name;
        std::vector<Paragraph> given;
        std::vector<Paragraph> read;
    };
    const Case cases[] = {
        {"cells without a row end",
         {plain("a", ParagraphRole::CellEnd), plain("after")},
         {plain("a"), plain("after")}},
        {"a row end without cells", {plain("x"), rowEnd(), plain("y")}, {plain("x"), plain("y")}},
        {"a row end with text", {plain("z", ParagraphRole::RowEnd)}, {plain("z")}},
        {"an unfinished cell before the row end",
         {plain("a", ParagraphRole::CellEnd), plain("b", ParagraphRole::InCell), rowEnd()},
         {plain("a"), plain("b")}},
        {"a table at the end gets a closing paragraph",
         {plain("a", ParagraphRole::CellEnd), rowEnd()},
         {plain("a", ParagraphRole::CellEnd), rowEnd(), plain("")}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readWordDocument(writeWordDocument(TextDocument{c.given})).paragraphs, c.read)
            << c.name;
    }
}

TEST(WordDocument, ControlCharactersInTextAreDropped) {
    const TextDocument given{{plain("a\rb\x07"
                                    "c\x13"
                                    "d\x15"
                                    "e")}};
    EXPECT_EQ(readWordDocument(writeWordDocument(given)), TextDocument{{plain("abcde")}});
}

// Rebuilds a written document so that its first paragraph comes from an
// 8-bit piece and the rest from the original UTF-16 piece.
std::vector<uint8_t> withEightBitFirstPiece(const std::string& first, const TextDocument& rest) {
    TextDocument document = rest;
    document.paragraphs.insert(document.paragraphs.begin(), plain(std::string(first.size(), 'x')));
    Streams streams = Streams::of(writeWordDocument(document));
    const uint32_t eightBitAt = static_cast<uint32_t>(streams.word.size());
    for (char c : first) {
        streams.word.push_back(static_cast<uint8_t>(c));
    }
    streams.word.push_back(0x0D);
    const uint32_t firstCount = static_cast<uint32_t>(first.size() + 1);
    const uint32_t ccpText = le::u32(streams.word.data() + 0x4C);
    std::vector<uint8_t> clx = {0x02};
    le::put32(clx, 3 * 4 + 2 * 8);
    le::put32(clx, 0);
    le::put32(clx, firstCount);
    le::put32(clx, ccpText);
    le::put16(clx, 0);
    le::put32(clx, (eightBitAt * 2) | word::kFcCompressed);
    le::put16(clx, 0);
    le::put16(clx, 0);
    le::put32(clx, 0x400 + 2 * firstCount);
    le::put16(clx, 0);
    le::set32(streams.pair(word::kFcClx), static_cast<uint32_t>(streams.table.size()));
    le::set32(streams.pair(word::kFcClx) + 4, static_cast<uint32_t>(clx.size()));
    streams.table.insert(streams.table.end(), clx.begin(), clx.end());
    return streams.file();
}

TEST(WordDocument, EightBitAndUnicodePiecesReadAsOneText) {
    const TextDocument rest = longDocument(40);
    const TextDocument read = readWordDocument(withEightBitFirstPiece("caf\xE9 \x80", rest));
    ASSERT_EQ(read.paragraphs.size(), 41u);
    EXPECT_EQ(read.paragraphs[0], plain("café €"));
    EXPECT_EQ(std::vector<Paragraph>(read.paragraphs.begin() + 1, read.paragraphs.end()),
              rest.paragraphs);
}

TEST(WordDocument, FieldsGiveTheirResultNotTheirCode) {
    TextDocument document{{plain("page PAGE-CODE-MARKER 7 end")}};
    Streams streams = Streams::of(writeWordDocument(document));
    // Turn the spaces around the code and the result into field marks.
    uint8_t* text = streams.word.data() + 0x400;
    le::set16(text + 2 * 4, word::kFieldBegin);
    le::set16(text + 2 * 21, word::kFieldSeparator);
    le::set16(text + 2 * 23, word::kFieldEnd);
    EXPECT_EQ(readWordDocument(streams.file()), (TextDocument{{plain("page7end")}}));
}

TEST(WordDocument, BadFilesFailWithTheirKind) {
    const std::vector<uint8_t> good = writeWordDocument(richDocument());
    std::mt19937 random(16);
    std::vector<uint8_t> noise(4096);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    EXPECT_EQ(failureOf(noise), FailureKind::NotWordDocument);
    EXPECT_EQ(failureOf({}), FailureKind::NotWordDocument);

    cfb::CompoundFileWriter other;
    other.addStream(u"Workbook", std::vector<uint8_t>(5000, 1));
    EXPECT_EQ(failureOf(other.finish()), FailureKind::NotWordDocument);

    struct Case {
        const char* name;
        size_t offset;
        uint16_t value;
        FailureKind kind;
    };
    const Case cases[] = {
        {"identifier", word::kOffIdent, 0x1234, FailureKind::NotWordDocument},
        {"Word 95", word::kOffNfib, 0x0068, FailureKind::UnsupportedVersion},
        {"encrypted", word::kOffFlags, word::kFlagEncrypted | word::kFlagWhichTableStream,
         FailureKind::Encrypted},
        {"missing table stream", word::kOffFlags, 0, FailureKind::DamagedDocument},
        {"piece table past the table stream", 0x9A + 8 * word::kFcClx + 4, 0x7FFF,
         FailureKind::DamagedDocument},
        {"formatting past the table stream", 0x9A + 8 * word::kFcPlcfBteChpx, 0xFFF0,
         FailureKind::DamagedDocument},
    };
    for (const Case& c : cases) {
        Streams streams = Streams::of(good);
        le::set16(streams.word.data() + c.offset, c.value);
        EXPECT_EQ(failureOf(streams.file()), c.kind) << c.name;
    }
}

TEST(WordDocument, PiecesOutsideTheDocumentFail) {
    Streams streams = Streams::of(writeWordDocument(richDocument()));
    const uint32_t clxAt = le::u32(streams.pair(word::kFcClx));
    le::set32(streams.table.data() + clxAt + 1 + 4 + 8 + 2, 0x3FFFFF00);
    EXPECT_EQ(failureOf(streams.file()), FailureKind::DamagedDocument);
}

TEST(WordDocument, CutShortFilesFail) {
    const std::vector<uint8_t> good = writeWordDocument(longDocument(200));
    for (size_t size :
         {size_t{7}, size_t{100}, size_t{512}, size_t{1500}, good.size() / 2, good.size() - 1}) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + size);
        const FailureKind kind = failureOf(cut);
        EXPECT_TRUE(kind == FailureKind::DamagedDocument || kind == FailureKind::NotWordDocument)
            << size;
    }
}

TEST(WordDocument, ProgressRisesAndStopsWhenAsked) {
    const std::vector<uint8_t> file = writeWordDocument(longDocument(3000));
    std::vector<int> seen;
    readWordDocument(file, [&](int percent) {
        seen.push_back(percent);
        return true;
    });
    ASSERT_GE(seen.size(), 5u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    int calls = 0;
    EXPECT_EQ(failureOf(file, [&](int) { return ++calls < 3; }), FailureKind::Cancelled);
    EXPECT_EQ(calls, 3);
}

} // namespace
