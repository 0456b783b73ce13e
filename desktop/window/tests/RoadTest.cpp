// The road of a document, driven through the real main window: workbooks
// exported through the real converter into the device sync folder, carried to
// the simulated handheld and back by the synchronisation host and the add-in,
// imported again; the same against the wireless server; and what may happen on
// the way (Cancel, failed copies, existing and illegal names, deletes, new
// folders, dragging between the panes).
#include "ConverterLibrary.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Resource.h"
#include "RoadSupport.h"
#include "WindowHarness.h"
#include "WindowState.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace quire::sync {
namespace {

using test::CellDump;
using test::DialogWatcher;
using test::HarnessOptions;
using test::TransferTrace;
using test::WindowHarness;
using test::WorkbookSpec;

const WorkbookSpec kBook1{{{"Budget",
                            {{"A1", "Item"},
                             {"B1", "Cost"},
                             {"A2", "Rent"},
                             {"B2", "1200"},
                             {"A3", "Food"},
                             {"B3", "350.75"},
                             {"A4", "Total"},
                             {"B4", "=SUM(B2:B3)"}}}}};
const WorkbookSpec kBook2{
    {{"Data", {{"A1", "1"}, {"A2", "2.5"}, {"A3", "=A1+A2"}, {"B1", "north"}, {"B2", "south"}}},
     {"Sums", {{"A1", "=Data!A3*2"}, {"B1", "twice"}}}}};

std::wstring Backslashed(std::wstring path) {
    for (wchar_t& character : path) {
        if (character == L'/') {
            character = L'\\';
        }
    }
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

void WriteBook(const std::wstring& path, const WorkbookSpec& spec) {
    std::string error;
    ASSERT_TRUE(test::WriteWorkbook(path, spec, error)) << error;
}

CellDump CellsOf(const std::wstring& path) {
    CellDump cells;
    std::string error;
    EXPECT_TRUE(test::ReadWorkbook(path, cells, error)) << error;
    return cells;
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

// A window on the device sync folder with the real converter and wireless
// client, its settings where the add-in finds them through the host's user
// root; the PC pane shows the documents folder.
class SyncFolderRoad : public testing::Test {
protected:
    void SetUp() override {
        HarnessOptions options;
        options.remoteLocation = L"2";
        options.convertersFolder = ConvertersFolder();
        options.wirelessFolder = WirelessFolder();
        options.settingsUnderUserRoot = true;
        Configure(options);
        harness = std::make_unique<WindowHarness>(options);
        pc = harness->Documents();
        WriteBook(pc + L"\\Book1.xls", kBook1);
        WriteBook(pc + L"\\Book2.xls", kBook2);
    }
    virtual void Configure(HarnessOptions&) {}

    void Open() {
        ASSERT_TRUE(harness->Open());
        ASSERT_TRUE(harness->Messages().Until(
            [this] { return harness->FindName(IDC_LOCAL_LIST, L"Book2.xls") >= 0; }));
    }

    std::unique_ptr<WindowHarness> harness;
    std::wstring pc;
};

TEST_F(SyncFolderRoad, ExportConvertsBothWorkbooksThenSendsThem) {
    Open();
    SelectNames(*harness, IDC_LOCAL_LIST, {L"Book1.xls", L"Book2.xls"});
    ASSERT_TRUE(harness->ButtonEnabled(IDC_EXPORT_BAR, ID_EXPORT));
    DialogWatcher warning(L"Warning!",
                          [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    TransferTrace trace(harness->Window());
    harness->Command(ID_EXPORT);

    EXPECT_EQ(trace.Captions(),
              std::vector<std::wstring>{L"Exporting files to device sync folder..."});
    EXPECT_EQ(trace.Replies(MSG_EXPORT_CONVERT), 2);
    EXPECT_EQ(trace.Replies(MSG_SEND), 2);
    const std::vector<std::wstring> steps = trace.StatusLines();
    EXPECT_EQ(steps,
              (std::vector<std::wstring>{L"Converting Book1.xls...", L"Converting Book2.xls...",
                                         L"Uploading Book1.shf...", L"Uploading Book2.shf..."}));
    const std::vector<UINT> overall = trace.Positions(IDC_TRANSFER_OVERALL_BAR);
    ASSERT_FALSE(overall.empty());
    EXPECT_TRUE(std::is_sorted(overall.begin(), overall.end()));
    EXPECT_EQ(trace.PositionBefore(IDC_TRANSFER_OVERALL_BAR, L"Uploading Book1.shf..."), 50);
    EXPECT_EQ(overall.back(), 100u);

    EXPECT_EQ(test::FolderNames(harness->SyncFolder()),
              (std::vector<std::wstring>{L"Book1.shf", L"Book2.shf"}));
    EXPECT_TRUE(test::JobTemporaryFiles(harness->TemporaryFolder()).empty());
    EXPECT_EQ(warning.Seen(), 1);
    EXPECT_TRUE(RemoteNamesBecome(*harness, {L"Book1.shf", L"Book2.shf"}));
    EXPECT_TRUE(harness->Prompts().empty());
}

} // namespace
} // namespace quire::sync
