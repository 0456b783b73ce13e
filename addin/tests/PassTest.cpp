#include "AddinTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quire;
using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

const uint64_t kOld = localTime(2004, 1, 1, 12);
const uint64_t kLastPass = localTime(2005, 1, 1, 12, 30, 15);
const uint64_t kNew = makeTime(2006, 1, 1);
const uint64_t kNow = makeTime(2010, 6, 1);

class PassTest : public ::testing::Test, public PassFixture {
protected:
    PassTest() {
        services_->environment.now = [] { return kNow; };
        setLastSynchDate(kLastPass);
    }

    std::optional<synchost::Document> onHandheld(const std::string& path) {
        return handheld_.find(path);
    }
};

TEST_F(PassTest, HandheldOnlyFileIsWrittenWithItsTime) {
    putFolderOnHandheld("/Reports", kOld);
    putOnHandheld("/Reports/May.xls", patternBytes(40000), kOld);
    putOnHandheld("/Notes.doc", bytesOf("notes"), kOld);
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(result.process, S_OK);
    EXPECT_EQ(readFile(desktop(L"Reports\\May.shf")), patternBytes(40000));
    EXPECT_EQ(fileTime(desktop(L"Reports\\May.shf")), kOld);
    EXPECT_EQ(readFile(desktop(L"Notes.pgd")), bytesOf("notes"));
    EXPECT_TRUE(result.received.empty());
    EXPECT_EQ(lastSynchDate(), kNow);
}

TEST_F(PassTest, UnchangedCopiesOnBothSidesStayAsTheyAre) {
    putOnHandheld("/a.xls", bytesOf("handheld"), kOld);
    writeFile(desktop(L"a.shf"), bytesOf("desktop"), kOld);
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(readFile(desktop(L"a.shf")), bytesOf("desktop"));
    EXPECT_TRUE(result.received.empty());
}

TEST_F(PassTest, HandheldChangeOverwritesAnUnchangedDesktopCopy) {
    putOnHandheld("/a.xls", bytesOf("handheld"), kNew, true);
    writeFile(desktop(L"a.shf"), bytesOf("desktop"), kOld);
    synchronise();
    EXPECT_EQ(readFile(desktop(L"a.shf")), bytesOf("handheld"));
    EXPECT_FALSE(onHandheld("/a.xls")->changed);
}

// The scan leaves out the scratch files of unfinished saves, so a handheld
// document of such a name meets a desktop file that the pass did not list.
TEST_F(PassTest, DesktopFileTheScanLeftOutIsReplacedOnlyByAChangedCopy) {
    putOnHandheld("/~qa1f2e.tmp", bytesOf("handheld"), kOld);
    putOnHandheld("/~qa1f2f.tmp", bytesOf("handheld, changed"), kNew, true);
    writeFile(desktop(L"~qa1f2e.tmp"), bytesOf("desktop"), kOld);
    writeFile(desktop(L"~QA1F2F.TMP"), bytesOf("desktop"), kOld);
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(result.process, S_OK);
    EXPECT_EQ(readFile(desktop(L"~qa1f2e.tmp")), bytesOf("desktop"));
    EXPECT_EQ(readFile(desktop(L"~qa1f2f.tmp")), bytesOf("handheld, changed"));
    EXPECT_EQ(filesIn(sync_.path()), (std::vector<std::wstring>{L"~QA1F2F.TMP", L"~qa1f2e.tmp"}));
    EXPECT_TRUE(hasLine(log(), "desktop copy kept"));
}

TEST_F(PassTest, DesktopOnlyFileIsSentAsNewRecords) {
    CreateDirectoryW(desktop(L"Letters").c_str(), nullptr);
    writeFile(desktop(L"Letters\\b.pgd"), patternBytes(70000), kOld);
    synchost::SessionResult result = synchronise();
    ASSERT_EQ(result.received.size(), 2u);
    EXPECT_EQ(result.received[0].path(), "/Letters");
    EXPECT_EQ(result.received[0].size, -1);
    EXPECT_EQ(result.received[1].path(), "/Letters/b.doc");
    EXPECT_EQ(result.received[1].id, -1);
    EXPECT_EQ(result.received[1].content, patternBytes(70000));
    EXPECT_TRUE(hasLine(log(), "adding file " + toAnsi(desktop(L"Letters\\b.doc"))));
    // The handheld now holds it and the next pass leaves it alone.
    EXPECT_TRUE(synchronise().received.empty());
}

