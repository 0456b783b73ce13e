#include "BiffRecordIds.h"
#include "BiffRecordReader.h"
#include "BiffRecordWriter.h"
#include "LittleEndian.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

namespace {

using xls::BiffRecord;
using xls::BiffRecordReader;
using xls::RecordCursor;

std::vector<uint8_t> recordBytes(uint16_t id, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    le::put16(out, id);
    le::put16(out, static_cast<uint16_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(BiffRecordReader, WalksRecordsAndStopsAtATruncatedOne) {
    std::vector<uint8_t> stream = recordBytes(xls::rec::Bof, {1, 2, 3});
    const std::vector<uint8_t> second = recordBytes(xls::rec::Eof, {});
    stream.insert(stream.end(), second.begin(), second.end());
    stream.push_back(0x34);
    stream.push_back(0x12);
    stream.push_back(0x10); // claims 16 bytes that are not there
    stream.push_back(0x00);

    BiffRecordReader reader(stream);
    BiffRecord r;
    ASSERT_TRUE(reader.next(r));
    EXPECT_EQ(r.id, xls::rec::Bof);
    EXPECT_EQ(r.data.size(), 3u);
    EXPECT_EQ(reader.peekId(), xls::rec::Eof);
    ASSERT_TRUE(reader.next(r));
    EXPECT_EQ(r.id, xls::rec::Eof);
    EXPECT_FALSE(reader.next(r));
    EXPECT_TRUE(reader.truncated());
}

TEST(RecordCursor, StringSplitAcrossSegmentsChangesWidth) {
    // "abcdé€" : five characters compressed in the first segment... the
    // continuation restates the width (now UTF-16) for the rest.
    std::vector<uint8_t> first = {6, 0, 0x00, 'a', 'b', 'c', 'd'};
    std::vector<uint8_t> second = {0x01, 0xE9, 0x00, 0xAC, 0x20};
    RecordCursor cursor;
    cursor.append(first);
    cursor.append(second);
    EXPECT_EQ(cursor.unicodeString16(), "abcd\xC3\xA9\xE2\x82\xAC");
    EXPECT_FALSE(cursor.failed());
    EXPECT_TRUE(cursor.atEnd());
}

TEST(RecordCursor, WideCharacterCutBySegmentEndJoinsTheNextSegment) {
    // U+1F600 as a surrogate pair whose low half is cut between two segments;
    // a cut character carries no fresh option byte.
    std::vector<uint8_t> first = {3, 0, 0x01, 0x3D, 0xD8, 0x00};
    std::vector<uint8_t> second = {0xDE, 'x', 0};
    RecordCursor cursor;
    cursor.append(first);
    cursor.append(second);
    EXPECT_EQ(cursor.unicodeString16(), "\xF0\x9F\x98\x80x");
    EXPECT_FALSE(cursor.failed());
    EXPECT_TRUE(cursor.atEnd());
}

TEST(RecordCursor, WideStringCutAtTheEndFails) {
    std::vector<uint8_t> data = {2, 0, 0x01, 'a', 0, 'b'};
    RecordCursor cursor;
    cursor.append(data);
    // The cut character's missing high byte reads as zero.
    EXPECT_EQ(cursor.unicodeString16(), "ab");
    EXPECT_TRUE(cursor.failed());
}

TEST(RecordCursor, RichTextAndPhoneticPartsAreSkipped) {
    // Two strings; the first has 1 formatting run (4 bytes) and a 3-byte
    // phonetic block, which belong to it and not to the next string.
    std::vector<uint8_t> data = {2, 0, 0x0C, 1, 0, 3, 0, 0, 0, 'h',  'i',
                                 9, 9, 9,    9, 7, 7, 7, 1, 0, 0x00, 'z'};
    RecordCursor cursor;
    cursor.append(data);
    EXPECT_EQ(cursor.unicodeString16(), "hi");
    EXPECT_EQ(cursor.unicodeString16(), "z");
    EXPECT_FALSE(cursor.failed());
}

TEST(RecordCursor, ReadingPastTheEndFailsWithZeros) {
    std::vector<uint8_t> data = {0x05, 0, 0x00, 'a'};
    RecordCursor cursor;
    cursor.append(data);
    EXPECT_EQ(cursor.unicodeString16(), "a");
    EXPECT_TRUE(cursor.failed());
    EXPECT_EQ(cursor.u32(), 0u);
}

TEST(BiffRecordWriter, LongRecordsSpillIntoContinueRecords) {
    xls::BiffRecordWriter writer;
    std::vector<uint8_t> data(20000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i);
    }
    writer.record(xls::rec::Label, data);

    BiffRecordReader reader(writer.stream());
    BiffRecord r;
    std::vector<uint8_t> joined;
    std::vector<uint16_t> ids;
    while (reader.next(r)) {
        EXPECT_LE(r.data.size(), xls::kMaxRecordData);
        ids.push_back(r.id);
        joined.insert(joined.end(), r.data.begin(), r.data.end());
    }
    EXPECT_EQ(ids,
              (std::vector<uint16_t>{xls::rec::Label, xls::rec::Continue, xls::rec::Continue}));
    EXPECT_EQ(joined, data);
}

TEST(BiffRecordWriter, SplitStringsReadBackThroughTheCursor) {
    // 3000 wide characters do not fit in one record; a 9000-character
    // compressed string neither.  Both come back whole.
    std::u16string wide(3000, u'\u20AC');
    wide[0] = u'x';
    std::u16string narrow(9000, u'n');
    xls::BiffRecordWriter writer;
    writer.begin(xls::rec::Sst);
    for (const std::u16string* s : {&wide, &narrow}) {
        std::vector<uint8_t> header;
        le::put16(header, static_cast<uint16_t>(s->size()));
        const bool isWide = !xls::fitsCompressed(*s);
        header.push_back(isWide ? 1 : 0);
        writer.atomic(header);
        writer.characters(*s, isWide);
    }
    writer.end();

    BiffRecordReader reader(writer.stream());
    BiffRecord first;
    ASSERT_TRUE(reader.next(first));
    RecordCursor cursor;
    cursor.append(first.data);
    BiffRecord more;
    int continues = 0;
    while (reader.next(more)) {
        EXPECT_EQ(more.id, xls::rec::Continue);
        cursor.append(more.data);
        ++continues;
    }
    EXPECT_GE(continues, 1);
    std::string expectWide;
    char16_t pending = 0;
    for (char16_t u : wide) {
        xls::appendUtf16(expectWide, u, pending);
    }
    EXPECT_EQ(cursor.unicodeString16(), expectWide);
    EXPECT_EQ(cursor.unicodeString16(), std::string(9000, 'n'));
    EXPECT_FALSE(cursor.failed());
    EXPECT_TRUE(cursor.atEnd());
}

TEST(TextCodec, Utf8AndUtf16AgreeIncludingSurrogatesAndBadBytes) {
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string units = xls::utf8ToUtf16(text);
    EXPECT_EQ(units, (std::u16string{u'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
    std::string back;
    char16_t pending = 0;
    for (char16_t u : units) {
        xls::appendUtf16(back, u, pending);
    }
    EXPECT_EQ(back, text);
    EXPECT_EQ(xls::utf8ToUtf16("\xC3"), std::u16string(1, 0xFFFD));
    EXPECT_TRUE(xls::fitsCompressed(u"\u00FF"));
    EXPECT_FALSE(xls::fitsCompressed(u"\u0100"));
}

} // namespace
