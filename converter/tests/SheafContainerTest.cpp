#include "SheafContainer.h"
#include "SheafResult.h"
#include "SheafTestDocuments.h"

#include <gtest/gtest.h>

using namespace sheaf;
using namespace sheaf::testing;

namespace {

std::vector<uint8_t> littleEndian(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

std::vector<uint8_t> containerHead(int32_t count) {
    std::vector<uint8_t> bytes(kSheafMagic.begin(), kSheafMagic.end());
    const auto c = littleEndian(count);
    bytes.insert(bytes.end(), c.begin(), c.end());
    return bytes;
}

void appendRecord(std::vector<uint8_t>& bytes, int32_t length, size_t present) {
    const auto l = littleEndian(length);
    bytes.insert(bytes.end(), l.begin(), l.end());
    bytes.insert(bytes.end(), present, 0xAB);
}

} // namespace

TEST(SheafContainer, TheSmallestWorkbookIsByteForByteTheKnownFile) {
    const std::vector<uint8_t> bytes = encodeDocument(numberOneDocument());
    ASSERT_EQ(bytes.size(), 94u);
    EXPECT_EQ(bytes, numberOneFile());

    SheafDocument loaded;
    ASSERT_EQ(decodeDocument(numberOneFile(), loaded), kResultOk);
    EXPECT_EQ(loaded, numberOneDocument());
}

TEST(SheafContainer, ContainerIntegersAreLittleEndianRecordWordsBigEndian) {
    SheafDocument document;
    RecordBuffer header;
    header.appendWord(0);
    header.appendWord(0);
    header.appendString("Ann");
    document.append(header);
    const std::vector<uint8_t> bytes = encodeDocument(document);
    const std::vector<uint8_t> expected = {0x6A, 0x6C, 0x63, 0x30, 1, 0, 0,   0,   15,
                                           0,    0,    0,    0,    0, 0, 0,   0,   0,
                                           0,    0,    0,    0,    0, 3, 'A', 'n', 'n'};
    EXPECT_EQ(bytes, expected);
}

TEST(SheafContainer, EmptyDocumentIsTheEightByteHead) {
    const std::vector<uint8_t> bytes = encodeDocument(SheafDocument());
    EXPECT_EQ(bytes, containerHead(0));
    SheafDocument loaded;
    loaded.append(wordRecord(1));
    EXPECT_EQ(decodeDocument(bytes, loaded), kResultOk);
    EXPECT_EQ(loaded.recordCount(), 0);

    EXPECT_EQ(decodeDocument(containerHead(-5), loaded), kResultOk);
    EXPECT_EQ(loaded.recordCount(), 0);
}

TEST(SheafContainer, RoundTripsALargeRecord) {
    SheafDocument document;
    RecordBuffer big;
    for (int i = 0; i < 15000; ++i) {
        big.appendWord(static_cast<uint32_t>(i * 2654435761u));
    }
    ASSERT_EQ(big.size(), 60000);
    document.append(wordRecord(1));
    document.append(big);
    document.append(RecordBuffer());
    SheafDocument loaded;
    ASSERT_EQ(decodeDocument(encodeDocument(document), loaded), kResultOk);
    EXPECT_EQ(loaded, document);
}

TEST(SheafContainer, DamagedHeadsAreReadFaults) {
    std::vector<uint8_t> wrongMagic = numberOneFile();
    wrongMagic[3] = 0x31;
    SheafDocument loaded;
    EXPECT_EQ(decodeDocument(wrongMagic, loaded), kResultReadFault);
    EXPECT_EQ(loaded.recordCount(), 0);

    const std::vector<uint8_t> shortCount(numberOneFile().begin(), numberOneFile().begin() + 6);
    EXPECT_EQ(decodeDocument(shortCount, loaded), kResultReadFault);
    EXPECT_EQ(decodeDocument(std::vector<uint8_t>(), loaded), kResultReadFault);
}

TEST(SheafContainer, HostileRecordsAreReadFaultsAndLeaveTheDocumentEmpty) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;

    cases.push_back({"file ends inside a record", containerHead(2)});
    appendRecord(cases.back().bytes, 4, 4);
    appendRecord(cases.back().bytes, 10, 3);

    cases.push_back({"negative record length", containerHead(1)});
    appendRecord(cases.back().bytes, -4, 4);

    cases.push_back({"record length larger than the file", containerHead(1)});
    appendRecord(cases.back().bytes, 0x7FFFFFFF, 16);

    cases.push_back({"count larger than the file can hold", containerHead(0x7FFFFFFF)});
    appendRecord(cases.back().bytes, 0, 0);

    cases.push_back({"fewer records than counted", containerHead(3)});
    appendRecord(cases.back().bytes, 1, 1);

    cases.push_back({"length word cut short", containerHead(1)});
    cases.back().bytes.push_back(0x01);

    for (const Case& c : cases) {
        SheafDocument loaded;
        loaded.append(wordRecord(7));
        EXPECT_EQ(decodeDocument(c.bytes, loaded), kResultReadFault) << c.what;
        EXPECT_EQ(loaded.recordCount(), 0) << c.what;
        EXPECT_EQ(loaded.cursor(), -1) << c.what;
    }
}

TEST(SheafContainer, LoadedRecordsAreKeyedInFileOrder) {
    std::vector<uint8_t> bytes = containerHead(3);
    for (uint8_t length : {uint8_t{0}, uint8_t{1}, uint8_t{2}}) {
        appendRecord(bytes, length, length);
    }
    SheafDocument loaded;
    ASSERT_EQ(decodeDocument(bytes, loaded), kResultOk);
    ASSERT_EQ(loaded.recordCount(), 3);
    EXPECT_EQ(loaded.get(1).size(), 0);
    EXPECT_EQ(loaded.next().size(), 1);
    EXPECT_EQ(loaded.next().size(), 2);
}
