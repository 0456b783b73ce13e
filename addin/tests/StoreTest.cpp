#include "AddinTestSupport.h"
#include "base/UniqueHandle.h"
#include "StoreName.h"
#include "store/LocalSyncStore.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quire;
using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

class StoreTest : public ::testing::Test {
protected:
    StoreTest() { key_.setString(kSettingsKey, L"local synch folder", sync_.path()); }

    SyncEntry file(const std::wstring& path, std::vector<uint8_t> content = {}, uint64_t time = 0) {
        SyncEntry entry;
        entry.path = path;
        entry.size = static_cast<int32_t>(content.size());
        entry.content = std::move(content);
        entry.time = time;
        return entry;
    }

    ScratchKey key_;
    ScratchFolder sync_;
    ScratchFolder scratch_;
    AddinLog log_{scratch_.file(L"log.txt")};
    LocalSyncFolder folder_{key_.get()};
    LocalSyncStore store_{folder_, log_};
};

TEST_F(StoreTest, ScanFindsFoldersAndFilesAtAnyDepth) {
    CreateDirectoryW(sync_.file(L"Reports").c_str(), nullptr);
    writeFile(sync_.file(L"Reports\\May.shf"), bytesOf("12345"), makeTime(2004, 5, 1));
    writeFile(sync_.file(L"top.txt"), {});
    EntrySet entries = store_.ScanFolder();
    ASSERT_EQ(entries.size(), 3u);
    const SyncEntry* folder = entries.find(L"/Reports");
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->isFolder());
    EXPECT_EQ(folder->size, -1);
    const SyncEntry* may = entries.find(L"/Reports/May.shf");
    ASSERT_TRUE(may);
    EXPECT_EQ(may->size, 5);
    EXPECT_EQ(may->id, -1);
    EXPECT_EQ(may->time, makeTime(2004, 5, 1));
    EXPECT_TRUE(may->content.empty());
    EXPECT_EQ(store_.FullPath(*may), sync_.path() + L"\\Reports\\May.shf");
}

TEST_F(StoreTest, ScanLeavesOutNamesThatWouldComeBackAsOthers) {
    // A handheld kind's name in the sync folder travels unrenamed and comes
    // back renamed: Book.xls would return as Book.shf, a second document.
    CreateDirectoryW(sync_.file(L"Old.xls").c_str(), nullptr);
    writeFile(sync_.file(L"Old.xls\\May.shf"), bytesOf("1"));
    writeFile(sync_.file(L"Book.xls"), bytesOf("2"));
    writeFile(sync_.file(L"Notes.DOC"), bytesOf("3"));
    writeFile(sync_.file(L"Book.shf"), bytesOf("4"));
    EntrySet entries = store_.ScanFolder();
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries.contains(L"/Old.xls")); // folders keep their names both ways
    EXPECT_TRUE(entries.contains(L"/Old.xls/May.shf"));
    EXPECT_TRUE(entries.contains(L"/Book.shf"));
    EXPECT_FALSE(entries.contains(L"/Book.xls"));
    EXPECT_FALSE(entries.contains(L"/Notes.DOC"));
    const std::vector<std::string> log = logLines(scratch_.file(L"log.txt"));
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "name cannot make the way to the handheld and back, skipped: /Book.xls"),
              log.end());
}

TEST_F(StoreTest, DocumentNamesFollowTheirSide) {
    struct Case {
        const wchar_t* handheld;
        const wchar_t* desktop;
    };
    for (const Case& c :
         {Case{L"/a.XLS", L"/a.shf"}, Case{L"/r/b.doc", L"/r/b.pgd"}, Case{L"/c.txt", L"/c.txt"},
          Case{L"/d.xlsx", L"/d.xlsx"}, Case{L"/x.y/noext", L"/x.y/noext"}}) {
        SyncEntry entry = file(c.handheld);
        ToDesktopName(entry);
        EXPECT_EQ(entry.path, c.desktop);
    }
    SyncEntry back = file(L"/b.PGD");
    ToHandheldName(back);
    EXPECT_EQ(back.path, L"/b.doc");
    SyncEntry folder = file(L"/x.xls");
    folder.kind = EntryKind::Folder;
    ToDesktopName(folder);
    EXPECT_EQ(folder.path, L"/x.xls");
}

