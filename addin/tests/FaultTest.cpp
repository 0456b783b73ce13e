// The add-in where the machine or the host fails it: a sync folder on a full
// disk, host calls that fail part way through a pass.
#include "AddinTestSupport.h"
#include "store/LocalSyncStore.h"
#include "testing/FullDisk.h"
#include "testing/KilledSaves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

using namespace quire;
using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

SyncEntry fileEntry(const std::wstring& path, std::vector<uint8_t> content) {
    SyncEntry entry;
    entry.path = path;
    entry.size = static_cast<int32_t>(content.size());
    entry.content = std::move(content);
    return entry;
}

} // namespace

TEST(FaultTest, SaveOntoAFullDiskKeepsTheOldCopyAndLeavesNoPart) {
    QUIRE_NEED_FULL_DISK(disk);
    ScratchKey key;
    key.setString(kSettingsKey, L"local synch folder", disk.folder);
    ScratchFolder scratch;
    AddinLog log{scratch.file(L"log.txt")};
    LocalSyncFolder folder{key.get()};
    LocalSyncStore store{folder, log};
    const std::wstring kept = disk.folder + L"\\a.shf";
    writeFile(kept, patternBytes(100));

    SyncEntry replacing = fileEntry(L"/a.shf", patternBytes(disk.freeBytes + 100000, 7));
    SetLastError(ERROR_DISK_FULL);
    const std::string diskFull = Win32ErrorText();
    try {
        store.SaveContent(replacing);
        ADD_FAILURE() << "a save onto a full disk succeeded";
    } catch (const CSynchException& error) {
        EXPECT_EQ(error.message(), diskFull);
    }
    SyncEntry fresh = fileEntry(L"/b.shf", patternBytes(disk.freeBytes + 100000, 9));
    EXPECT_THROW(store.SaveContent(fresh), CSynchException);

    EXPECT_EQ(readFile(kept), patternBytes(100));
    EXPECT_EQ(quire::testing::NamesOnFullDisk(disk.folder), std::vector<std::wstring>{L"a.shf"});
    DeleteFileW(kept.c_str());
}

