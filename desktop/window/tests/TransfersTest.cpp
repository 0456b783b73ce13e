#include "FakeConverter.h"
#include "FakeSkylink.h"
#include "FileChecks.h"
#include "MainWindow.h"
#include "Resource.h"
#include "WindowHarness.h"
#include "WindowState.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <deque>

// Export, import and the file operations of both panes, through the window's
// commands, with the converter and wireless client doubles.
namespace quire::sync {
namespace {

using test::FileExists;
using test::HarnessOptions;
using test::ReadTextFile;
using test::WindowHarness;
using test::WriteTextFile;

FakeConverterState& FakeConverter() {
    HMODULE module = GetModuleHandleW(L"SheafConv.dll");
    auto control = reinterpret_cast<FakeConverterControlFunction>(
        GetProcAddress(module, "FakeConverterControl"));
    return *control();
}

FakeSkylinkState& FakeWireless() {
    HMODULE module = GetModuleHandleW(L"skylink.dll");
    auto control =
        reinterpret_cast<FakeSkylinkControlFunction>(GetProcAddress(module, "FakeSkylinkControl"));
    return *control();
}

// Answers the overwrite question from a script and records the names asked about.
struct OverwriteScript {
    struct Answer {
        INT_PTR button;
        std::wstring newName;
    };
    std::deque<Answer> answers;
    std::vector<std::wstring> asked;
    std::vector<bool> cannotReplace;