TEST_F(StoreTest, SaveReplacesContentAndKeepsTheEntrysTime) {
    writeFile(sync_.file(L"a.shf"), patternBytes(100));
    SyncEntry shorter = file(L"/a.shf", patternBytes(10, 5), makeTime(2003, 1, 2));
    store_.SaveContent(shorter);
    EXPECT_EQ(readFile(sync_.file(L"a.shf")), patternBytes(10, 5));
    EXPECT_EQ(fileTime(sync_.file(L"a.shf")), makeTime(2003, 1, 2));

    SyncEntry empty = file(L"/a.shf", {}, makeTime(2003, 1, 2));
    store_.SaveContent(empty);
    EXPECT_TRUE(readFile(sync_.file(L"a.shf")).empty());
    EXPECT_EQ(filesIn(sync_.path()), std::vector<std::wstring>{L"a.shf"});

    SyncEntry folder = file(L"/New");
    folder.kind = EntryKind::Folder;
    store_.SaveContent(folder);
    store_.SaveContent(folder);
    EXPECT_TRUE(GetFileAttributesW(sync_.file(L"New").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(StoreTest, NewFileTakesOnlyAFreeName) {
    SyncEntry fresh = file(L"/new.shf", patternBytes(40000, 3), makeTime(2005, 6, 7));
    EXPECT_TRUE(store_.SaveNewContent(fresh));
    EXPECT_EQ(readFile(sync_.file(L"new.shf")), patternBytes(40000, 3));
    EXPECT_EQ(fileTime(sync_.file(L"new.shf")), makeTime(2005, 6, 7));

    // A file that came since the scan, under any letter case, stays as it is.
    writeFile(sync_.file(L"Came.shf"), patternBytes(100));
    SyncEntry late = file(L"/came.SHF", patternBytes(10, 5));
    EXPECT_FALSE(store_.SaveNewContent(late));
    EXPECT_EQ(readFile(sync_.file(L"Came.shf")), patternBytes(100));
    EXPECT_EQ(filesIn(sync_.path()), (std::vector<std::wstring>{L"Came.shf", L"new.shf"}));

    // A folder is made once; one already there, or a file of its name, will do.
    for (const wchar_t* name : {L"/Made", L"/Made", L"/Came.shf"}) {
        SyncEntry folder = file(name);
        folder.kind = EntryKind::Folder;
        EXPECT_TRUE(store_.SaveNewContent(folder));
    }
    EXPECT_TRUE(GetFileAttributesW(sync_.file(L"Made").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(readFile(sync_.file(L"Came.shf")), patternBytes(100));
}

TEST_F(StoreTest, ScratchFilesLeftByInterruptedSavesArePassedOverAndKept) {
    // The names a save tries first, taken by saves that never finished.
    std::vector<std::wstring> leftovers;
    const unsigned now = GetTickCount();
    for (unsigned n = 0; n < 300; ++n) {
        leftovers.push_back(StoreScratchName(now - 20 + n));
        writeFile(sync_.file(leftovers.back()), bytesOf("left over"));
    }
    SyncEntry fresh = file(L"/new.shf", patternBytes(5000, 9));
    EXPECT_TRUE(store_.SaveNewContent(fresh));
    SyncEntry changed = file(L"/new.shf", patternBytes(700, 4));
    store_.SaveContent(changed);

    EXPECT_EQ(readFile(sync_.file(L"new.shf")), patternBytes(700, 4));
    std::vector<std::wstring> expected = leftovers;
    expected.push_back(L"new.shf");
    std::sort(expected.begin(), expected.end());
    std::vector<std::wstring> found = filesIn(sync_.path());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(readFile(sync_.file(leftovers[20])), bytesOf("left over"));
}

TEST_F(StoreTest, FailedSaveLeavesTheOldCopyWhole) {
    writeFile(sync_.file(L"a.shf"), patternBytes(100));
    {
        // Another program holds the desktop copy open.
        FileHandle held(CreateFileW(sync_.file(L"a.shf").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        SyncEntry entry = file(L"/a.shf", patternBytes(10, 5));
        EXPECT_THROW(store_.SaveContent(entry), CSynchException);
    }
    EXPECT_EQ(readFile(sync_.file(L"a.shf")), patternBytes(100));
    EXPECT_EQ(filesIn(sync_.path()), std::vector<std::wstring>{L"a.shf"});

    // A folder that is missing cannot take the file, and nothing is left behind.
    SyncEntry orphan = file(L"/Missing/b.shf", bytesOf("x"));
    EXPECT_THROW(store_.SaveContent(orphan), CSynchException);
    EXPECT_EQ(filesIn(sync_.path()), std::vector<std::wstring>{L"a.shf"});
}

TEST_F(StoreTest, LoadReadsTheDesktopCopyButNotAHeldOne) {
    writeFile(sync_.file(L"a.shf"), patternBytes(70000));
    SyncEntry entry = file(L"/a.shf");
    store_.LoadContent(entry);
    EXPECT_EQ(entry.content, patternBytes(70000));
    EXPECT_EQ(entry.size, 70000);
    EXPECT_TRUE(hasLine(logLines(scratch_.file(L"log.txt")), "trying to load 70000 bytes"));

    {
        // Another program reading or writing it does not keep it from being read.
        FileHandle shared(CreateFileW(sync_.file(L"a.shf").c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        ASSERT_TRUE(shared);
        SyncEntry whileShared = file(L"/a.shf");
        store_.LoadContent(whileShared);
        EXPECT_EQ(whileShared.content, patternBytes(70000));
    }
    {
        FileHandle held(CreateFileW(sync_.file(L"a.shf").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        SyncEntry again = file(L"/a.shf");
        EXPECT_THROW(store_.LoadContent(again), CSynchException);
    }
    SetFileAttributesW(sync_.file(L"a.shf").c_str(), FILE_ATTRIBUTE_READONLY);
    SyncEntry readOnly = file(L"/a.shf");
    store_.LoadContent(readOnly);
    EXPECT_EQ(readOnly.content, patternBytes(70000));
    SetFileAttributesW(sync_.file(L"a.shf").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StoreTest, SyncFolderIsReadOnceAndMustBeSet) {
    EXPECT_EQ(folder_.path(), sync_.path() + L"\\");
    key_.setString(kSettingsKey, L"local synch folder", L"C:\\Elsewhere");
    EXPECT_EQ(folder_.path(), sync_.path() + L"\\");

    ScratchKey empty;
    LocalSyncFolder missing(empty.get());
    try {
        missing.path();
        FAIL() << "no exception";
    } catch (const CSynchException& error) {
        EXPECT_EQ(error.message(), "Can't get local synch folder");
    }
    empty.setString(kSettingsKey, L"local synch folder", L"");
    EXPECT_THROW(missing.path(), CSynchException);
    empty.setString(kSettingsKey, L"local synch folder", std::wstring(300, L'x'));
    EXPECT_THROW(missing.path(), CSynchException);
}

TEST_F(StoreTest, Win32ErrorTextHasAFallback) {
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Win32ErrorText().empty());
    SetLastError(0x2FFFFFFF);
    EXPECT_EQ(Win32ErrorText(), "Win32 error (0x2fffffff) occured");
}

} // namespace
