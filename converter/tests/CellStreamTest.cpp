#include "CellStream.h"
#include "DocumentHeader.h"
#include "SheafContainer.h"
#include "SheafError.h"
#include "SheafTestDocuments.h"

#include <gtest/gtest.h>

using namespace sheaf;
using namespace sheaf::testing;

namespace {

CellEntry numberEntry(uint32_t column, uint32_t row, std::string text) {
    CellEntry entry;
    entry.kind = CellKind::Number;
    entry.column = column;
    entry.row = row;
    entry.text = std::move(text);
    return entry;
}

uint32_t lastWord(const RecordBuffer& record) {
    int32_t position = record.size() - 4;
    return record.readWord(position);
}

// A document holding the header and one sheet group with the given entries.
SheafDocument sheetOf(const std::vector<CellEntry>& entries, const SheetHead& head = {"S", {}}) {
    SheafDocument document;
    document.append(DocumentHeader{1, 0, ""}.encode());
    document.append(wordRecord(0));
    document.append(wordRecord(0));
    document.append(wordRecord(0));
    CellStreamWriter writer(document, head);
    for (const CellEntry& entry : entries) {
        writer.add(entry);
    }
    writer.finish();
    return document;
}

std::vector<CellEntry> readBack(SheafDocument& document, SheetHead* head = nullptr) {
    document.get(1);
    for (int i = 0; i < 3; ++i) {
        document.next();
    }
    CellStreamReader reader(document);
    if (head) {
        *head = reader.head();
    }
    std::vector<CellEntry> entries;
    CellEntry entry;
    while (reader.next(entry)) {
        entries.push_back(entry);
    }
    return entries;
}

} // namespace

TEST(CellStream, WritesTheSmallestWorkbookExactly) {
    const SheafDocument document = sheetOf({numberEntry(0, 0, "1")});
    EXPECT_EQ(encodeDocument(document), numberOneFile());
}

TEST(CellStream, EntryLayoutOfEachKind) {
    CellEntry number = numberEntry(1, 2, "2.5");
    CellEntry formula;
    formula.kind = CellKind::FormulaWithPrecedents;
    formula.text = "=A1*2";
    formula.display = "4";
    formula.precedents = "$A$1";
    formula.format = {FontFlags::Bold, static_cast<uint32_t>(AlignmentCode::Centre), 0};
    SheafDocument document = sheetOf({number, formula});

    const RecordBuffer& stream = document.records().back();
    RecordBuffer expected;
    expected.appendString("S");
    for (int i = 0; i < 3; ++i) {
        expected.appendWord(0);
    }
    for (uint32_t w : {0u, 1u, 2u}) {
        expected.appendWord(w);
    }
    expected.appendString("2.5");
    expected.appendWord(NO_FORMAT);
    for (uint32_t w : {6u, 0u, 0u}) {
        expected.appendWord(w);
    }
    expected.appendString("=A1*2");
    expected.appendString("4");
    expected.appendString("$A$1");
    for (uint32_t w : {1u, 4u, 0u}) {
        expected.appendWord(w);
    }
    expected.appendWord(END_OF_SHEET);
    EXPECT_EQ(stream, expected);

    EXPECT_EQ(readBack(document), (std::vector<CellEntry>{number, formula}));
}

TEST(CellStream, EntriesThatWouldReachTheLimitStartANewRecord) {
    // Each entry: 12 bytes of kind, column and row, 4 + 986 of text, 4 of NO_FORMAT.
    std::vector<CellEntry> entries;
    for (uint32_t row = 0; row < 200; ++row) {
        entries.push_back(numberEntry(0, row, std::string(986, '7')));
    }
    SheafDocument document = sheetOf(entries);
    ASSERT_GT(document.recordCount(), 5);
    for (int32_t i = 4; i < document.recordCount(); ++i) {
        const RecordBuffer& record = document.records()[i];
        EXPECT_LT(record.size(), kCellRecordLimit);
        const bool last = i == document.recordCount() - 1;
        EXPECT_EQ(lastWord(record), last ? END_OF_SHEET : CONTINUED) << i;
        if (!last) {
            // The next entry would not have fitted.
            EXPECT_GE(record.size() - 4 + 1006, kCellRecordLimit) << i;
        }
    }
    EXPECT_EQ(readBack(document), entries);
}

TEST(CellStream, NoFormatEntriesTakeTheSheetDefaults) {
    SheetHead head{"Data", {FontFlags::Bold, static_cast<uint32_t>(AlignmentCode::Centre), 0}};
    SheafDocument document = sheetOf({numberEntry(0, 0, "1")}, head);
    SheetHead readHead;
    const std::vector<CellEntry> entries = readBack(document, &readHead);
    EXPECT_EQ(readHead.name, "Data");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].format, head.defaults);
}

TEST(CellStream, EmptySheetIsTheHeadAndTheEnd) {
    const SheafDocument document = sheetOf({});
    ASSERT_EQ(document.recordCount(), 5);
    EXPECT_EQ(document.records()[4].size(), 4 + 1 + 12 + 4);
    EXPECT_EQ(lastWord(document.records()[4]), END_OF_SHEET);
}

TEST(CellStream, ShortStreamsThrowDataErrors) {
    SheafDocument cut = sheetOf({numberEntry(0, 0, "1")});
    RecordBuffer stream = cut.records().back();
    RecordBuffer shortened(stream.bytes().first(static_cast<size_t>(stream.size() - 6)));
    cut.set(5, shortened);
    EXPECT_THROW(readBack(cut), SheafError);

    // A CONTINUED marker in the last record has no record to continue into.
    SheafDocument dangling = sheetOf({});
    RecordBuffer head;
    head.appendString("S");
    for (int i = 0; i < 3; ++i) {
        head.appendWord(0);
    }
    head.appendWord(CONTINUED);
    dangling.set(5, head);
    EXPECT_THROW(readBack(dangling), SheafError);
}

TEST(CellStream, ReportsEachRecordStepBeforeTakingIt) {
    std::vector<CellEntry> entries;
    for (uint32_t row = 0; row < 130; ++row) {
        entries.push_back(numberEntry(0, row, std::string(986, '1')));
    }
    SheafDocument document = sheetOf(entries);
    document.get(1);
    for (int i = 0; i < 3; ++i) {
        document.next();
    }
    std::vector<int32_t> steps;
    CellStreamReader reader(document, [&](int32_t record) { steps.push_back(record); });
    CellEntry entry;
    size_t count = 0;
    while (reader.next(entry)) {
        ++count;
    }
    EXPECT_EQ(count, entries.size());
    EXPECT_EQ(steps, (std::vector<int32_t>{2, 3}));
}
