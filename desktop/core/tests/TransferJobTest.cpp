#include "Messages.h"
#include "Resource.h"
#include "TestSupport.h"
#include "TransferJob.h"
#include "TransferProgress.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace quire::sync {
namespace {

using test::FileExists;
using test::Scratch;
using test::WriteTextFile;

TEST(TransferProgressTest, OverallBarOfTwoPhases) {
    const PhaseProgress first{0, 50, 200};
    EXPECT_EQ(OverallAtStepStart(first, 100), 25u);
    EXPECT_EQ(OverallAtStepStart(first, 200), 50u);
    const PhaseProgress second{50, 50, 200};
    EXPECT_EQ(OverallAtStepStart(second, 200), 100u);
    // Halfway through the second of two 100-byte documents.
    EXPECT_EQ(OverallDuringStep(first, 200, 100, 50), 37u);
    EXPECT_EQ(OverallDuringStep(second, 200, 100, 100), 100u);
    const PhaseProgress whole{0, 100, 300};
    EXPECT_EQ(OverallDuringStep(whole, 100, 100, 0), 0u);
    EXPECT_EQ(OverallDuringStep(whole, 300, 100, 40), 80u);
}

TEST(TransferProgressTest, LargeDocumentsNeitherWrapNorOverrun) {
    constexpr uint32_t k50MB = 50u * 1024 * 1024;
    constexpr uint32_t k3GB = 3u * 1024 * 1024 * 1024;
    const PhaseProgress phase{0, 50, uint64_t{k50MB} * 2};
    EXPECT_EQ(OverallAtStepStart(phase, k50MB), 25u);
    EXPECT_EQ(OverallDuringStep(phase, k50MB, k50MB, 50), 12u);
    const PhaseProgress huge{50, 50, uint64_t{k3GB} + k3GB};
    EXPECT_EQ(OverallAtStepStart(huge, k3GB), 75u);
    EXPECT_EQ(OverallAtStepStart(huge, uint64_t{k3GB} * 2), 100u);
    EXPECT_EQ(OverallDuringStep(huge, uint64_t{k3GB} * 2, k3GB, 100), 100u);
    EXPECT_EQ(OverallDuringStep(huge, k3GB, k3GB, 0), 50u);
    // A converter that reports past 100 does not run the bar backwards.
    EXPECT_EQ(OverallDuringStep(huge, k3GB, k3GB, 250), 75u);
    EXPECT_EQ(OverallAtStepStart(PhaseProgress{0, 50, 0}, 0), 0u);
}

// What the scripted worker saw of one step.
struct SeenStep {
    UINT message;
    std::wstring first, second;
    DocumentKind kind;
    DWORD size;
    int overallBar;
    int documentBar;
    std::wstring status;
};

// Stands in for the transfer worker: takes the job's steps on its own thread,
// records them with what the dialog shows, runs the test's action and answers
// as the worker does (a closing request once the job was cancelled).
class ScriptedWorker {
public:
    using Action = std::function<void(UINT message, TransferStep& step, size_t index)>;

    explicit ScriptedWorker(Action action = {}) : action_(std::move(action)) {
        thread_ = std::thread([this] { Run(); });
        while (threadId_.load() == 0) {
            Sleep(1);
        }
    }
    ~ScriptedWorker() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    DWORD ThreadId() const { return threadId_; }
    std::vector<SeenStep> Seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void Run() {
        MSG message;
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        threadId_ = GetCurrentThreadId();
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message < MSG_FETCH || message.message > MSG_ERASE) {
                continue;
            }
            auto* step = reinterpret_cast<TransferStep*>(message.lParam);
            Record(message.message, *step);
            if (action_) {
                action_(message.message, *step, seen_.size() - 1);
            }
            if (ContinueFlag.load() == 0) {
                SendMessageW(step->dialog, WM_CLOSE, CLOSE_MAGIC, 0);
            } else {
                SendMessageW(step->dialog, message.message, 0, 0);
            }
        }
    }
    void Record(UINT message, const TransferStep& step) {
        wchar_t status[MAX_PATH] = {};
        SendDlgItemMessageW(step.dialog, IDC_TRANSFER_STATUS, WM_GETTEXT, MAX_PATH,
                            reinterpret_cast<LPARAM>(status));
        std::lock_guard lock(mutex_);
        seen_.push_back(SeenStep{message, step.firstPath, step.secondPath, step.kind, step.size,
                                 static_cast<int>(SendDlgItemMessageW(
                                     step.dialog, IDC_TRANSFER_OVERALL_BAR, PBM_GETPOS, 0, 0)),
                                 static_cast<int>(SendDlgItemMessageW(
                                     step.dialog, IDC_TRANSFER_DOCUMENT_BAR, PBM_GETPOS, 0, 0)),
                                 status});
    }

    Action action_;
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    mutable std::mutex mutex_;
    std::vector<SeenStep> seen_;
};

class TransferJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS};
        InitCommonControlsEx(&controls);
        temporary_ = scratch_.PathOf(L"temp");
        CreateDirectoryW(temporary_.c_str(), nullptr);
        StoreFixedText(RemoteLocation, L"2");
    }
    void TearDown() override { StoreFixedText(RemoteLocation, L"1"); }

    TransferJobEnvironment Environment(const ScriptedWorker& worker) {
        TransferJobEnvironment environment;
        environment.worker = worker.ThreadId();
        environment.temporaryFolder = temporary_;
        environment.releaseContext = [this](DWORD context) { released_.push_back(context); };
        return environment;
    }
    std::wstring Document(const std::wstring& name, const std::string& content) {
        const std::wstring path = scratch_.PathOf(name);
        WriteTextFile(path, content);
        return path;
    }
    bool TemporaryFolderEmpty() const {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((temporary_ + L"\\~qs*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return true;
        }
        FindClose(search);
        return false;
    }

    Scratch scratch_;
    std::wstring temporary_;
    std::vector<DWORD> released_;
};

// The conversion writes the handheld file: twice the source's size.
void ConvertByDoubling(UINT message, TransferStep& step, size_t) {
    if (message == MSG_EXPORT_CONVERT) {
        const std::string content = test::ReadTextFile(step.firstPath);
        WriteTextFile(step.secondPath, content + content);
    }
}

TEST_F(TransferJobTest, ExportToTheSyncFolderConvertsThenSends) {
    ScriptedWorker worker(&ConvertByDoubling);
    TransferJob job(TransferJob::Operation::Export, false, Environment(worker));
    const std::wstring book1 = Document(L"Book1.xls", std::string(100, 'a'));
    const std::wstring book2 = Document(L"Book2.xls", std::string(300, 'b'));
    job.AddDocument(book1, L"Book1.shf", 100);
    job.AddDocument(book2, L"Book2.shf", 300);
    EXPECT_EQ(job.Run(GetModuleHandleW(nullptr), nullptr), TRANSFER_JOB_ENDED);

    const std::vector<SeenStep> seen = worker.Seen();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, UINT(MSG_EXPORT_CONVERT));
    EXPECT_EQ(seen[0].first, book1);
    EXPECT_EQ(seen[0].second.substr(0, temporary_.size() + 4), temporary_ + L"\\~qs");
    EXPECT_EQ(seen[0].kind, DocumentKind::Spreadsheet);
    EXPECT_EQ(seen[0].status, L"Converting Book1.xls...");
    EXPECT_EQ(seen[0].overallBar, 0);
    EXPECT_EQ(seen[1].overallBar, 12); // 100 of 400 bytes at half weight
    EXPECT_EQ(seen[2].message, UINT(MSG_SEND));
    EXPECT_EQ(seen[2].overallBar, 50);
    EXPECT_EQ(seen[2].first, seen[0].second);
    EXPECT_EQ(seen[2].second, L"Book1.shf");
    EXPECT_EQ(seen[2].size, 200u); // the converted file's size
    EXPECT_EQ(seen[2].status, L"Uploading Book1.shf...");
    EXPECT_EQ(seen[3].first, seen[1].second);
    EXPECT_EQ(seen[3].overallBar, 62); // 50 + 200 of 800 bytes at half weight
    EXPECT_TRUE(TemporaryFolderEmpty());
    EXPECT_EQ(released_, (std::vector<DWORD>{0, 0}));
}

TEST_F(TransferJobTest, ExportSkipsTheSendOfADocumentWhoseConversionLeftNoFile) {
    ScriptedWorker worker([](UINT message, TransferStep& step, size_t index) {
        if (message == MSG_EXPORT_CONVERT && index == 0) {
            DeleteFileW(step.secondPath);
        } else {
            ConvertByDoubling(message, step, index);
        }
    });
    TransferJob job(TransferJob::Operation::Export, false, Environment(worker));
    job.AddDocument(Document(L"Bad.xls", "x"), L"Bad.shf", 1);
    job.AddDocument(Document(L"Good.xls", "y"), L"Good.shf", 1);
    job.Run(GetModuleHandleW(nullptr), nullptr);
    const std::vector<SeenStep> seen = worker.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].message, UINT(MSG_SEND));
    EXPECT_EQ(seen[2].second, L"Good.shf");
    EXPECT_TRUE(TemporaryFolderEmpty());
}

