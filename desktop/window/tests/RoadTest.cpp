// The road of a document, driven through the real main window: workbooks
// exported through the real converter into the device sync folder, carried to
// the simulated handheld and back by the synchronisation host and the add-in,
// imported again; the same against the wireless server; and what may happen on
// the way (Cancel, failed copies, existing and illegal names, deletes, new
// folders, dragging between the panes).
#include "ConverterLibrary.h"
#include "MainWindow.h"
#include "MessagePrompts.h"
#include "Messages.h"
#include "Resource.h"
#include "RoadSupport.h"
#include "WindowHarness.h"
#include "WindowState.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace quire::sync {
namespace {

using test::CellDump;
using test::DialogEvent;
using test::DialogWatcher;
using test::HarnessOptions;
using test::PressCancel;
using test::TransferTrace;
using test::WindowHarness;
using test::WorkbookContent;

const WorkbookContent kBook1{{{"Budget",
                               {{"A1", "Item"},
                                {"B1", "Cost"},
                                {"A2", "Rent"},
                                {"B2", "1200"},
                                {"A3", "Food"},
                                {"B3", "350.75"},
                                {"A4", "Total"},
                                {"B4", "=SUM(B2:B3)"}}}}};
const WorkbookContent kBook2{
    {{"Data", {{"A1", "1"}, {"A2", "2.5"}, {"A3", "=A1+A2"}, {"B1", "north"}, {"B2", "south"}}},
     {"Sums", {{"A1", "=Data!A3*2"}, {"B1", "twice"}}}}};
// Book1 as the handheld's user left it.
const WorkbookContent kBook1Edited{{{"Budget",
                                     {{"A1", "Item"},
                                      {"B1", "Cost"},
                                      {"A2", "Rent"},
                                      {"B2", "1250"},
                                      {"A3", "Food"},
                                      {"B3", "350.75"},
                                      {"A4", "Total"},
                                      {"B4", "=SUM(B2:B3)"},
                                      {"A5", "Note"},
                                      {"B5", "edited on the handheld"}}}}};

std::wstring Backslashed(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

const std::wstring& ConvertersFolder() {
    static const std::wstring folder = Backslashed(QUIRE_SHEAFCONV_DIR);
    return folder;
}

const std::wstring& WirelessFolder() {
    static const std::wstring folder = Backslashed(QUIRE_SKYLINK_DIR);
    return folder;
}

void WriteBook(const std::wstring& path, const WorkbookContent& content) {
    std::string error;
    ASSERT_TRUE(test::WriteWorkbook(path, content, error)) << error;
}

CellDump CellsOf(const std::wstring& path) {
    CellDump cells;
    std::string error;
    EXPECT_TRUE(test::ReadWorkbook(path, cells, error)) << test::ToNarrow(path) << ": " << error;
    return cells;
}

std::wstring Size(const std::wstring& path) {
    return std::to_wstring(test::ReadBytes(path).size());
}

void ShowFolder(WindowHarness& harness, const std::wstring& folder) {
    StoreFixedText(CurrentLocalFolder, folder);
    harness.Command(ID_LOCAL_RELIST);
    harness.Messages().For(50);
}

void SelectNames(WindowHarness& harness, int listId, const std::vector<std::wstring>& names) {
    std::vector<int> indices;
    for (const std::wstring& name : names) {
        const int index = harness.FindName(listId, name);
        ASSERT_GE(index, 0) << test::ToNarrow(name);
        indices.push_back(index);
    }
    harness.Select(listId, indices);
}

bool RemoteNamesBecome(WindowHarness& harness, const std::vector<std::wstring>& names) {
    return harness.Messages().Until([&] { return harness.Names(IDC_REMOTE_LIST) == names; });
}

void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// The prompts shown since the first `from` of them.
std::vector<test::ScriptedPrompter::Prompt> PromptsSince(const WindowHarness& harness,
                                                         size_t from) {
    const auto prompts = harness.Prompts();
    return {prompts.begin() + static_cast<ptrdiff_t>(std::min(from, prompts.size())),
            prompts.end()};
}

// The label editor of the remote list, once the window has started it.
HWND RemoteLabelEditor(WindowHarness& harness) {
    HWND editor = nullptr;
    harness.Messages().Until([&] {
        editor = ListView_GetEditControl(harness.Item(IDC_REMOTE_LIST));
        return editor != nullptr;
    });
    return editor;
}

// Types a name into the label editor and ends the edit with Enter.
void EnterLabel(WindowHarness& harness, HWND editor, const std::wstring& name) {
    SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    harness.KeyDown(editor, VK_RETURN);
}

// The centre of a pane's list in the main window's client coordinates.
LPARAM CentreOf(WindowHarness& harness, int listId) {
    HWND list = harness.Item(listId);
    RECT rect{};
    GetClientRect(list, &rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MapWindowPoints(list, harness.Window(), &centre, 1);
    return MAKELPARAM(centre.x, centre.y);
}

// Starts dragging the selection of one list as the list's notification does.
void BeginDrag(WindowHarness& harness, int listId) {
    NMLISTVIEW drag{};
    drag.hdr.hwndFrom = harness.Item(listId);
    drag.hdr.idFrom = static_cast<UINT_PTR>(listId);
    drag.hdr.code = LVN_BEGINDRAG;
    drag.iItem = ListView_GetNextItem(harness.Item(listId), -1, LVNI_SELECTED);
    SendMessageW(harness.Window(), WM_NOTIFY, static_cast<WPARAM>(listId),
                 reinterpret_cast<LPARAM>(&drag));
}

// Moves the dragged selection over a list and lets it go there.
void DropOn(WindowHarness& harness, int listId) {
    const LPARAM point = CentreOf(harness, listId);
    SendMessageW(harness.Window(), WM_MOUSEMOVE, MK_LBUTTON, point);
    SendMessageW(harness.Window(), WM_LBUTTONUP, 0, point);
}

// The answers of the question about an existing name, by the name asked about.
struct OverwriteAnswers {
    struct Answer {
        INT_PTR button;
        std::wstring renamed; // for Rename...
    };
    std::map<std::wstring, Answer> byName;
    std::vector<std::wstring> asked;

    std::function<INT_PTR(HWND, wchar_t (&)[MAX_PATH], bool)> Question() {
        return [this](HWND, wchar_t(&name)[MAX_PATH], bool cannotReplace) -> INT_PTR {
            asked.push_back(name + std::wstring(cannotReplace ? L" (cannot replace)" : L""));
            const auto found = byName.find(name);
            if (found == byName.end()) {
                return IDCANCEL;
            }
            if (!found->second.renamed.empty()) {
                wcsncpy(name, found->second.renamed.c_str(), MAX_PATH - 1);
                name[MAX_PATH - 1] = L'\0';
            }
            return found->second.button;
        };
    }
};

// A window on the device sync folder with the real converter and wireless
// client, its settings where the add-in finds them through the host's user
// root; the PC pane shows the documents folder, which holds Book1.xls and
// Book2.xls.
// What both roads do with their window: transfers of the named items and
// PC folders of the test's own.
class RoadFixture : public testing::Test {
protected:
    void Export(const std::vector<std::wstring>& names) {
        SelectNames(*harness, IDC_LOCAL_LIST, names);
        harness->Command(ID_EXPORT);
    }
    void Import(const std::vector<std::wstring>& names) {
        SelectNames(*harness, IDC_REMOTE_LIST, names);
        harness->Command(ID_IMPORT);
    }
    // A PC folder of the test's own, shown in the PC pane.
    std::wstring ShowNewFolder(const std::wstring& name) {
        const std::wstring folder = harness->Files().PathOf(name);
        test::MakeFolder(folder);
        ShowFolder(*harness, folder);
        return folder;
    }

    // The window goes before the fixture's members that its questions use.
    void TearDown() override { harness.reset(); }

    std::unique_ptr<WindowHarness> harness;
};

class SyncFolderRoad : public RoadFixture {
protected:
    void SetUp() override {
        HarnessOptions options;
        options.remoteLocation = L"2";
        options.convertersFolder = ConvertersFolder();
        options.wirelessFolder = WirelessFolder();
        options.settingsUnderUserRoot = true;
        options.askOverwrite = answers.Question();
        harness = std::make_unique<WindowHarness>(options);
        pc = harness->Documents();
        sync = harness->SyncFolder();
        WriteBook(pc + L"\\Book1.xls", kBook1);
        WriteBook(pc + L"\\Book2.xls", kBook2);
    }

    void Open(bool warnAfterExport = false) {
        if (!warnAfterExport) {
            harness->Settings().SuppressSynchWarning();
        }
        ASSERT_TRUE(harness->Open());
        ASSERT_TRUE(harness->Messages().Until(
            [this] { return harness->FindName(IDC_LOCAL_LIST, L"Book2.xls") >= 0; }));
    }

    OverwriteAnswers answers;
    std::wstring pc, sync;
};

TEST_F(SyncFolderRoad, ExportConvertsBothWorkbooksThenSendsThem) {
    Open(true);
    SelectNames(*harness, IDC_LOCAL_LIST, {L"Book1.xls", L"Book2.xls"});
    ASSERT_TRUE(harness->ButtonEnabled(IDC_EXPORT_BAR, ID_EXPORT));
    DialogWatcher warning(L"Warning!",
                          [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    TransferTrace trace(harness->Window());
    harness->Command(ID_EXPORT);

    EXPECT_EQ(trace.Captions(),
              std::vector<std::wstring>{L"Exporting files to device sync folder..."});
    EXPECT_EQ(trace.StepLines(),
              (std::vector<std::wstring>{L"Converting Book1.xls...", L"Converting Book2.xls...",
                                         L"Uploading Book1.shf...", L"Uploading Book2.shf..."}));
    EXPECT_EQ(trace.Replies(MSG_EXPORT_CONVERT), 2);
    EXPECT_EQ(trace.Replies(MSG_SEND), 2);
    // Half the bar for the conversions, the other half for the copies.
    EXPECT_EQ(trace.PositionBefore(IDC_TRANSFER_OVERALL_BAR, L"Uploading Book1.shf..."), 50);
    const std::vector<UINT> overall = trace.Positions(IDC_TRANSFER_OVERALL_BAR);
    ASSERT_FALSE(overall.empty());
    EXPECT_EQ(overall.back(), 100u);
    EXPECT_LE(*std::max_element(overall.begin(), overall.end()), 100u);

    EXPECT_EQ(test::FolderNames(sync), (std::vector<std::wstring>{L"Book1.shf", L"Book2.shf"}));
    EXPECT_EQ(test::HandheldSheetCount(sync + L"\\Book1.shf"), 1);
    EXPECT_EQ(test::HandheldSheetCount(sync + L"\\Book2.shf"), 2);
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    EXPECT_EQ(warning.Seen(), 1);
    EXPECT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf", L"Book2.shf"}));
    EXPECT_EQ(harness->SizeText(IDC_REMOTE_LIST, 0), Size(sync + L"\\Book1.shf"));
    EXPECT_TRUE(harness->Prompts().empty());
}

TEST_F(SyncFolderRoad, ImportBringsBackTheCellsOfBothWorkbooks) {
    Open();
    Export({L"Book1.xls", L"Book2.xls"});
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf", L"Book2.shf"}));
    const std::wstring back = ShowNewFolder(L"back");
    TransferTrace trace(harness->Window());
    Import({L"Book1.shf", L"Book2.shf"});

    EXPECT_EQ(trace.Captions(),
              std::vector<std::wstring>{L"Importing files from device sync folder..."});
    EXPECT_EQ(trace.StepLines(),
              (std::vector<std::wstring>{L"Downloading Book1.shf...", L"Downloading Book2.shf...",
                                         L"Converting Book1.xls...", L"Converting Book2.xls..."}));
    EXPECT_EQ(trace.Replies(MSG_FETCH), 2);
    EXPECT_EQ(trace.Replies(MSG_IMPORT_CONVERT), 2);
    EXPECT_EQ(trace.PositionBefore(IDC_TRANSFER_OVERALL_BAR, L"Converting Book1.xls..."), 50);
    EXPECT_EQ(trace.Positions(IDC_TRANSFER_OVERALL_BAR).back(), 100u);

    ASSERT_EQ(test::FolderNames(back), (std::vector<std::wstring>{L"Book1.xls", L"Book2.xls"}));
    EXPECT_EQ(CellsOf(back + L"\\Book1.xls"), CellsOf(pc + L"\\Book1.xls"));
    EXPECT_EQ(CellsOf(back + L"\\Book2.xls"), CellsOf(pc + L"\\Book2.xls"));
    // The LibreOffice run (road-libreoffice.sh) reads both sides again.
    if (const char* keep = std::getenv("QUIRE_ROAD_KEEP")) {
        const std::wstring kept = test::WindowsPathOfHost(keep);
        for (const wchar_t* name : {L"\\Book1.xls", L"\\Book2.xls"}) {
            EXPECT_TRUE(
                CopyFileW((pc + name).c_str(), (kept + L"\\original" + name).c_str(), FALSE));
            EXPECT_TRUE(CopyFileW((back + name).c_str(), (kept + L"\\back" + name).c_str(), FALSE));
        }
    }
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    EXPECT_TRUE(
        harness->Messages().Until([&] { return harness->Names(IDC_LOCAL_LIST).size() == 2; }));
    EXPECT_TRUE(harness->Prompts().empty());
}

TEST_F(SyncFolderRoad, SynchronisationCarriesThemToTheHandheldAndAnEditBack) {
    Open();
    Export({L"Book1.xls", L"Book2.xls"});
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf", L"Book2.shf"}));
    const std::wstring host = harness->Files().PathOf(L"host");
    test::MakeFolder(host);
    const std::wstring database = L"\"" + host + L"\\handheld\"";
    const std::wstring synchronise = L"sync " + database + L" --addin \"" +
                                     Backslashed(QUIRE_ADDIN_DLL) + L"\" --user-root \"" +
                                     harness->UserRoot() + L"\"";
    auto run = [&](const std::wstring& arguments) {
        return test::RunChild(Backslashed(QUIRE_SYNCHOST_EXE), arguments, host,
                              harness->Messages());
    };
    TransferTrace trace(harness->Window());

    const test::ChildRun first = run(synchronise);
    ASSERT_TRUE(first.started);
    EXPECT_EQ(first.exitCode, 0u) << first.output;
    for (const wchar_t* name : {L"Book1", L"Book2"}) {
        const std::string line = "to handheld: /" + test::ToNarrow(name) + ".xls (" +
                                 test::ToNarrow(Size(sync + L"\\" + name + L".shf")) + " bytes)";
        EXPECT_NE(first.output.find(line), std::string::npos) << line << "\n" << first.output;
    }
    const test::ChildRun listed = run(L"list " + database);
    EXPECT_EQ(listed.exitCode, 0u);
    EXPECT_NE(listed.output.find("\t/Book1.xls"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("\t/Book2.xls"), std::string::npos) << listed.output;
    const test::ChildRun fetched = run(L"get " + database + L" /Book1.xls \"" + host + L"\\got\"");
    EXPECT_EQ(fetched.exitCode, 0u) << fetched.output;
    EXPECT_EQ(test::ReadBytes(host + L"\\got"), test::ReadBytes(sync + L"\\Book1.shf"));
    // The add-in told the open window to list its pane again.
    const auto refreshes = [&] {
        const std::vector<WORD> commands = trace.MainWindowCommands();
        return std::count(commands.begin(), commands.end(), CMD_REFRESH_REMOTE);
    };
    EXPECT_EQ(refreshes(), 1);

    // On the handheld, Book1 is edited and a document comes into a folder.
    WriteBook(host + L"\\Edited.xls", kBook1Edited);
    SheafConvLibrary converter(ConvertersFolder());
    ASSERT_EQ(converter.DeviceExport(host + L"\\Edited.xls", host + L"\\Edited.shf", nullptr, 0),
              0);
    EXPECT_EQ(run(L"put " + database + L" \"" + host + L"\\Edited.shf\" /Book1.xls").exitCode, 0u);
    EXPECT_EQ(run(L"put " + database + L" \"" + sync + L"\\Book2.shf\" /Archive/Old.xls").exitCode,
              0u);
    const test::ChildRun second = run(synchronise);
    EXPECT_EQ(second.exitCode, 0u) << second.output;
    EXPECT_EQ(refreshes(), 2);
    EXPECT_EQ(test::ReadBytes(sync + L"\\Book1.shf"), test::ReadBytes(host + L"\\Edited.shf"));
    EXPECT_EQ(test::FolderNames(sync + L"\\Archive"), std::vector<std::wstring>{L"Old.shf"});
    // The pane shows the change without being asked.
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Archive", L"Book1.shf", L"Book2.shf"}));
    EXPECT_EQ(harness->SizeText(IDC_REMOTE_LIST, 1), Size(host + L"\\Edited.shf"));

    // Imported, the edit is in the cells.
    const std::wstring back = ShowNewFolder(L"back");
    Import({L"Book1.shf"});
    EXPECT_EQ(CellsOf(back + L"\\Book1.xls"), CellsOf(host + L"\\Edited.xls"));
    EXPECT_NE(CellsOf(back + L"\\Book1.xls"), CellsOf(pc + L"\\Book1.xls"));
    EXPECT_TRUE(harness->Prompts().empty());
}

TEST_F(SyncFolderRoad, CancelDuringAConversionEndsTheBatchThere) {
    CopyFileW((pc + L"\\Book1.xls").c_str(), (pc + L"\\Book3.xls").c_str(), FALSE);
    Open();
    TransferTrace trace(harness->Window());
    bool second = false, pressed = false;
    trace.onEvent = [&](const DialogEvent& event) {
        if (event.text == L"Converting Book2.xls...") {
            second = true;
        } else if (second && !pressed && event.message == MSG_PROGRESS && event.control == 0) {
            pressed = true;
            PressCancel(event.dialog);
        }
    };
    Export({L"Book1.xls", L"Book2.xls", L"Book3.xls"});

    ASSERT_TRUE(pressed);
    // Book1 converted, Book2 stopped inside the converter, nothing further.
    EXPECT_EQ(trace.StepLines(),
              (std::vector<std::wstring>{L"Converting Book1.xls...", L"Converting Book2.xls..."}));
    EXPECT_EQ(trace.Replies(MSG_EXPORT_CONVERT), 1);
    EXPECT_EQ(trace.Replies(MSG_SEND), 0);
    const std::vector<std::wstring> lines = trace.StatusLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         L"Converting Book2.xls... - Data conversion complete"),
              0);
    EXPECT_TRUE(test::FolderNames(sync).empty());
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    // Cancel is not a failure: no message.
    EXPECT_TRUE(harness->Prompts().empty());
}

TEST_F(SyncFolderRoad, CancelAfterACopyLeavesTheRestUnsent) {
    CopyFileW((pc + L"\\Book1.xls").c_str(), (pc + L"\\Book3.xls").c_str(), FALSE);
    Open();
    TransferTrace trace(harness->Window());
    bool pressed = false;
    trace.onEvent = [&](const DialogEvent& event) {
        if (!pressed && event.message == MSG_SEND && event.control == 0) {
            pressed = true;
            PressCancel(event.dialog);
        }
    };
    Export({L"Book1.xls", L"Book2.xls", L"Book3.xls"});

    ASSERT_TRUE(pressed);
    EXPECT_EQ(trace.Replies(MSG_EXPORT_CONVERT), 3);
    EXPECT_EQ(trace.Replies(MSG_SEND), 1);
    EXPECT_EQ(test::FolderNames(sync), std::vector<std::wstring>{L"Book1.shf"});
    EXPECT_EQ(test::HandheldSheetCount(sync + L"\\Book1.shf"), 1);
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    EXPECT_TRUE(harness->Prompts().empty());

    // The next export runs whole again.
    Export({L"Book2.xls", L"Book3.xls"});
    EXPECT_EQ(test::FolderNames(sync),
              (std::vector<std::wstring>{L"Book1.shf", L"Book2.shf", L"Book3.shf"}));
}

// The handheld's copy is open in another program that lets nobody write it.
// (A read-only copy would do on Windows; under Wine an account that may write
// anything copies over it.)
TEST_F(SyncFolderRoad, FailedCopyAsksAbortRetryIgnore) {
    const std::string old = "the handheld's own copy";
    const std::wstring target = sync + L"\\Book1.shf";
    test::WriteBytes(target, old);
    answers.byName[L"Book1.shf"] = {IDOK, L""};
    answers.byName[L"Book2.shf"] = {IDOK, L""};
    Open();
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf"}));
    const std::wstring failure =
        ResourceText(IDS_FILE_UPLOAD_FAILED) + L"\n" + SystemErrorText(ERROR_SHARING_VIOLATION);
    struct Round {
        int answer;
        bool book1Replaced;
        bool book2Sent;
    };
    for (const Round round :
         {Round{IDIGNORE, false, true}, Round{IDABORT, false, false}, Round{IDRETRY, true, true}}) {
        SCOPED_TRACE(round.answer);
        RemoveFile(sync + L"\\Book2.shf");
        std::atomic<HANDLE> holder{CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                               nullptr, OPEN_EXISTING, 0, nullptr)};
        ASSERT_NE(holder.load(), INVALID_HANDLE_VALUE);
        const size_t before = harness->Prompts().size();
        harness->Prompter().Answer(round.answer);
        if (round.answer == IDRETRY) {
            // The other program lets go before the copy is tried again.
            harness->Prompter().OnPrompt([&] { CloseHandle(holder.exchange(nullptr)); });
        }
        TransferTrace trace(harness->Window());
        Export({L"Book1.xls", L"Book2.xls"});
        harness->Prompter().OnPrompt({});
        if (HANDLE open = holder.exchange(nullptr)) {
            CloseHandle(open);
        }

        const auto prompts = PromptsSince(*harness, before);
        ASSERT_EQ(prompts.size(), 1u);
        EXPECT_EQ(prompts[0].text, failure);
        EXPECT_EQ(prompts[0].style, kRetryStyle);
        EXPECT_EQ(trace.Replies(MSG_SEND), round.answer == IDABORT ? 0 : 2);
        EXPECT_EQ(test::ReadBytes(target) != old, round.book1Replaced);
        if (round.book1Replaced) {
            EXPECT_EQ(test::HandheldSheetCount(target), 1);
        }
        EXPECT_EQ(test::HandheldSheetCount(sync + L"\\Book2.shf"), round.book2Sent ? 2 : -1);
        EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    }
}

TEST_F(SyncFolderRoad, ExistingNamesAreOverwrittenSkippedOrRenamed) {
    CopyFileW((pc + L"\\Book1.xls").c_str(), (pc + L"\\Book3.xls").c_str(), FALSE);
    for (const wchar_t* name : {L"Book1", L"Book2", L"Book3"}) {
        test::WriteBytes(sync + L"\\" + name + L".shf", "old " + test::ToNarrow(name));
    }
    answers.byName[L"Book1.shf"] = {IDOK, L""};
    answers.byName[L"Book2.shf"] = {IDCANCEL, L""};
    answers.byName[L"Book3.shf"] = {IDC_OVERWRITE_RENAME, L"Book3 new.shf"};
    Open();
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf", L"Book2.shf", L"Book3.shf"}));
    TransferTrace trace(harness->Window());
    Export({L"Book1.xls", L"Book2.xls", L"Book3.xls"});

    EXPECT_EQ(answers.asked, (std::vector<std::wstring>{L"Book1.shf", L"Book2.shf", L"Book3.shf"}));
    EXPECT_EQ(trace.StepLines(), (std::vector<std::wstring>{
                                     L"Converting Book1.xls...", L"Converting Book3.xls...",
                                     L"Uploading Book1.shf...", L"Uploading Book3 new.shf..."}));
    EXPECT_EQ(test::FolderNames(sync), (std::vector<std::wstring>{L"Book1.shf", L"Book2.shf",
                                                                  L"Book3 new.shf", L"Book3.shf"}));
    EXPECT_EQ(test::HandheldSheetCount(sync + L"\\Book1.shf"), 1);
    EXPECT_EQ(test::ReadBytes(sync + L"\\Book2.shf"), "old Book2");
    EXPECT_EQ(test::ReadBytes(sync + L"\\Book3.shf"), "old Book3");
    EXPECT_EQ(test::HandheldSheetCount(sync + L"\\Book3 new.shf"), 1);

    // Imported over an existing workbook under another name, the cells come back.
    answers.asked.clear();
    answers.byName[L"Book1.xls"] = {IDC_OVERWRITE_RENAME, L"Book1 back.xls"};
    ASSERT_TRUE(
        RemoteNamesBecome(*harness, {L"Book1.shf", L"Book2.shf", L"Book3 new.shf", L"Book3.shf"}));
    Import({L"Book1.shf"});
    EXPECT_EQ(answers.asked, std::vector<std::wstring>{L"Book1.xls"});
    EXPECT_EQ(CellsOf(pc + L"\\Book1 back.xls"), CellsOf(pc + L"\\Book1.xls"));
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    EXPECT_TRUE(harness->Prompts().empty());
}

TEST_F(SyncFolderRoad, DraggingBetweenThePanesExportsAndImports) {
    Open();
    ASSERT_TRUE(RemoteNamesBecome(*harness, {}));
    SelectNames(*harness, IDC_LOCAL_LIST, {L"Book1.xls"});
    TransferTrace trace(harness->Window());

    BeginDrag(*harness, IDC_LOCAL_LIST);
    EXPECT_EQ(GetCapture(), harness->Window());
    DropOn(*harness, IDC_REMOTE_LIST);
    EXPECT_NE(GetCapture(), harness->Window());
    EXPECT_EQ(trace.Captions(),
              std::vector<std::wstring>{L"Exporting files to device sync folder..."});
    EXPECT_EQ(test::FolderNames(sync), std::vector<std::wstring>{L"Book1.shf"});
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf"}));

    const std::wstring back = ShowNewFolder(L"back");
    SelectNames(*harness, IDC_REMOTE_LIST, {L"Book1.shf"});
    BeginDrag(*harness, IDC_REMOTE_LIST);
    EXPECT_EQ(GetCapture(), harness->Window());
    DropOn(*harness, IDC_LOCAL_LIST);
    EXPECT_EQ(trace.Captions(),
              (std::vector<std::wstring>{L"Exporting files to device sync folder...",
                                         L"Importing files from device sync folder..."}));
    EXPECT_EQ(CellsOf(back + L"\\Book1.xls"), CellsOf(pc + L"\\Book1.xls"));
    EXPECT_TRUE(harness->Prompts().empty());
}

// Deletes every document of the remote pane, three of them, and checks the
// dialog on the way.
void DeleteThreeDocuments(WindowHarness& harness, const std::wstring& caption) {
    harness.Select(IDC_REMOTE_LIST, {0, 1, 2});
    const size_t before = harness.Prompts().size();
    harness.Prompter().Answer(IDYES);
    TransferTrace trace(harness.Window());
    int overallShown = -1;
    trace.onEvent = [&](const DialogEvent& event) {
        if (overallShown < 0 && event.control == IDC_TRANSFER_STATUS && !event.text.empty()) {
            overallShown = IsWindowVisible(GetDlgItem(event.dialog, IDC_TRANSFER_OVERALL_BAR));
        }
    };
    harness.Command(ID_REMOTE_DELETE);

    const auto prompts = PromptsSince(harness, before);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, L"Are you sure you want to delete 3 documents?");
    EXPECT_EQ(prompts[0].caption, L"Quire Desktop");
    EXPECT_EQ(prompts[0].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(trace.Captions(), std::vector<std::wstring>{caption});
    EXPECT_EQ(trace.Positions(IDC_TRANSFER_DOCUMENT_BAR), (std::vector<UINT>{0, 1, 2, 3}));
    LPARAM range = -1;
    for (const DialogEvent& event : trace.Events()) {
        if (event.control == IDC_TRANSFER_DOCUMENT_BAR && event.message == PBM_SETRANGE32) {
            range = event.lParam;
        }
    }
    EXPECT_EQ(range, 3);
    EXPECT_EQ(overallShown, FALSE);
    EXPECT_EQ(trace.Replies(MSG_ERASE), 3);
    EXPECT_TRUE(RemoteNamesBecome(harness, {}));
}

TEST_F(SyncFolderRoad, RemoteDeleteOfThreeDocuments) {
    for (const wchar_t* name : {L"One.shf", L"Two.shf", L"Three.pgd"}) {
        test::WriteBytes(sync + L"\\" + name, "document");
    }
    Open();
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"One.shf", L"Three.pgd", L"Two.shf"}));
    DeleteThreeDocuments(*harness, L"Deleting files from device sync folder...");
    EXPECT_TRUE(test::FolderNames(sync).empty());
}

