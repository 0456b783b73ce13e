#include "AddinTestSupport.h"
#include "com/Variant.h"
#include "records/HandheldRecords.h"
#include "RecordPath.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

// The record collection of a host table, as the add-in gets it.
com::ComPtr<IHostRecords> recordsOf(const synchost::TablePtr& table) {
    com::ComPtr<IHostDatabase> database = synchost::makeHostDatabase({table});
    com::ComPtr<IHostTables> tables;
    database->get_Tables(tables.put());
    com::Variant first(1);
    com::ComPtr<IHostTable> host;
    tables->get_Item(first.ref(), host.put());
    com::ComPtr<IHostRecords> records;
    host->LoadRecords(RIM_Mode_ReadWrite, records.put());
    return records;
}

synchost::RecordPtr record(const std::string& name, const std::string& parent,
                           const std::string& size, std::vector<uint8_t> data,
                           const std::string& part = "0") {
    auto result = std::make_shared<synchost::RecordData>();
    result->set(FIELD_ID, bytesOf("7"));
    result->set(FIELD_NAME, bytesOf(name));
    result->set(FIELD_PARENT, bytesOf(parent));
    result->set(FIELD_SIZE, bytesOf(size));
    result->set(FIELD_TIME, bytesOf("20040305174209"));
    result->set(FIELD_CHANGED, bytesOf("1"));
    result->set(FIELD_DATAPART, bytesOf(part));
    result->set(FIELD_DATA, std::move(data));
    return result;
}

class RecordsTest : public ::testing::Test {
protected:
    SyncEntry fileEntry(const std::wstring& path, std::vector<uint8_t> content) {
        SyncEntry entry;
        entry.path = path;
        entry.size = static_cast<int32_t>(content.size());
        entry.content = std::move(content);
        entry.time = makeTime(2004, 3, 5, 17);
        return entry;
    }

    // Writes an entry with AddFile and returns the records the host received.
    std::vector<synchost::RecordPtr> added(const SyncEntry& entry) {
        auto table = std::make_shared<synchost::TableData>();
        records_.AddFile(recordsOf(table).get(), entry);
        return table->added;
    }

    SyncEntry read(std::vector<synchost::RecordPtr> loaded, long index = 1) {
        auto table = std::make_shared<synchost::TableData>();
        table->loaded = std::move(loaded);
        return records_.GetFile(recordsOf(table).get(), index);
    }

    ScratchFolder scratch_;
    AddinLog log_{scratch_.file(L"log.txt")};
    HandheldRecords records_{log_};
};

TEST_F(RecordsTest, FilesAreCutIntoPartsOf32767Bytes) {
    struct Case {
        size_t size;
        std::vector<size_t> parts;
    };
    for (const Case& c : {Case{32767, {32767}}, Case{32768, {32767, 1}},
                          Case{65534, {32767, 32767}}, Case{0, {0}}}) {
        std::vector<uint8_t> content = patternBytes(c.size);
        auto records = added(fileEntry(L"/Reports/May.xls", content));
        ASSERT_EQ(records.size(), c.parts.size()) << c.size;
        std::vector<uint8_t> joined;
        for (size_t k = 0; k < records.size(); ++k) {
            EXPECT_EQ(records[k]->text(FIELD_DATAPART), std::to_string(k));
            EXPECT_EQ(records[k]->text(FIELD_NAME), "May.xls");
            EXPECT_EQ(records[k]->text(FIELD_PARENT), "Local/Reports");
            EXPECT_EQ(records[k]->text(FIELD_SIZE), std::to_string(c.size));
            EXPECT_EQ(records[k]->text(FIELD_ID), "-1");
            const auto& data = *records[k]->field(FIELD_DATA);
            EXPECT_EQ(data.size(), c.parts[k]);
            joined.insert(joined.end(), data.begin(), data.end());
        }
        EXPECT_EQ(joined, content);
    }
}

TEST_F(RecordsTest, TimesAreLocalTextsOfFourteenDigits) {
    struct Case {
        uint64_t time;
        const char* text;
    };
    for (const Case& c : {Case{localTime(2004, 3, 5, 17, 42, 9), "20040305174209"},
                          Case{localTime(1999, 12, 31, 23, 59, 59), "19991231235959"},
                          Case{localTime(2010, 1, 2, 3, 4, 5), "20100102030405"}}) {
        SyncEntry entry = fileEntry(L"/a.xls", bytesOf("a"));
        entry.time = c.time;
        EXPECT_EQ(added(entry)[0]->text(FIELD_TIME), c.text);
        EXPECT_EQ(parseRecordTime(c.text), c.time) << c.text;
    }
}

TEST_F(RecordsTest, FolderIsOneRecordWithEmptyData) {
    SyncEntry folder;
    folder.path = L"/Reports";
    folder.kind = EntryKind::Folder;
    folder.size = -1;
    auto records = added(folder);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->text(FIELD_NAME), "Reports");
    EXPECT_EQ(records[0]->text(FIELD_PARENT), "Local");
    EXPECT_EQ(records[0]->text(FIELD_SIZE), "-1");
    EXPECT_TRUE(records[0]->field(FIELD_DATA)->empty());
}