    std::function<INT_PTR(HWND, wchar_t (&)[MAX_PATH], bool)> Function() {
        return [this](HWND, wchar_t(&name)[MAX_PATH], bool locked) -> INT_PTR {
            asked.emplace_back(name);
            cannotReplace.push_back(locked);
            if (answers.empty()) {
                return IDCANCEL;
            }
            const Answer answer = answers.front();
            answers.pop_front();
            if (!answer.newName.empty()) {
                wcscpy(name, answer.newName.c_str());
            }
            return answer.button;
        };
    }
};

class TransfersTest : public ::testing::Test {
protected:
    // A sync-folder window with the converter double, or the wireless double.
    void Open(bool wireless = false) {
        options_.remoteLocation = wireless ? L"1" : L"2";
        options_.wireless = wireless;
        options_.convertersFolder = QUIRE_TEST_DOUBLES_DIR;
        options_.askOverwrite = overwrite_.Function();
        harness_ = std::make_unique<WindowHarness>(options_);
        harness_->Settings().SuppressSynchWarning();
        FakeConverter() = FakeConverterState{};
    }
    bool Show() {
        if (!harness_->Open()) {
            return false;
        }
        harness_->Messages().For(200);
        return true;
    }
    std::wstring Documents(const std::wstring& name = {}) const {
        return name.empty() ? harness_->Documents() : harness_->Documents() + L'\\' + name;
    }
    std::wstring Device(const std::wstring& name) const {
        return harness_->SyncFolder() + L'\\' + name;
    }
    // Selects the named items; again while a listing still on its way from
    // the start-up or the last transfer clears the selection.
    void SelectNames(int listId, const std::vector<std::wstring>& names) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            std::vector<int> indices;
            for (const std::wstring& name : names) {
                const int index = harness_->FindName(listId, name);
                ASSERT_GE(index, 0) << std::string(name.begin(), name.end());
                indices.push_back(index);
            }
            harness_->Select(listId, indices);
            harness_->Messages().For(100);
            if (harness_->Selected(listId).size() == names.size()) {
                return;
            }
        }
        FAIL() << "the selection does not hold";
    }
    void ListRemoteAgain() {
        harness_->Command(CMD_REFRESH_REMOTE);
        harness_->Messages().For(300);
    }
    bool TemporaryFilesLeft() const {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((harness_->TemporaryFolder() + L"\\~qs*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return false;
        }
        FindClose(search);
        return true;
    }
    std::vector<std::wstring> PromptTexts() const {
        std::vector<std::wstring> texts;
        for (const auto& prompt : harness_->Prompts()) {
            texts.push_back(prompt.text);
        }
        return texts;
    }
    // Renames an item of a list through its in-place edit.
    void EditLabel(int listId, const std::wstring& from, const std::wstring& to) {
        HWND list = harness_->Item(listId);
        SetFocus(list);
        const int index = harness_->FindName(listId, from);
        ASSERT_GE(index, 0);
        SendMessageW(list, LVM_EDITLABELW, index, 0);
        HWND edit = ListView_GetEditControl(list);
        ASSERT_NE(edit, nullptr);
        SetWindowTextW(edit, to.c_str());
        harness_->KeyDown(edit, VK_RETURN);
        harness_->Messages().For(300);
    }

    HarnessOptions options_;
    OverwriteScript overwrite_;
    std::unique_ptr<WindowHarness> harness_;
};

TEST_F(TransfersTest, ExportNamesDocumentsForTheHandheldAndLeavesOutWhatCannotCross) {
    Open();
    test::MakeFolder(Documents(L"Folder"));
    WriteTextFile(Documents(L"Book1.xls"), "workbook");
    WriteTextFile(Documents(L"notes.txt"), "plain");
    WriteTextFile(Documents(L"Memo.doc"), "memo");
    WriteTextFile(Documents(L"why=3F.xls"), "q");
    ASSERT_TRUE(Show());
    SelectNames(IDC_LOCAL_LIST,
                {L"Folder", L"Book1.xls", L"Memo.doc", L"notes.txt", L"why=3F.xls"});
    harness_->Command(ID_EXPORT);
    harness_->Messages().For(300);

    EXPECT_EQ(ReadTextFile(Device(L"Book1.shf")), "converted");
    EXPECT_EQ(ReadTextFile(Device(L"notes.txt")), "plain");
    // No word-processing converter: the failed conversion sends nothing.
    EXPECT_FALSE(FileExists(Device(L"Memo.pgd")));
    EXPECT_FALSE(FileExists(Device(L"Folder")));
    EXPECT_FALSE(TemporaryFilesLeft());
    bool illegalShown = false;
    for (const auto& prompt : harness_->Prompts()) {
        if (prompt.text ==
            L"File name 'why?.shf' contains illegal characters\nand can not be exported") {
            illegalShown = prompt.caption.empty();
        }
    }
    EXPECT_TRUE(illegalShown);
    EXPECT_GE(harness_->FindName(IDC_REMOTE_LIST, L"Book1.shf"), 0);
}

TEST_F(TransfersTest, AFailedConversionNeverReplacesTheHandheldsCopy) {
    Open();
    WriteTextFile(Documents(L"Book1.xls"), "workbook");
    WriteTextFile(Device(L"Book1.shf"), "the handheld's copy");
    ASSERT_TRUE(Show());
    FakeConverter().result = -10000;
    overwrite_.answers.push_back({IDOK, L""});
    SelectNames(IDC_LOCAL_LIST, {L"Book1.xls"});
    harness_->Command(ID_EXPORT);
    EXPECT_EQ(overwrite_.asked, std::vector<std::wstring>{L"Book1.shf"});
    EXPECT_EQ(ReadTextFile(Device(L"Book1.shf")), "the handheld's copy");
    EXPECT_FALSE(TemporaryFilesLeft());
    EXPECT_EQ(FakeConverter().exports, 1);
}

TEST_F(TransfersTest, ExistingNamesAreOverwrittenSkippedOrRenamed) {
    Open();
    for (const wchar_t* name : {L"Book1", L"Book2", L"Book3"}) {
        WriteTextFile(Documents(std::wstring(name) + L".xls"), "new");
        WriteTextFile(Device(std::wstring(name) + L".shf"), "old");
    }
    ASSERT_TRUE(Show());
    overwrite_.answers = {{IDOK, L""},
                          {IDCANCEL, L""},
                          {IDC_OVERWRITE_RENAME, L"Book3.txt"},
                          {IDC_OVERWRITE_RENAME, L"Fresh.SHF"}};
    harness_->Prompter().Answer(IDNO); // keep the extension
    SelectNames(IDC_LOCAL_LIST, {L"Book1.xls", L"Book2.xls", L"Book3.xls"});
    harness_->Command(ID_EXPORT);
    harness_->Messages().For(300);

    EXPECT_EQ(overwrite_.asked,
              (std::vector<std::wstring>{L"Book1.shf", L"Book2.shf", L"Book3.shf", L"Book3.shf"}));
    ASSERT_FALSE(harness_->Prompts().empty());
    EXPECT_EQ(harness_->Prompts().front().text, ResourceText(IDS_CHANGE_EXTENSION));
    EXPECT_EQ(harness_->Prompts().front().style & MB_YESNO, UINT(MB_YESNO));
    EXPECT_EQ(ReadTextFile(Device(L"Book1.shf")), "converted");
    EXPECT_EQ(ReadTextFile(Device(L"Book2.shf")), "old");
    EXPECT_EQ(ReadTextFile(Device(L"Book3.shf")), "old");
    EXPECT_EQ(ReadTextFile(Device(L"Fresh.SHF")), "converted");
}

TEST_F(TransfersTest, WirelessTransfersCrossUnconvertedWithTheirNamesEscaped) {
    Open(true);
    WriteTextFile(Documents(L"a=3Ab.xls"), "abc");
    FakeSkylinkState& wireless = FakeWireless();
    wireless = FakeSkylinkState{};
    strcpy(wireless.entries[0].name, "c|d.shf");
    wireless.entries[0].size = 3000000000u;
    wireless.entries[0].kind = REMOTE_SHEAF;
    wireless.entryCount = 1;
    harness_->Settings().SaveLogin({L"http://server/", L"ann", L"pw"}, true);
    test::DialogDriver login(L"Wireless Server Login",
                             [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    ASSERT_TRUE(Show());
    ASSERT_TRUE(harness_->Messages().Until(
        [&] { return harness_->FindName(IDC_REMOTE_LIST, L"c|d.shf") >= 0; }));
    EXPECT_EQ(harness_->SizeText(IDC_REMOTE_LIST, 0), L"3000000000");

    SelectNames(IDC_LOCAL_LIST, {L"a=3Ab.xls"});
    harness_->Command(ID_EXPORT);
    EXPECT_STREQ(wireless.remotePath, "/a:b.xls");
    EXPECT_EQ(std::wstring(wireless.pcPath), Documents(L"a=3Ab.xls"));
    EXPECT_EQ(FakeConverter().exports, 0);
    // The listing after the export would clear a selection made before it.
    ASSERT_TRUE(harness_->Messages().Until(
        [&] { return std::string(wireless.calls).find("SL") != std::string::npos; }));
    harness_->Messages().For(300);

    SelectNames(IDC_REMOTE_LIST, {L"c|d.shf"});
    harness_->Command(ID_IMPORT);
    EXPECT_STREQ(wireless.remotePath, "/c|d.shf");
    EXPECT_EQ(std::wstring(wireless.pcPath), Documents(L"c=7Cd.shf"));
    EXPECT_EQ(FakeConverter().imports, 0);
}

TEST_F(TransfersTest, ImportConvertsIntoTheLocalFolderAndProbesBeforeWriting) {
    Open();
    WriteTextFile(Device(L"Book1.shf"), "sheaf");
    WriteTextFile(Device(L"Locked.shf"), "sheaf");
    WriteTextFile(Documents(L"Locked.xls"), "keep me");
    SetFileAttributesW(Documents(L"Locked.xls").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(Show());

    overwrite_.answers = {{IDOK, L""}};
    SelectNames(IDC_REMOTE_LIST, {L"Locked.shf"});
    harness_->Command(ID_IMPORT);
    ASSERT_EQ(overwrite_.asked, std::vector<std::wstring>{L"Locked.xls"});
    std::vector<std::wstring> texts = PromptTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind(L"Cannot write to device\n", 0), 0u);
    EXPECT_EQ(ReadTextFile(Documents(L"Locked.xls")), "keep me");
    EXPECT_EQ(FakeConverter().imports, 0);

    SelectNames(IDC_REMOTE_LIST, {L"Book1.shf", L"Locked.shf"});
    overwrite_.answers = {{IDOK, L""}};
    harness_->Command(ID_IMPORT);
    harness_->Messages().For(300);
    EXPECT_EQ(ReadTextFile(Documents(L"Book1.xls")), "converted");
    EXPECT_EQ(FakeConverter().imports, 2);
    EXPECT_GE(harness_->FindName(IDC_LOCAL_LIST, L"Book1.xls"), 0);
    SetFileAttributesW(Documents(L"Locked.xls").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST(WriteProbeTest, LeavesAnExistingFileExactlyAsItWas) {
    test::Scratch scratch;
    const std::wstring existing = scratch.PathOf(L"existing.xls");
    WriteTextFile(existing, "contents");
    FILETIME written{1234567, 30000000};
    {
        HANDLE file = CreateFileW(existing.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    EXPECT_EQ(ProbeFileWrite(existing), 0u);
    EXPECT_EQ(ReadTextFile(existing), "contents");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(existing.c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &written), 0);

    SetFileAttributesW(existing.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_NE(ProbeFileWrite(existing), 0u);
    SetFileAttributesW(existing.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadTextFile(existing), "contents");

    const std::wstring fresh = scratch.PathOf(L"fresh.xls");
    EXPECT_EQ(ProbeFileWrite(fresh), 0u);
    EXPECT_FALSE(FileExists(fresh));
    EXPECT_NE(ProbeFileWrite(scratch.PathOf(L"missing\\fresh.xls")), 0u);
    EXPECT_NE(ProbeFileWrite(scratch.Folder()), 0u);
}

TEST_F(TransfersTest, RemoteDeleteAsksThenErasesEveryChosenDocument) {
    Open();
    for (const wchar_t* name : {L"a.shf", L"b.shf", L"c.shf"}) {
        WriteTextFile(Device(name), "x");
    }
    ASSERT_TRUE(Show());
    SelectNames(IDC_REMOTE_LIST, {L"a.shf"});
    harness_->Prompter().Answer(IDNO);
    harness_->Command(ID_REMOTE_DELETE);
    EXPECT_TRUE(FileExists(Device(L"a.shf")));

    SelectNames(IDC_REMOTE_LIST, {L"a.shf", L"b.shf", L"c.shf"});
    harness_->Prompter().Answer(IDYES);
    harness_->Command(ID_REMOTE_DELETE);
    harness_->Messages().For(300);
    const std::vector<std::wstring> texts = PromptTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"Are you sure you want to delete a.shf?");
    EXPECT_EQ(texts[1], L"Are you sure you want to delete 3 documents?");
    EXPECT_EQ(harness_->Prompts()[1].style, UINT(MB_YESNO | MB_ICONQUESTION));
    for (const wchar_t* name : {L"a.shf", L"b.shf", L"c.shf"}) {
        EXPECT_FALSE(FileExists(Device(name)));
    }
    EXPECT_TRUE(harness_->Names(IDC_REMOTE_LIST).empty());
}

TEST_F(TransfersTest, LocalDeleteHandsTheSelectionToTheShellWithUndo) {
    Open();
    WriteTextFile(Documents(L"a.txt"), "x");
    WriteTextFile(Documents(L"b.txt"), "x");
    WriteTextFile(Documents(L"keep.txt"), "x");
    ASSERT_TRUE(Show());
    SelectNames(IDC_LOCAL_LIST, {L"a.txt", L"b.txt"});
    harness_->Command(ID_LOCAL_DELETE);
    ASSERT_EQ(harness_->ShellOperations().size(), 1u);
    const auto& call = harness_->ShellOperations()[0];
    EXPECT_EQ(call.function, UINT(FO_DELETE));
    EXPECT_TRUE(call.flags & FOF_ALLOWUNDO);
    EXPECT_EQ(call.from, (std::vector<std::wstring>{Documents(L"a.txt"), Documents(L"b.txt")}));
    EXPECT_FALSE(FileExists(Documents(L"a.txt")));
    EXPECT_EQ(harness_->Names(IDC_LOCAL_LIST), std::vector<std::wstring>{L"keep.txt"});

    // Drives are never handed to the shell.
    CurrentLocalFolder[0] = L'\0';
    harness_->Command(ID_LOCAL_RELIST);
    harness_->Select(IDC_LOCAL_LIST, {0});
    harness_->Command(ID_LOCAL_DELETE);
    EXPECT_EQ(harness_->ShellOperations().size(), 1u);
}

TEST_F(TransfersTest, LocalRenameAsksOnlyWhenAFilesExtensionChanges) {
    Open();
    WriteTextFile(Documents(L"Book1.xls"), "x");
    test::MakeFolder(Documents(L"Old.dir"));
    ASSERT_TRUE(Show());
    harness_->Prompter().Answer(IDNO);
    EditLabel(IDC_LOCAL_LIST, L"Book1.xls", L"Book1.txt");
    EXPECT_TRUE(FileExists(Documents(L"Book1.xls")));
    ASSERT_EQ(PromptTexts().size(), 1u);
    EXPECT_TRUE(harness_->ShellOperations().empty());

    EditLabel(IDC_LOCAL_LIST, L"Book1.xls", L"Book2.XLS");
    EditLabel(IDC_LOCAL_LIST, L"Old.dir", L"New");
    EXPECT_EQ(PromptTexts().size(), 1u);
    EXPECT_TRUE(FileExists(Documents(L"Book2.XLS")));
    EXPECT_TRUE(FileExists(Documents(L"New")));
    ASSERT_EQ(harness_->ShellOperations().size(), 2u);
    EXPECT_EQ(harness_->ShellOperations()[0].function, UINT(FO_RENAME));
    EXPECT_EQ(harness_->ShellOperations()[0].to,
              std::vector<std::wstring>{Documents(L"Book2.XLS")});
    EXPECT_EQ(harness_->Names(IDC_LOCAL_LIST), (std::vector<std::wstring>{L"New", L"Book2.XLS"}));

    // A name that would leave the folder is refused.
    EditLabel(IDC_LOCAL_LIST, L"New", L"..\\Escaped");
    EXPECT_EQ(harness_->ShellOperations().size(), 2u);
    EXPECT_TRUE(FileExists(Documents(L"New")));
}

TEST_F(TransfersTest, NewLocalFolderTakesTheNextFreeNameAndOpensItForRenaming) {
    Open();
    test::MakeFolder(Documents(L"New Folder"));
    test::MakeFolder(Documents(L"New Folder (1)"));
    ASSERT_TRUE(Show());
    harness_->Command(ID_LOCAL_NEW_FOLDER);
    EXPECT_TRUE(FileExists(Documents(L"New Folder (2)")));
    HWND edit = ListView_GetEditControl(harness_->Item(IDC_LOCAL_LIST));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(test::ControlText(edit), L"New Folder (2)");
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    harness_->Messages().For(100);
}

TEST_F(TransfersTest, RemoteFoldersAreMadeAndRenamedInsideTheSyncFolder) {
    Open();
    test::MakeFolder(Device(L"new folder"));
    WriteTextFile(Device(L"a.shf"), "a");
    WriteTextFile(Device(L"b.shf"), "b");
    ASSERT_TRUE(Show());
    harness_->Command(ID_REMOTE_NEW_FOLDER);
    ASSERT_TRUE(harness_->Messages().Until(
        [&] { return ListView_GetEditControl(harness_->Item(IDC_REMOTE_LIST)) != nullptr; }));
    EXPECT_TRUE(FileExists(Device(L"New Folder (1)")));
    HWND edit = ListView_GetEditControl(harness_->Item(IDC_REMOTE_LIST));
    EXPECT_EQ(test::ControlText(edit), L"New Folder (1)");
    SetWindowTextW(edit, L"Plans");
    harness_->KeyDown(edit, VK_RETURN);
    harness_->Messages().For(500);
    EXPECT_TRUE(FileExists(Device(L"Plans")));
    EXPECT_EQ(harness_->Selected(IDC_REMOTE_LIST), std::vector<std::wstring>{L"Plans"});

    // A clash fails with the system's message and leaves both names.
    EditLabel(IDC_REMOTE_LIST, L"a.shf", L"b.shf");
    EXPECT_EQ(ReadTextFile(Device(L"a.shf")), "a");
    EXPECT_EQ(ReadTextFile(Device(L"b.shf")), "b");
    ASSERT_FALSE(harness_->Prompts().empty());
    EXPECT_EQ(harness_->Prompts().back().text.rfind(L"Quire Desktop\n", 0), 0u);
    // Nothing is moved out of the shown folder.
    EditLabel(IDC_REMOTE_LIST, L"a.shf", L"../a.shf");
    EXPECT_TRUE(FileExists(Device(L"a.shf")));
    EXPECT_FALSE(FileExists(harness_->Files().PathOf(L"a.shf")));
}

TEST_F(TransfersTest, DroppingALocalDragOnTheRemoteListExports) {
    Open();
    WriteTextFile(Documents(L"Book1.xls"), "x");
    test::MakeFolder(Documents(L"Folder"));
    ASSERT_TRUE(Show());
    HWND window = harness_->Window();
    HWND local = harness_->Item(IDC_LOCAL_LIST);
    HWND remote = harness_->Item(IDC_REMOTE_LIST);
    auto beginDrag = [&] {
        NMLISTVIEW begin{};
        begin.hdr.hwndFrom = local;
        begin.hdr.idFrom = IDC_LOCAL_LIST;
        begin.hdr.code = LVN_BEGINDRAG;
        SendMessageW(window, WM_NOTIFY, IDC_LOCAL_LIST, reinterpret_cast<LPARAM>(&begin));
    };
    auto pointIn = [&](HWND list) {
        RECT place{};
        GetWindowRect(list, &place);
        POINT point{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
        ScreenToClient(window, &point);
        return MAKELPARAM(point.x, point.y);
    };

    SelectNames(IDC_LOCAL_LIST, {L"Folder"});
    beginDrag();
    EXPECT_NE(GetCapture(), window); // folders alone cannot be exported

    SelectNames(IDC_LOCAL_LIST, {L"Book1.xls"});
    beginDrag();
    EXPECT_EQ(GetCapture(), window);
    SendMessageW(window, WM_MOUSEMOVE, 0, pointIn(local));
    SendMessageW(window, WM_LBUTTONUP, 0, pointIn(local));
    EXPECT_NE(GetCapture(), window);
    EXPECT_FALSE(FileExists(Device(L"Book1.shf")));

    beginDrag();
    SendMessageW(window, WM_MOUSEMOVE, 0, pointIn(remote));
    SendMessageW(window, WM_LBUTTONUP, 0, pointIn(remote));
    harness_->Messages().For(300);
    EXPECT_EQ(ReadTextFile(Device(L"Book1.shf")), "converted");
}

} // namespace
} // namespace quire::sync