namespace {

const uint64_t kOld = localTime(2004, 1, 1, 12);
const uint64_t kLastPass = localTime(2005, 1, 1, 12, 30, 15);
const uint64_t kNew = makeTime(2006, 1, 1);
const uint64_t kNow = makeTime(2010, 6, 1);
const char kInjectedFailure[] =
    "!!! process: com exception occured [16389] The host failed this call on purpose";

synchost::FaultsPtr failing(std::map<std::string, long> calls) {
    auto faults = std::make_shared<synchost::HostFaults>();
    faults->failing = std::move(calls);
    return faults;
}

// A handheld and a sync folder that were in step at the last pass.
std::unique_ptr<PassFixture> inStep() {
    auto fixture = std::make_unique<PassFixture>();
    fixture->services_->environment.now = [] { return kNow; };
    fixture->setLastSynchDate(kLastPass);
    return fixture;
}

template <typename Documents> std::vector<std::string> pathsOf(const Documents& documents) {
    std::vector<std::string> paths;
    for (const synchost::Document& document : documents) {
        paths.push_back(document.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

TEST(HostFaultsTest, ChosenCallsFailOnceAndBadListsAreRefused) {
    synchost::HostFaults faults;
    ASSERT_TRUE(faults.parse("Item:2,Value:10"));
    EXPECT_FALSE(faults.fails("Item"));
    EXPECT_TRUE(faults.fails("Item"));
    EXPECT_FALSE(faults.fails("Item"));
    EXPECT_FALSE(faults.fails("AddRecord"));
    for (const char* bad : {"", "Item", "Item:", ":2", "Item:x", "Item:9999999999"}) {
        synchost::HostFaults rejected;
        EXPECT_FALSE(rejected.parse(bad)) << bad;
    }
}

TEST(HostFaultTest, DatabaseThatCannotBeOpenedEndsThePassAndTheNextBringsEverything) {
    for (const char* call : {"Tables", "LoadRecords"}) {
        SCOPED_TRACE(call);
        auto fixture = inStep();
        fixture->putOnHandheld("/from.txt", bytesOf("handheld"), kOld);
        writeFile(fixture->desktop(L"to.txt"), bytesOf("desktop"), kNow - 1);

        synchost::SessionResult failed = fixture->synchronise({}, failing({{call, 1}}));
        EXPECT_EQ(failed.process, S_OK);
        EXPECT_TRUE(hasLine(fixture->log(), kInjectedFailure));
        EXPECT_FALSE(fileExists(fixture->desktop(L"from.txt")));
        EXPECT_TRUE(failed.received.empty());
        EXPECT_EQ(fixture->lastSynchDate(), kLastPass);

        synchost::SessionResult next = fixture->synchronise();
        EXPECT_EQ(readFile(fixture->desktop(L"from.txt")), bytesOf("handheld"));
        EXPECT_EQ(pathsOf(next.received), std::vector<std::string>{"/to.txt"});
        EXPECT_TRUE(fixture->synchronise().received.empty());
        EXPECT_EQ(pathsOf(fixture->handheld_.documents()),
                  (std::vector<std::string>{"/from.txt", "/to.txt"}));
    }
}

TEST(HostFaultTest, RecordThatCannotBeReadComesNextTimeAndNothingIsSentTwice) {
    auto fixture = inStep();
    fixture->putOnHandheld("/a.txt", bytesOf("a"), kOld);
    fixture->putOnHandheld("/b.txt", bytesOf("b"), kOld);
    fixture->putOnHandheld("/c.txt", bytesOf("c"), kOld);
    // b.txt crossed at an earlier pass; new.txt was made on the desktop since.
    writeFile(fixture->desktop(L"b.txt"), bytesOf("b"), kOld);
    writeFile(fixture->desktop(L"new.txt"), bytesOf("new"), kNow - 1);

    synchost::SessionResult failed = fixture->synchronise({}, failing({{"Item", 2}}));
    EXPECT_EQ(failed.process, S_OK);
    EXPECT_EQ(readFile(fixture->desktop(L"a.txt")), bytesOf("a"));
    EXPECT_EQ(readFile(fixture->desktop(L"c.txt")), bytesOf("c"));
    EXPECT_TRUE(hasLine(fixture->log(), "!!! GetFile(...) exception occured"));
    EXPECT_TRUE(failed.received.empty()) << "b.txt is on the handheld, only unread";
    EXPECT_EQ(fixture->lastSynchDate(), kLastPass);

    synchost::SessionResult next = fixture->synchronise();
    EXPECT_EQ(pathsOf(next.received), std::vector<std::string>{"/new.txt"});
    EXPECT_TRUE(fixture->synchronise().received.empty());
    EXPECT_EQ(pathsOf(fixture->handheld_.documents()),
              (std::vector<std::string>{"/a.txt", "/b.txt", "/c.txt", "/new.txt"}));
    EXPECT_EQ(fixture->lastSynchDate(), kNow);
}

TEST(HostFaultTest, PartThatCannotBeReadNeitherReplacesNorCreatesADesktopFile) {
    auto fixture = inStep();
    const std::vector<uint8_t> edited = patternBytes(80000, 3);
    const std::vector<uint8_t> fresh = patternBytes(80000, 4);
    fixture->putOnHandheld("/edited.bin", edited, kNew, true);
    fixture->putOnHandheld("/fresh.bin", fresh, kOld);
    writeFile(fixture->desktop(L"edited.bin"), bytesOf("older desktop copy"), kOld);
    // Each record's eight fields are read in turn, so the 16th value is the
    // data of edited.bin's second part; the 5th record is fresh.bin's second
    // part.  Either way the parts after the gap would fill the file's length.
    fixture->synchronise({}, failing({{"Value", 16}, {"Item", 5}}));
    EXPECT_EQ(readFile(fixture->desktop(L"edited.bin")), bytesOf("older desktop copy"));
    EXPECT_FALSE(fileExists(fixture->desktop(L"fresh.bin")));
    EXPECT_TRUE(hasLine(fixture->log(), "file /fresh.bin not saved"));

    fixture->synchronise();
    EXPECT_EQ(readFile(fixture->desktop(L"fresh.bin")), fresh);
    EXPECT_EQ(pathsOf(fixture->handheld_.documents()),
              (std::vector<std::string>{"/edited.bin", "/fresh.bin"}));
    EXPECT_EQ(fixture->handheld_.find("/edited.bin")->content, edited);
}

TEST(HostFaultTest, SendingThatStopsPartWayIsCompletedByTheNextPass) {
    const std::vector<uint8_t> large = patternBytes(40000, 5);
    // The second record of large.bin: its add, its second field, its commit.
    const std::vector<std::pair<std::string, long>> calls = {
        {"AddRecord", 2}, {"SetValue", 10}, {"Update", 2}};
    for (const auto& [call, number] : calls) {
        SCOPED_TRACE(call);
        auto fixture = inStep();
        writeFile(fixture->desktop(L"large.bin"), large, kNow - 1);
        writeFile(fixture->desktop(L"small.txt"), bytesOf("small"), kNow - 1);

        synchost::SessionResult failed = fixture->synchronise({}, failing({{call, number}}));
        EXPECT_EQ(failed.process, S_OK);
        EXPECT_TRUE(hasLine(fixture->log(), kInjectedFailure));
        ASSERT_EQ(failed.received.size(), 1u);
        EXPECT_EQ(failed.received[0].content.size(), 32767u) << "only the first part arrived";
        EXPECT_EQ(fixture->lastSynchDate(), kLastPass);

        synchost::SessionResult next = fixture->synchronise();
        EXPECT_EQ(readFile(fixture->desktop(L"large.bin")), large);
        EXPECT_EQ(pathsOf(next.received), (std::vector<std::string>{"/large.bin", "/small.txt"}));
        EXPECT_EQ(pathsOf(fixture->handheld_.documents()),
                  (std::vector<std::string>{"/large.bin", "/small.txt"}));
        EXPECT_EQ(fixture->handheld_.find("/large.bin")->content, large);
        EXPECT_TRUE(fixture->synchronise().received.empty());
    }
}

TEST(StoreFaultTest, KilledSavesLeaveTheOldCopyOrTheNewOneWhole) {
    ScratchFolder sync;
    quire::testing::KilledSavesReport report;
    quire::testing::ExpectKilledSavesLeaveAWholeFile(
        quire::testing::ProgramBesideTests(L"store_save_loop.exe"), sync.file(L"Book.shf"), 2, 100,
        30, report);
    EXPECT_EQ(report.rounds, 100);
    EXPECT_GT(report.killedWhileSaving, 0) << "no kill came during a save";
    std::printf("%d kills, %d of them during a save\n", report.rounds, report.killedWhileSaving);
}