TEST_F(TransferJobTest, UnconvertedExportSendsTheFilesAsTheyAre) {
    StoreFixedText(RemoteLocation, L"1/Docs");
    ScriptedWorker worker;
    TransferJob job(TransferJob::Operation::Export, true, Environment(worker));
    const std::wstring book = Document(L"a=3Ab.xls", "12345");
    job.AddDocument(book, L"a:b.xls", 5);
    job.AddDocument(Document(L"Notes.txt", "12345"), L"Notes.txt", 15);
    job.Run(GetModuleHandleW(nullptr), nullptr);
    const std::vector<SeenStep> seen = worker.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, UINT(MSG_SEND));
    EXPECT_EQ(seen[0].first, book);
    EXPECT_EQ(seen[0].kind, DocumentKind::None);
    EXPECT_EQ(seen[0].size, 5u); // given sizes are kept when nothing converts
    // Each step starts from the documents before it: 5 of 20 bytes.
    EXPECT_EQ(seen[0].overallBar, 0);
    EXPECT_EQ(seen[1].overallBar, 25);
}

TEST_F(TransferJobTest, ImportFetchesThenConvertsOnlyTheConvertibleDocuments) {
    ScriptedWorker worker([](UINT message, TransferStep& step, size_t) {
        if (message == MSG_FETCH) {
            WriteTextFile(step.secondPath, "fetched");
        }
    });
    TransferJob job(TransferJob::Operation::Import, false, Environment(worker));
    const std::wstring book = scratch_.PathOf(L"Book1.xls");
    const std::wstring notes = scratch_.PathOf(L"notes.txt");
    job.AddDocument(book, L"Book1.shf", 10);
    job.AddDocument(notes, L"notes.txt", 30);
    job.Run(GetModuleHandleW(nullptr), nullptr);
    const std::vector<SeenStep> seen = worker.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, UINT(MSG_FETCH));
    EXPECT_EQ(seen[0].first, L"Book1.shf");
    EXPECT_EQ(seen[0].status, L"Downloading Book1.shf...");
    EXPECT_EQ(seen[1].second, notes); // kind 0 goes straight to its PC path
    EXPECT_EQ(seen[1].overallBar, 12);
    EXPECT_EQ(seen[2].message, UINT(MSG_IMPORT_CONVERT));
    EXPECT_EQ(seen[2].first, seen[0].second);
    EXPECT_EQ(seen[2].second, book);
    EXPECT_EQ(seen[2].overallBar, 50);
    EXPECT_TRUE(FileExists(notes));
    EXPECT_TRUE(TemporaryFolderEmpty());
}