TEST_F(PassTest, HandheldFolderIsCreatedOnlyWhenMissing) {
    putFolderOnHandheld("/Empty", kOld);
    putFolderOnHandheld("/Kept", kOld);
    CreateDirectoryW(desktop(L"Kept").c_str(), nullptr);
    writeFile(desktop(L"Kept\\inside.txt"), bytesOf("x"), kOld);
    synchronise();
    EXPECT_TRUE(GetFileAttributesW(desktop(L"Empty").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(readFile(desktop(L"Kept\\inside.txt")), bytesOf("x"));
}

TEST_F(PassTest, ConflictEnterOverwritesTheDesktopCopy) {
    putOnHandheld("/a.xls", bytesOf("handheld"), kOld);
    writeFile(desktop(L"a.shf"), bytesOf("desktop"), kNew);
    DialogAnswerer answerer(GetCurrentProcessId(), {DialogAnswer::Enter});
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(answerer.shownPaths(), std::vector<std::wstring>{L"/a.shf"});
    EXPECT_EQ(readFile(desktop(L"a.shf")), bytesOf("handheld"));
    EXPECT_TRUE(result.received.empty());
    EXPECT_TRUE(hasLine(log(), "file will be updated on desktop"));
}

TEST_F(PassTest, ConflictSecondChoiceSendsTheDesktopCopy) {
    putOnHandheld("/a.xls", bytesOf("handheld"), kOld);
    int32_t id = onHandheld("/a.xls")->id;
    writeFile(desktop(L"a.shf"), bytesOf("desktop copy"), kNew);
    DialogAnswerer answerer(GetCurrentProcessId(), {DialogAnswer::SecondChoiceOk});
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(answerer.shownPaths().size(), 1u);
    EXPECT_EQ(readFile(desktop(L"a.shf")), bytesOf("desktop copy"));
    ASSERT_EQ(result.received.size(), 1u);
    EXPECT_EQ(result.received[0].id, id);
    EXPECT_EQ(result.received[0].time, "20040101120000");
    EXPECT_EQ(onHandheld("/a.xls")->content, bytesOf("desktop copy"));
    EXPECT_TRUE(hasLine(log(), "file will be updated on handheld"));
}

TEST_F(PassTest, ConflictSkipLeavesBothAndAdvancesTheDate) {
    putOnHandheld("/a.xls", bytesOf("handheld"), kOld);
    putOnHandheld("/b.xls", bytesOf("handheld b"), kOld);
    writeFile(desktop(L"a.shf"), bytesOf("desktop"), kNew);
    writeFile(desktop(L"b.shf"), bytesOf("desktop b"), kNew);
    DialogAnswerer answerer(GetCurrentProcessId(), {DialogAnswer::Escape, DialogAnswer::CloseBox});
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(answerer.shownPaths(), (std::vector<std::wstring>{L"/a.shf", L"/b.shf"}));
    EXPECT_EQ(readFile(desktop(L"a.shf")), bytesOf("desktop"));
    EXPECT_EQ(readFile(desktop(L"b.shf")), bytesOf("desktop b"));
    EXPECT_TRUE(result.received.empty());
    EXPECT_EQ(onHandheld("/a.xls")->content, bytesOf("handheld"));
    EXPECT_TRUE(hasLine(log(), "file was skipped"));
    EXPECT_EQ(lastSynchDate(), kNow);
}

TEST_F(PassTest, FirstPassTreatsEveryDesktopFileAsChanged) {
    key_.setBinary(kSettingsKey, L"last synch date", "", 0);
    putOnHandheld("/a.xls", bytesOf("handheld"), kOld);
    writeFile(desktop(L"a.shf"), bytesOf("desktop"), kOld);
    DialogAnswerer answerer(GetCurrentProcessId(), {DialogAnswer::Escape});
    synchronise();
    EXPECT_EQ(answerer.shownPaths(), std::vector<std::wstring>{L"/a.shf"});
    EXPECT_TRUE(hasLine(log(), "Last synch was at " + logTime(0)));
}

TEST_F(PassTest, EmptyPassLogsItsSteps) {
    synchost::SessionResult result = synchronise();
    std::vector<std::string> expected = {
        "=== get info called",
        "=== process called",
        "Unicode Version",
        "tables!=null",
        "tables count = 1",
        "Quire table is found",
        "files = filesTable->LoadRecords(RIM_Mode_ReadWrite)",
        "processing incoming 0 files",
        "Last synch was at 01.01.2005 12:30:15",
        "begin processing incoming files",
        "saving recieved files to desktop...",
        "no files to send",
        "=== process exiting...",
    };
    EXPECT_EQ(log(), expected);
    EXPECT_EQ(result.utilityCalls,
              (std::vector<std::string>{"progress 100 0 0", "status 200 Quire Progress",
                                        "status 201 Processing files...", "progress 102 0 1"}));
}

TEST_F(PassTest, ProgressIsReportedPerRecord) {
    putOnHandheld("/a.xls", patternBytes(40000), kOld);
    synchost::SessionResult result = synchronise();
    EXPECT_EQ(result.utilityCalls,
              (std::vector<std::string>{"progress 100 0 0", "status 200 Quire Progress",
                                        "status 201 Processing files...", "progress 102 2 1",
                                        "progress 103 1 0", "progress 103 2 0"}));
}

TEST_F(PassTest, TableNamesMustMatchExactly) {
    synchost::SessionResult result = synchronise({L"Memo", L"quire"});
    EXPECT_EQ(result.process, S_FALSE);
    std::vector<std::string> lines = log();
    EXPECT_TRUE(hasLine(lines, "Quire table is NOT found"));
    EXPECT_FALSE(hasLine(lines, "=== process exiting..."));
    EXPECT_EQ(lastSynchDate(), kLastPass);
}

TEST_F(PassTest, MissingSyncFolderEndsThePassWithoutADate) {
    RegDeleteKeyValueW(key_.get(), kSettingsKey, L"local synch folder");
    services_->folder = LocalSyncFolder(key_.get());
    EXPECT_EQ(synchronise().process, S_OK);
    std::vector<std::string> lines = log();
    EXPECT_TRUE(hasLine(lines, "!!! process: exception occured Can't get local synch folder"));
    EXPECT_EQ(lines.back(), "=== process exiting...");
    EXPECT_EQ(lastSynchDate(), kLastPass);
}

TEST_F(PassTest, BadRecordsAreSkippedAndTheRestProcessed) {
    putOnHandheld("/good.txt", bytesOf("good"), kOld);
    auto outside = std::make_shared<synchost::RecordData>(*handheld_.records().back());
    outside->fields[1].second = bytesOf("..");
    auto escaping = std::make_shared<synchost::RecordData>(*outside);
    escaping->fields[1].second = bytesOf("evil.txt");
    escaping->fields[2].second = bytesOf("Local/../..");
    handheld_.records().push_back(outside);
    handheld_.records().push_back(escaping);
    synchronise();
    EXPECT_EQ(readFile(desktop(L"good.txt")), bytesOf("good"));
    EXPECT_EQ(filesIn(sync_.path()), std::vector<std::wstring>{L"good.txt"});
    std::vector<std::string> lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "!!! GetFile(...) exception occured"), 2);
    EXPECT_EQ(lastSynchDate(), kNow);
}