// A window on a folder of its own on the WebDAV test server, logged in
// through the login dialog; the PC pane shows the documents folder, which
// holds Book1.xls and Book2.xls.
class WirelessRoad : public RoadFixture {
protected:
    void SetUp() override {
        server = test::TestServer();
        ASSERT_TRUE(server.Known()) << "no test server (SKYLINK_TEST_SERVER)";
        const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = L"road-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::wstring(test.begin(), test.end());
        ASSERT_EQ(test::DavRequest(server, L"MKCOL", L"/" + folder + L"/"), 201);
        onServer = server.root + L"\\" + folder;
        HarnessOptions options;
        options.remoteLocation = L"1/" + folder;
        options.convertersFolder = ConvertersFolder();
        options.wirelessFolder = WirelessFolder();
        options.askOverwrite = answers.Question();
        harness = std::make_unique<WindowHarness>(options);
        pc = harness->Documents();
        WriteBook(pc + L"\\Book1.xls", kBook1);
        WriteBook(pc + L"\\Book2.xls", kBook2);
    }

    void TearDown() override {
        harness.reset();
        if (!folder.empty()) {
            test::DavRequest(server, L"DELETE", L"/" + folder + L"/");
        }
    }

    // Opens the window; the login dialog comes up and is answered.
    void Open(const std::vector<std::wstring>& listed = {}) {
        harness->Settings().SaveLogin({server.url, server.user, L""}, false);
        test::DialogDriver login(L"Wireless Server Login", [this](HWND dialog) {
            SendMessageW(GetDlgItem(dialog, IDC_LOGIN_PASSWORD), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(server.password.c_str()));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(harness->Open());
        ASSERT_TRUE(login.Found());
        ASSERT_TRUE(harness->Messages().Until([] { return WirelessConnected.load() == 1; }));
        ASSERT_TRUE(RemoteNamesBecome(*harness, listed));
        ASSERT_TRUE(harness->Messages().Until(
            [this] { return harness->FindName(IDC_LOCAL_LIST, L"Book2.xls") >= 0; }));
    }

    std::string Get(const std::wstring& name) {
        std::string bytes;
        EXPECT_EQ(test::DavRequest(server, L"GET", L"/" + folder + L"/" + name, {}, &bytes), 200)
            << test::ToNarrow(name);
        return bytes;
    }
    void Put(const std::wstring& name, const std::string& bytes) {
        EXPECT_EQ(test::DavRequest(server, L"PUT", L"/" + folder + L"/" + name, bytes), 201)
            << test::ToNarrow(name);
    }

    test::DavServer server;
    std::wstring folder, onServer;
    OverwriteAnswers answers;
    std::wstring pc;
};

TEST_F(WirelessRoad, ExportAndImportCarryTheBytesUnchanged) {
    const std::wstring third = L"\u00DCbersicht 2004.xls";
    CopyFileW((pc + L"\\Book2.xls").c_str(), (pc + L"\\" + third).c_str(), FALSE);
    Open();
    DialogWatcher warning(L"Warning!",
                          [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    TransferTrace trace(harness->Window());
    Export({L"Book1.xls", L"Book2.xls", third});

    EXPECT_EQ(trace.Captions(),
              std::vector<std::wstring>{L"Exporting files to wireless server..."});
    // Nothing is converted for the wireless server.
    EXPECT_EQ(trace.Replies(MSG_EXPORT_CONVERT), 0);
    EXPECT_EQ(trace.Replies(MSG_SEND), 3);
    EXPECT_EQ(Sorted(trace.StepLines()),
              Sorted({L"Uploading Book1.xls...", L"Uploading Book2.xls...",
                      L"Uploading " + third + L"..."}));
    EXPECT_EQ(trace.Positions(IDC_TRANSFER_OVERALL_BAR).back(), 100u);
    EXPECT_EQ(test::FolderNames(onServer), Sorted({L"Book1.xls", L"Book2.xls", third}));
    for (const std::wstring& name :
         {std::wstring(L"Book1.xls"), std::wstring(L"Book2.xls"), third}) {
        EXPECT_EQ(Get(name), test::ReadBytes(pc + L"\\" + name)) << test::ToNarrow(name);
    }
    EXPECT_EQ(warning.Seen(), 0);
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Book1.xls", L"Book2.xls", third}));

    const std::wstring back = ShowNewFolder(L"back");
    trace.Clear();
    Import({L"Book1.xls", L"Book2.xls", third});
    EXPECT_EQ(trace.Captions(),
              std::vector<std::wstring>{L"Importing files from wireless server..."});
    EXPECT_EQ(trace.Replies(MSG_FETCH), 3);
    EXPECT_EQ(trace.Replies(MSG_IMPORT_CONVERT), 0);
    EXPECT_EQ(test::FolderNames(back), Sorted({L"Book1.xls", L"Book2.xls", third}));
    for (const std::wstring& name :
         {std::wstring(L"Book1.xls"), std::wstring(L"Book2.xls"), third}) {
        EXPECT_EQ(test::ReadBytes(back + L"\\" + name), test::ReadBytes(pc + L"\\" + name))
            << test::ToNarrow(name);
    }
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    EXPECT_TRUE(harness->Prompts().empty());
}

TEST_F(WirelessRoad, EscapedNamesCrossBothWaysAndIllegalOnesNeither) {
    const std::string handheld(5000, 'h');
    Put(L"a:b", handheld);
    Put(L"why?.xls", "question");
    Open({L"a:b", L"why?.xls"});
    const std::wstring back = ShowNewFolder(L"back");

    Import({L"a:b"});
    EXPECT_EQ(test::FolderNames(back), std::vector<std::wstring>{L"a=3Ab"});
    EXPECT_EQ(test::ReadBytes(back + L"\\a=3Ab"), handheld);

    // Changed on the PC and sent back, it replaces the handheld's own name.
    const std::string edited = handheld + " edited on the PC";
    test::WriteBytes(back + L"\\a=3Ab", edited);
    harness->Command(ID_LOCAL_RELIST);
    answers.byName[L"a:b"] = {IDOK, L""};
    TransferTrace trace(harness->Window());
    Export({L"a=3Ab"});
    // The pane is listed again after the export; what is chosen next must
    // not be chosen in the old listing.
    ASSERT_TRUE(harness->Messages().Until([&] { return trace.Listings() > 0; }));
    EXPECT_EQ(answers.asked, std::vector<std::wstring>{L"a:b"});
    EXPECT_EQ(trace.StepLines(), std::vector<std::wstring>{L"Uploading a:b..."});
    EXPECT_EQ(Get(L"a:b"), edited);

    // "?" has no escape: the name crosses in neither direction.
    const size_t before = harness->Prompts().size();
    trace.Clear();
    Import({L"why?.xls"});
    test::WriteBytes(back + L"\\why=3F.xls", "pc side");
    harness->Command(ID_LOCAL_RELIST);
    Export({L"why=3F.xls"});
    const auto prompts = PromptsSince(*harness, before);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].text,
              L"File name 'why?.xls' contains illegal characters\nand can not be imported");
    EXPECT_EQ(prompts[1].text,
              L"File name 'why?.xls' contains illegal characters\nand can not be exported");
    EXPECT_TRUE(trace.Captions().empty());
    EXPECT_EQ(Get(L"why?.xls"), "question");
    EXPECT_EQ(test::FolderNames(back), (std::vector<std::wstring>{L"a=3Ab", L"why=3F.xls"}));
}

TEST_F(WirelessRoad, RemoteDeleteOfThreeDocuments) {
    for (const wchar_t* name : {L"One.shf", L"Two.shf", L"Three.pgd"}) {
        Put(name, "document");
    }
    Open({L"One.shf", L"Three.pgd", L"Two.shf"});
    DeleteThreeDocuments(*harness, L"Deleting files from wireless server...");
    EXPECT_TRUE(test::FolderNames(onServer).empty());
}

TEST_F(WirelessRoad, NewRemoteFolderAndItsRename) {
    Open();
    harness->Command(ID_REMOTE_NEW_FOLDER);
    HWND editor = RemoteLabelEditor(*harness);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(test::ControlText(editor), L"New Folder");
    EXPECT_EQ(test::FolderNames(onServer), std::vector<std::wstring>{L"New Folder"});
    EnterLabel(*harness, editor, L"Reports 2004");
    ASSERT_TRUE(RemoteNamesBecome(*harness, {L"Reports 2004"}));
    EXPECT_EQ(test::FolderNames(onServer), std::vector<std::wstring>{L"Reports 2004"});
    EXPECT_EQ(harness->Selected(IDC_REMOTE_LIST), std::vector<std::wstring>{L"Reports 2004"});
    EXPECT_TRUE(harness->Prompts().empty());
}

} // namespace
} // namespace quire::sync