TEST_F(TransferJobTest, ProgressShowsTheLatestReportOfTheDocument) {
    std::wstring status;
    int documentBar = 0, overallBar = 0;
    ScriptedWorker worker([&](UINT message, TransferStep& step, size_t index) {
        if (message != MSG_EXPORT_CONVERT || index != 0) {
            return;
        }
        for (int percent = 1; percent <= 60; ++percent) {
            const std::wstring text = L"row " + std::to_wstring(percent);
            SendMessageW(step.dialog, MSG_PROGRESS, percent,
                         reinterpret_cast<LPARAM>(text.c_str()));
        }
        // A line of text at position 0 as the converter closes.
        SendMessageW(step.dialog, MSG_PROGRESS, 0, reinterpret_cast<LPARAM>(L"closing"));
        Sleep(200);
        wchar_t shown[MAX_PATH] = {};
        SendDlgItemMessageW(step.dialog, IDC_TRANSFER_STATUS, WM_GETTEXT, MAX_PATH,
                            reinterpret_cast<LPARAM>(shown));
        status = shown;
        documentBar = static_cast<int>(
            SendDlgItemMessageW(step.dialog, IDC_TRANSFER_DOCUMENT_BAR, PBM_GETPOS, 0, 0));
        overallBar = static_cast<int>(
            SendDlgItemMessageW(step.dialog, IDC_TRANSFER_OVERALL_BAR, PBM_GETPOS, 0, 0));
        ConvertByDoubling(message, step, index);
    });
    TransferJob job(TransferJob::Operation::Export, false, Environment(worker));
    job.AddDocument(Document(L"Book1.xls", "a"), L"Book1.shf", 100);
    job.AddDocument(Document(L"Book2.xls", "b"), L"Book2.shf", 100);
    job.Run(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(status, L"Converting Book1.xls... - closing");
    EXPECT_EQ(documentBar, 60);
    // 60% of the first of two equal documents, at half weight.
    EXPECT_EQ(overallBar, 15);
}

TEST_F(TransferJobTest, CancelEndsTheJobAfterTheCurrentStepAndCleansUp) {
    ScriptedWorker worker([](UINT message, TransferStep& step, size_t index) {
        ConvertByDoubling(message, step, index);
        if (index == 0) {
            HWND cancel = GetDlgItem(step.dialog, IDCANCEL);
            SendMessageW(step.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
            // The button is disabled, and other close requests are ignored.
            EXPECT_FALSE(IsWindowEnabled(cancel));
            SendMessageW(step.dialog, WM_CLOSE, 0, 0);
            EXPECT_TRUE(IsWindow(step.dialog));
        }
    });
    TransferJob job(TransferJob::Operation::Export, false, Environment(worker));
    for (const wchar_t* name : {L"A.xls", L"B.xls", L"C.xls"}) {
        job.AddDocument(Document(name, "z"), name, 1);
    }
    EXPECT_EQ(job.Run(GetModuleHandleW(nullptr), nullptr), TRANSFER_JOB_ENDED);
    EXPECT_EQ(worker.Seen().size(), 1u);
    EXPECT_TRUE(TemporaryFolderEmpty());
    EXPECT_EQ(ContinueFlag.load(), 0);
}

TEST_F(TransferJobTest, DeleteCountsDocumentsOnAShorterDialog) {
    RECT frame{};
    bool overallVisible = true;
    ScriptedWorker worker([&](UINT, TransferStep& step, size_t) {
        GetWindowRect(step.dialog, &frame);
        overallVisible = IsWindowVisible(GetDlgItem(step.dialog, IDC_TRANSFER_OVERALL_BAR));
    });
    TransferJob job(TransferJob::Operation::Delete, false, Environment(worker));
    for (const wchar_t* name : {L"a.shf", L"b.shf", L"c.shf"}) {
        job.AddRemoteName(name);
    }
    job.Run(GetModuleHandleW(nullptr), nullptr);
    const std::vector<SeenStep> seen = worker.Seen();
    ASSERT_EQ(seen.size(), 3u);
    for (size_t index = 0; index < 3; ++index) {
        EXPECT_EQ(seen[index].message, UINT(MSG_ERASE));
        EXPECT_EQ(seen[index].documentBar, int(index));
    }
    EXPECT_EQ(seen[2].first, L"c.shf");
    EXPECT_EQ(seen[2].status, L"Erasing c.shf...");
    EXPECT_FALSE(overallVisible);

    RECT fullFrame{};
    ScriptedWorker measuring(
        [&](UINT, TransferStep& step, size_t) { GetWindowRect(step.dialog, &fullFrame); });
    TransferJobEnvironment environment = Environment(measuring);
    TransferJob exportJob(TransferJob::Operation::Export, false, environment);
    exportJob.AddDocument(Document(L"x.xls", "x"), L"x.shf", 1);
    exportJob.Run(GetModuleHandleW(nullptr), nullptr);
    EXPECT_LT(frame.bottom - frame.top, fullFrame.bottom - fullFrame.top);
}

TEST_F(TransferJobTest, CaptionNamesTheTargetAndTheOperation) {
    std::wstring caption;
    ScriptedWorker worker([&](UINT, TransferStep& step, size_t) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(step.dialog, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
        caption = text;
    });
    StoreFixedText(RemoteLocation, L"1");
    TransferJob job(TransferJob::Operation::Delete, true, Environment(worker));
    job.AddRemoteName(L"a.xls");
    job.Run(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(caption, L"Deleting files from wireless server...");
    StoreFixedText(RemoteLocation, L"2");
    TransferJob import(TransferJob::Operation::Import, false, Environment(worker));
    import.AddDocument(scratch_.PathOf(L"n.txt"), L"n.txt", 0);
    import.Run(GetModuleHandleW(nullptr), nullptr);
    EXPECT_EQ(caption, L"Importing files from device sync folder...");
}

TEST_F(TransferJobTest, AJobWithoutAWorkerEndsAtOnce) {
    TransferJobEnvironment environment;
    environment.temporaryFolder = temporary_;
    TransferJob job(TransferJob::Operation::Export, false, environment);
    job.AddDocument(Document(L"A.xls", "z"), L"A.shf", 1);
    EXPECT_EQ(job.Run(GetModuleHandleW(nullptr), nullptr), TRANSFER_JOB_ENDED);
    EXPECT_TRUE(TemporaryFolderEmpty());
}

} // namespace
} // namespace quire::sync