TEST_F(PassTest, IncompleteFileDoesNotReplaceADesktopCopy) {
    putOnHandheld("/a.txt", patternBytes(40000), kNew, true);
    putOnHandheld("/new.txt", patternBytes(40000), kNew);
    auto& records = handheld_.records();
    // Lose the second part of both files.
    std::erase_if(records, [](const synchost::RecordPtr& r) { return r->text(7) == "1"; });
    writeFile(desktop(L"a.txt"), bytesOf("good desktop copy"), kOld);
    synchronise();
    EXPECT_EQ(readFile(desktop(L"a.txt")), bytesOf("good desktop copy"));
    EXPECT_TRUE(hasLine(log(), "desktop copy kept"));
    EXPECT_EQ(readFile(desktop(L"new.txt")).size(), kPartSize);
}

std::vector<std::pair<WPARAM, LPARAM>> desktopCommands;
std::function<void()> onDesktopCommand;

LRESULT CALLBACK desktopWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        desktopCommands.push_back({wParam, lParam});
        if (onDesktopCommand) {
            onDesktopCommand();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Runs a pass while a stand-in of the desktop program's main window is up.
// A desktop of the test's own keeps other passes and programs from seeing or
// answering for the window.
void synchroniseBesideDesktopWindow(PassFixture& fixture) {
    desktopCommands.clear();
    std::wstring name = L"QuireTest" + std::to_wstring(GetCurrentProcessId());
    HDESK own = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_TRUE(own);
    std::thread([&] {
        ASSERT_TRUE(SetThreadDesktop(own));
        WNDCLASSW type{};
        type.lpfnWndProc = desktopWindow;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"QuireDesktopStandIn";
        RegisterClassW(&type);
        HWND window = CreateWindowW(L"QuireDesktopStandIn", L"Quire Desktop", WS_OVERLAPPEDWINDOW,
                                    0, 0, 100, 100, nullptr, nullptr, type.hInstance, nullptr);
        ASSERT_TRUE(window);
        fixture.synchronise();
        DestroyWindow(window);
    }).join();
    CloseDesktop(own);
    onDesktopCommand = nullptr;
}

TEST_F(PassTest, DesktopProgramIsToldToListAgain) {
    synchroniseBesideDesktopWindow(*this);
    ASSERT_EQ(desktopCommands.size(), 1u);
    EXPECT_EQ(desktopCommands[0].first, WPARAM(122));
    EXPECT_EQ(desktopCommands[0].second, LPARAM(0));
}

TEST_F(PassTest, DesktopEditDuringThePassCountsAsChangedAtTheNext) {
    services_->environment.now = systemFileTimeNow;
    putOnHandheld("/a.xls", bytesOf("same"), kOld);
    writeFile(desktop(L"a.shf"), bytesOf("same"), kOld);
    // The edit lands after the folder was read, before the pass ends.
    onDesktopCommand = [this] {
        Sleep(20);
        writeFile(desktop(L"a.shf"), bytesOf("edited"), systemFileTimeNow());
    };
    synchroniseBesideDesktopWindow(*this);
    ASSERT_EQ(readFile(desktop(L"a.shf")), bytesOf("edited"));
    EXPECT_LT(lastSynchDate(), fileTime(desktop(L"a.shf")));
    EXPECT_GT(lastSynchDate(), kLastPass);
}

TEST_F(PassTest, UnreadableDocumentIsSkippedAndTheRestSent) {
    writeFile(desktop(L"free.shf"), bytesOf("free"), kOld);
    writeFile(desktop(L"held.shf"), bytesOf("held"), kOld);
    writeFile(desktop(L"readonly.shf"), bytesOf("read only"), kOld);
    SetFileAttributesW(desktop(L"readonly.shf").c_str(), FILE_ATTRIBUTE_READONLY);
    synchost::SessionResult result;
    {
        FileHandle held(CreateFileW(desktop(L"held.shf").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        result = synchronise();
    }
    SetFileAttributesW(desktop(L"readonly.shf").c_str(), FILE_ATTRIBUTE_NORMAL);
    std::vector<std::string> sent;
    for (const auto& record : result.received) {
        sent.push_back(record.path());
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"/free.xls", "/readonly.xls"}));
    EXPECT_EQ(onHandheld("/readonly.xls")->content, bytesOf("read only"));
    // The date stays, so the skipped document is still new at the next pass.
    EXPECT_EQ(lastSynchDate(), kLastPass);

    result = synchronise();
    ASSERT_EQ(result.received.size(), 1u);
    EXPECT_EQ(result.received[0].path(), "/held.xls");
    EXPECT_EQ(lastSynchDate(), kNow);
}

} // namespace