TEST_F(RecordsTest, RecordIsReadIntoAnEntry) {
    SyncEntry entry = read({record("a.xls", "Local", "3", bytesOf("abc"))});
    EXPECT_EQ(entry.path, L"/a.xls");
    EXPECT_EQ(entry.id, 7);
    EXPECT_TRUE(entry.changed);
    EXPECT_EQ(entry.content, bytesOf("abc"));
    EXPECT_EQ(entry.time, localTime(2004, 3, 5, 17, 42, 9));

    SyncEntry nested = read({record("b.doc", "Local/Letters/Old", "-1", {})});
    EXPECT_EQ(nested.path, L"/Letters/Old/b.doc");
    EXPECT_TRUE(nested.isFolder());

    EXPECT_THROW(read({}), CSynchException);
}

TEST_F(RecordsTest, TrailingZeroIsDroppedOnlyBeyondThePartsLength) {
    // The handheld's terminator after a 3-byte file.
    std::vector<uint8_t> terminated = {'a', 'b', 'c', 0};
    EXPECT_EQ(read({record("a", "Local", "3", terminated)}).content, bytesOf("abc"));
    // A file whose own last byte is zero keeps it.
    std::vector<uint8_t> ownZero = {'a', 'b', 0};
    EXPECT_EQ(read({record("a", "Local", "3", ownZero)}).content, ownZero);
    // Non-zero last byte: every byte stays.
    EXPECT_EQ(read({record("a", "Local", "3", bytesOf("abc"))}).content, bytesOf("abc"));
    // A full middle part closed by a terminator.
    std::vector<uint8_t> part = patternBytes(kPartSize);
    part.push_back(0);
    EXPECT_EQ(read({record("a", "Local", "40000", part, "0")}).content.size(), kPartSize);
}

TEST_F(RecordsTest, PartsAreReassembledAtTheirOffsets) {
    EntrySet incoming;
    std::vector<uint8_t> first = patternBytes(kPartSize, 3);
    std::vector<uint8_t> second = patternBytes(10, 9);
    addReassembled(incoming, read({record("a", "Local", "32777", first, "0")}));
    addReassembled(incoming, read({record("a", "Local", "32777", second, "1")}));
    ASSERT_EQ(incoming.size(), 1u);
    const SyncEntry& entry = *incoming.find(L"/A");
    EXPECT_EQ(entry.content.size(), 32777u);
    EXPECT_EQ(entry.partsMerged, 1u);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), entry.content.begin() + kPartSize));

    // A part number from the handheld may not reach beyond the file.
    EXPECT_THROW(addReassembled(incoming, read({record("a", "Local", "32777", second, "9000")})),
                 CSynchException);
    EXPECT_EQ(incoming.find(L"/a")->content.size(), 32777u);
}

TEST_F(RecordsTest, EntrySetKeysIgnoreCaseAndKeepTheFirst) {
    EntrySet set;
    SyncEntry first = fileEntry(L"/Notes.pgd", bytesOf("1"));
    SyncEntry second = fileEntry(L"/NOTES.PGD", bytesOf("2"));
    EXPECT_TRUE(set.insert(first));
    EXPECT_FALSE(set.insert(second));
    EXPECT_EQ(set.size(), 1u);
    EXPECT_EQ(set.find(L"/notes.PGD")->content, bytesOf("1"));

    SyncEntry inner = fileEntry(L"/Reports/May.shf", {});
    SyncEntry folder = fileEntry(L"/Reports", {});
    set.insert(inner);
    set.insert(folder);
    std::vector<std::wstring> order;
    for (const auto& [path, entry] : set) {
        order.push_back(path);
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"/Notes.pgd", L"/Reports", L"/Reports/May.shf"}));
}

TEST_F(RecordsTest, UnsafeNamesFromTheHandheldAreRefused) {
    struct Case {
        const char* parent;
        const char* name;
    };
    const Case unsafe[] = {
        {"Local", ".."},      {"Local", ""},      {"Local", "a\\b.xls"},
        {"Local", "c:x.xls"}, {"Local", "C:"},    {"Local/..", "a.xls"},
        {"Local/../..", "x"}, {"Local/a/", "x"},  {"LocalC:/Windows", "x"},
        {"Local\\..", "x"},   {"Local", "CON"},   {"Local", "nul.txt"},
        {"Local", "a.xls."},  {"Local", "a "},    {"Local", "a?.xls"},
        {"Local//x", "a"},    {"Local", "a\x01"}, {"Local/./x", "a"},
    };
    for (const Case& c : unsafe) {
        EXPECT_FALSE(recordEntryPath(c.parent, c.name)) << c.parent << " " << c.name;
        EXPECT_THROW(read({record(c.name, c.parent, "3", bytesOf("abc"))}), CSynchException)
            << c.parent << " " << c.name;
    }
    EXPECT_TRUE(hasLine(logLines(scratch_.file(L"log.txt")),
                        "unsafe file name skipped: parent=Local/.. name=a.xls"));
    EXPECT_FALSE(recordEntryPath("Local", std::string(300, 'x')));
    // Invalid UTF-8 is refused rather than guessed at.
    EXPECT_FALSE(recordEntryPath("Local", "\xC3("));

    EXPECT_EQ(recordEntryPath("Local", "a.xls"), L"/a.xls");
    EXPECT_EQ(recordEntryPath("Xxxxx/Reports", "..a"), L"/Reports/..a");
    EXPECT_EQ(recordEntryPath("Local/R\xC3\xA9sum\xC3\xA9", "b.doc"), L"/R\u00e9sum\u00e9/b.doc");
}

TEST_F(RecordsTest, MissingFieldFailsTheRecord) {
    auto broken = record("a", "Local", "3", bytesOf("abc"));
    broken->fields.erase(broken->fields.begin() + 4); // FIELD_TIME
    EXPECT_THROW(read({broken}), CSynchException);
}

} // namespace
