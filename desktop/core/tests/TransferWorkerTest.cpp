#include "Conversion.h"
#include "FakeConverter.h"
#include "FakeSkylink.h"
#include "MessagePrompts.h"
#include "Messages.h"
#include "TestSupport.h"
#include "TransferWorker.h"
#include "WirelessBackend.h"
#include "testing/FullDisk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>

namespace quire::sync {
namespace {

using test::Received;

bool IsMagicClose(const Received& received) {
    return received.message == WM_CLOSE && received.wParam == CLOSE_MAGIC;
}

// A worker thread with a recording main window and a recording transfer job.
class TransferWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ContinueFlag.store(1);
        WirelessConnected.store(0);
        LastLinkKind.store(TARGET_SYNC_FOLDER);
        wcscpy(RemoteLocation, L"2");
        wcscpy(SyncFolderRoot, SyncRoot().c_str());
        CreateDirectoryW(SyncRoot().c_str(), nullptr);
        CreateDirectoryW(PcFolder().c_str(), nullptr);
        ASSERT_TRUE(wireless_.IsLoaded());
        skylink_ = reinterpret_cast<FakeSkylinkControlFunction>(
            GetProcAddress(GetModuleHandleW(L"skylink.dll"), "FakeSkylinkControl"))();
        converter_ = reinterpret_cast<FakeConverterControlFunction>(
            GetProcAddress(GetModuleHandleW(L"SheafConv.dll"), "FakeConverterControl"))();
        *skylink_ = FakeSkylinkState{};
        *converter_ = FakeConverterState{};
        step_.dialog = job_.Handle();

        environment_ = {mainWindow_.Handle(), &converters_, &wireless_, &credentials_};
        worker_.emplace(environment_);
        ASSERT_TRUE(worker_->Started());
        threadId_ = worker_->ThreadId();
    }

    void TearDown() override {
        worker_.reset();
        CurrentStep.store(nullptr);
    }

    std::wstring SyncRoot() const { return scratch_.PathOf(L"sync"); }
    std::wstring PcFolder() const { return scratch_.PathOf(L"pc"); }
    std::wstring InSync(const std::wstring& name) const { return SyncRoot() + L'\\' + name; }
    std::wstring OnPc(const std::wstring& name) const { return PcFolder() + L'\\' + name; }

    void Post(UINT message, const std::wstring& first, const std::wstring& second,
              DocumentKind kind = DocumentKind::None) {
        wcscpy(step_.firstPath, first.c_str());
        wcscpy(step_.secondPath, second.c_str());
        step_.kind = kind;
        ASSERT_TRUE(PostToWorker(threadId_, message, 0, reinterpret_cast<LPARAM>(&step_)));
    }
    void Command(WORD command) { ASSERT_TRUE(PostToWorker(threadId_, WM_COMMAND, command, 0)); }

    // Waits for the step's reply or the job's end; true for the reply.
    bool Replied(UINT message) {
        bool replied = false;
        EXPECT_TRUE(job_.PumpUntil([&](const Received& received) {
            replied = received.message == message;
            return replied || IsMagicClose(received);
        }));
        return replied;
    }

    void ConnectWireless(const wchar_t* location) {
        wcscpy(RemoteLocation, location);
        Command(CMD_CONNECT_WIRELESS);
        ASSERT_TRUE(mainWindow_.PumpUntil([](const Received& received) {
            return received.message == WM_COMMAND &&
                   LOWORD(received.wParam) == CMD_CONNECTION_STATE &&
                   HIWORD(received.wParam) == CONNECTION_OPEN;
        }));
        ASSERT_TRUE(mainWindow_.PumpUntilMessage(WM_REMOTE_LISTING));
    }

    test::Scratch scratch_;
    test::RecordingWindow mainWindow_;
    test::RecordingWindow job_;
    test::ScriptedPrompter prompter_;
    ConverterTable converters_{QUIRE_TEST_DOUBLES_DIR};
    WirelessLink wireless_{QUIRE_TEST_DOUBLES_DIR};
    WirelessCredentials credentials_{L"server", L"pin", L"word"};
    WorkerEnvironment environment_;
    FakeSkylinkState* skylink_ = nullptr;
    FakeConverterState* converter_ = nullptr;
    TransferStep step_;
    std::optional<test::RunningWorker> worker_;
    DWORD threadId_ = 0;
};

TEST_F(TransferWorkerTest, RefreshListsTheSyncFolderThenClearsTheStatus) {
    test::WriteTextFile(InSync(L"Book1.shf"), "data");
    Command(CMD_REFRESH_REMOTE);
    ASSERT_TRUE(mainWindow_.PumpUntilMessage(WM_REMOTE_LISTING));
    const Received& listing = *mainWindow_.Last(WM_REMOTE_LISTING);
    EXPECT_EQ(listing.lParam, -1);
    ASSERT_EQ(listing.listing.size(), 1u);
    EXPECT_EQ(listing.listing[0].name, L"Book1.shf");
    ASSERT_TRUE(mainWindow_.PumpUntilMessage(WM_COMMAND));
    EXPECT_EQ(mainWindow_.Messages().back().message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(mainWindow_.Commands(CMD_STATUS_TEXT), std::vector<WORD>{0});
}

TEST_F(TransferWorkerTest, FetchCopiesFromTheSyncFolder) {
    test::WriteTextFile(InSync(L"notes.txt"), "remote text");
    Post(MSG_FETCH, L"notes.txt", OnPc(L"notes.txt"));
    ASSERT_TRUE(Replied(MSG_FETCH));
    EXPECT_EQ(test::ReadTextFile(OnPc(L"notes.txt")), "remote text");
    EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(TransferWorkerTest, IgnoredCopyFailureSkipsTheDocument) {
    prompter_.Answer(IDIGNORE);
    Post(MSG_FETCH, L"missing.xls", OnPc(L"missing.xls"));
    ASSERT_TRUE(Replied(MSG_FETCH));
    const auto prompts = prompter_.Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, L"File download failed\n" + SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(prompts[0].style, 0x2012u);
    EXPECT_EQ(prompts[0].owner, job_.Handle());
    EXPECT_FALSE(test::FileExists(OnPc(L"missing.xls")));
}

TEST_F(TransferWorkerTest, ReadOnlyCopiesAreNeverReplaced) {
    test::WriteTextFile(InSync(L"kept.shf"), "handheld");
    SetFileAttributesW(InSync(L"kept.shf").c_str(), FILE_ATTRIBUTE_READONLY);
    test::WriteTextFile(OnPc(L"new.shf"), "new");
    test::WriteTextFile(InSync(L"in.txt"), "device");
    test::WriteTextFile(OnPc(L"locked.txt"), "pc");
    SetFileAttributesW(OnPc(L"locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    prompter_.Answer(IDIGNORE);
    prompter_.Answer(IDIGNORE);
    Post(MSG_SEND, OnPc(L"new.shf"), L"kept.shf");
    ASSERT_TRUE(Replied(MSG_SEND));
    Post(MSG_FETCH, L"in.txt", OnPc(L"locked.txt"));
    ASSERT_TRUE(Replied(MSG_FETCH));
    const auto prompts = prompter_.Prompts();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].text, L"File upload failed\n" + SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(prompts[1].text, L"File download failed\n" + SystemErrorText(ERROR_ACCESS_DENIED));
    SetFileAttributesW(InSync(L"kept.shf").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(OnPc(L"locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadTextFile(InSync(L"kept.shf")), "handheld");
    EXPECT_EQ(test::ReadTextFile(OnPc(L"locked.txt")), "pc");
}

TEST_F(TransferWorkerTest, CopyOntoAFullDiskKeepsTheOldFileAndLeavesNoPart) {
    QUIRE_NEED_FULL_DISK(disk);
    wcscpy(SyncFolderRoot, disk.folder.c_str());
    const std::wstring kept = disk.folder + L"\\kept.shf";
    test::WriteTextFile(kept, "handheld");
    test::WriteTextFile(OnPc(L"big.shf"), std::string(disk.freeBytes + 512 * 1024, 'x'));
    prompter_.Answer(IDIGNORE);
    prompter_.Answer(IDIGNORE);
    Post(MSG_SEND, OnPc(L"big.shf"), L"kept.shf");
    ASSERT_TRUE(Replied(MSG_SEND));
    Post(MSG_SEND, OnPc(L"big.shf"), L"new.shf");
    ASSERT_TRUE(Replied(MSG_SEND));
    const auto prompts = prompter_.Prompts();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].text, L"File upload failed\n" + SystemErrorText(ERROR_DISK_FULL));
    EXPECT_TRUE(test::ReadTextFile(kept) == "handheld") << "the old copy was lost";
    EXPECT_EQ(quire::testing::NamesOnFullDisk(disk.folder), std::vector<std::wstring>{L"kept.shf"});
    DeleteFileW(kept.c_str());
}

TEST_F(TransferWorkerTest, BatchGoesOnWithTheNextDocumentAfterIgnore) {
    test::WriteTextFile(InSync(L"one.txt"), "1");
    test::WriteTextFile(InSync(L"three.txt"), "3");
    const std::vector<std::wstring> names = {L"one.txt", L"two.txt", L"three.txt"};
    size_t next = 1;
    // Like a transfer job: each reply posts the next document's step.
    job_.onMessage = [&](const Received& received) {
        if (received.message == MSG_FETCH && next < names.size()) {
            const std::wstring& name = names[next++];
            Post(MSG_FETCH, name, OnPc(name));
        }
    };
    prompter_.Answer(IDIGNORE);
    Post(MSG_FETCH, names[0], OnPc(names[0]));
    for (size_t step = 0; step < names.size(); ++step) {
        ASSERT_TRUE(Replied(MSG_FETCH));
    }
    EXPECT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(test::ReadTextFile(OnPc(L"one.txt")), "1");
    EXPECT_FALSE(test::FileExists(OnPc(L"two.txt")));
    EXPECT_EQ(test::ReadTextFile(OnPc(L"three.txt")), "3");
}

TEST_F(TransferWorkerTest, RetriedCopyRunsAgain) {
    prompter_.Answer(IDRETRY);
    const std::wstring source = InSync(L"late.txt");
    prompter_.OnPrompt([source] { test::WriteTextFile(source, "arrived"); });
    Post(MSG_FETCH, L"late.txt", OnPc(L"late.txt"));
    ASSERT_TRUE(Replied(MSG_FETCH));
    EXPECT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(test::ReadTextFile(OnPc(L"late.txt")), "arrived");
}

TEST_F(TransferWorkerTest, AbortedCopyEndsTheJobWithoutReply) {
    // The name is sound; the copy itself fails, for its source is missing.
    prompter_.Answer(IDABORT);
    Post(MSG_SEND, OnPc(L"missing.txt"), L"a.txt");
    EXPECT_FALSE(Replied(MSG_SEND));
    EXPECT_EQ(job_.Count(MSG_SEND), 0);
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(prompter_.Prompts()[0].text,
              L"File upload failed\n" + SystemErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(test::FileExists(InSync(L"a.txt")));
}

TEST_F(TransferWorkerTest, ExceptionInAStepEndsItsJobAndTheWorkerGoesOn) {
    prompter_.Answer(IDIGNORE);
    prompter_.OnPrompt([] { throw std::runtime_error("prompt failed"); });
    Post(MSG_FETCH, L"absent.txt", OnPc(L"absent.txt"));
    EXPECT_FALSE(Replied(MSG_FETCH));

    prompter_.OnPrompt([] {});
    test::WriteTextFile(InSync(L"b.txt"), "b");
    Post(MSG_FETCH, L"b.txt", OnPc(L"b.txt"));
    ASSERT_TRUE(Replied(MSG_FETCH));
    EXPECT_EQ(test::ReadTextFile(OnPc(L"b.txt")), "b");
}

// The callbacks that outside libraries call let no exception out.
static_assert(noexcept(ImportProgress(0, nullptr, nullptr)));
static_assert(noexcept(ExportProgress(0, nullptr, nullptr)));
static_assert(noexcept(AddListedEntry(nullptr, 0, 0, nullptr)));
static_assert(noexcept(ReportTransferProgress(0)));

TEST_F(TransferWorkerTest, FailedEraseInTheSyncFolderShowsTheStringAlone) {
    prompter_.Answer(IDIGNORE);
    Post(MSG_ERASE, L"absent.shf", L"");
    ASSERT_TRUE(Replied(MSG_ERASE));
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(prompter_.Prompts()[0].text, L"Failed to delete file");

    test::WriteTextFile(InSync(L"present.shf"), "x");
    Post(MSG_ERASE, L"present.shf", L"");
    ASSERT_TRUE(Replied(MSG_ERASE));
    EXPECT_FALSE(test::FileExists(InSync(L"present.shf")));
    EXPECT_EQ(prompter_.Prompts().size(), 1u);
}

TEST_F(TransferWorkerTest, EraseOfAnEmptyNameKeepsTheSyncFolder) {
    test::WriteTextFile(InSync(L"kept.shf"), "x");
    prompter_.Answer(IDIGNORE);
    Post(MSG_ERASE, L"", L"");
    ASSERT_TRUE(Replied(MSG_ERASE));
    EXPECT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_TRUE(test::FileExists(InSync(L"kept.shf")));

    prompter_.Answer(IDIGNORE);
    Post(MSG_FETCH, L"..\\pc\\secret.txt", OnPc(L"copy.txt"));
    ASSERT_TRUE(Replied(MSG_FETCH));
    EXPECT_EQ(prompter_.Prompts().back().text,
              L"File download failed\n" + SystemErrorText(ERROR_INVALID_NAME));
}

TEST_F(TransferWorkerTest, ConvertedFileIsDeletedBeforeTheSendIsAnswered) {
    const std::wstring temporary = OnPc(L"~qs1.tmp");
    test::WriteTextFile(temporary, "converted");
    bool temporaryLeftAtReply = true;
    job_.onMessage = [&](const Received& received) {
        if (received.message == MSG_SEND) {
            temporaryLeftAtReply = test::FileExists(temporary);
        }
    };
    Post(MSG_SEND, temporary, L"Book1.shf", DocumentKind::Spreadsheet);
    ASSERT_TRUE(Replied(MSG_SEND));
    EXPECT_FALSE(temporaryLeftAtReply);
    EXPECT_EQ(test::ReadTextFile(InSync(L"Book1.shf")), "converted");

    // An unconverted document is the user's own file: it stays.
    test::WriteTextFile(OnPc(L"plain.txt"), "mine");
    Post(MSG_SEND, OnPc(L"plain.txt"), L"plain.txt");
    ASSERT_TRUE(Replied(MSG_SEND));
    EXPECT_TRUE(test::FileExists(OnPc(L"plain.txt")));
}

TEST_F(TransferWorkerTest, NameTooLongForTheSyncFolderIsRefused) {
    prompter_.Answer(IDIGNORE);
    test::WriteTextFile(OnPc(L"a.txt"), "a");
    Post(MSG_SEND, OnPc(L"a.txt"), std::wstring(259 - SyncRoot().size(), L'n'));
    ASSERT_TRUE(Replied(MSG_SEND));
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(prompter_.Prompts()[0].text,
              L"File upload failed\n" + SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(TransferWorkerTest, StepAfterCancelEndsTheJobAtOnce) {
    ContinueFlag.store(0);
    test::WriteTextFile(InSync(L"n.txt"), "n");
    Post(MSG_FETCH, L"n.txt", OnPc(L"n.txt"));
    EXPECT_FALSE(Replied(MSG_FETCH));
    EXPECT_FALSE(test::FileExists(OnPc(L"n.txt")));
}

TEST_F(TransferWorkerTest, ExportConversionRunsTheConverterAndReplies) {
    test::WriteTextFile(OnPc(L"Book1.xls"), "workbook");
    Post(MSG_EXPORT_CONVERT, OnPc(L"Book1.xls"), OnPc(L"~qs2.tmp"), DocumentKind::Spreadsheet);
    ASSERT_TRUE(Replied(MSG_EXPORT_CONVERT));
    EXPECT_EQ(converter_->exports, 1);
    EXPECT_EQ(test::ReadTextFile(OnPc(L"~qs2.tmp")), "converted");
    EXPECT_EQ(job_.Messages()[job_.Messages().size() - 2].message, MSG_PROGRESS);

    // A document of kind 0 is answered without a conversion.
    Post(MSG_IMPORT_CONVERT, OnPc(L"x"), OnPc(L"y"));
    ASSERT_TRUE(Replied(MSG_IMPORT_CONVERT));
    EXPECT_EQ(converter_->imports, 0);
}

TEST_F(TransferWorkerTest, FailedConversionIsReportedAndTheBatchGoesOn) {
    converter_->result = -10000;
    strcpy(converter_->lastError, "Error starting MS Excel");
    Post(MSG_IMPORT_CONVERT, OnPc(L"in.shf"), OnPc(L"out.xls"), DocumentKind::Spreadsheet);
    ASSERT_TRUE(Replied(MSG_IMPORT_CONVERT));
    ASSERT_EQ(prompter_.Prompts().size(), 1u);
    EXPECT_EQ(prompter_.Prompts()[0].text, L"Error converting file\nError starting MS Excel");
}

TEST_F(TransferWorkerTest, CancelDuringConversionEndsTheJob) {
    converter_->progress[0] = 30;
    converter_->progressCount = 1;
    job_.onMessage = [](const Received& received) {
        if (received.message == MSG_PROGRESS) {
            ContinueFlag.store(0);
        }
    };
    Post(MSG_EXPORT_CONVERT, OnPc(L"in.xls"), OnPc(L"out.shf"), DocumentKind::Spreadsheet);
    EXPECT_FALSE(Replied(MSG_EXPORT_CONVERT));
    EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(TransferWorkerTest, WirelessFetchPassesUtf8RemotePathAndWidePcPath) {
    ConnectWireless(L"1/Docs");
    const std::wstring pcPath = OnPc(L"\u00DCbersicht.xls");
    Post(MSG_FETCH, L"\u00DCbersicht.xls", pcPath);
    ASSERT_TRUE(Replied(MSG_FETCH));
    EXPECT_STREQ(skylink_->remotePath, "/Docs/\xC3\x9C"
                                       "bersicht.xls");
    EXPECT_EQ(std::wstring(skylink_->pcPath), pcPath);
    EXPECT_TRUE(test::FileExists(pcPath));
}

TEST_F(TransferWorkerTest, CancelDuringAWirelessCopyClosesWithoutPrompt) {
    ConnectWireless(L"1");
    skylink_->progress[0] = 10;
    skylink_->progress[1] = 20;
    skylink_->progressCount = 2;
    step_.size = 100;
    job_.onMessage = [](const Received& received) {
        if (received.message == MSG_PROGRESS) {
            ContinueFlag.store(0);
        }
    };
    Post(MSG_FETCH, L"big.xls", OnPc(L"big.xls"));
    EXPECT_FALSE(Replied(MSG_FETCH));
    EXPECT_TRUE(prompter_.Prompts().empty());
    EXPECT_EQ(skylink_->callbackCount, 1);
    EXPECT_EQ(skylink_->callbackResults[0], 0);
    EXPECT_EQ(job_.Count(MSG_PROGRESS), 1);
}

TEST_F(TransferWorkerTest, RetriedWirelessSendReconnectsFirst) {
    ConnectWireless(L"1");
    skylink_->sendFailures = 1;
    skylink_->hasLastError = true;
    strcpy(skylink_->lastError, "507 Insufficient Storage");
    memset(skylink_->calls, 0, sizeof skylink_->calls);
    prompter_.Answer(IDRETRY);
    test::WriteTextFile(OnPc(L"a.doc"), "doc");
    Post(MSG_SEND, OnPc(L"a.doc"), L"a.doc");
    ASSERT_TRUE(Replied(MSG_SEND));
    EXPECT_STREQ(skylink_->calls, "SEDCLS");
    EXPECT_EQ(prompter_.Prompts()[0].text, L"File upload failed\n507 Insufficient Storage");
    EXPECT_EQ(WirelessConnected.load(), 1);
}

TEST_F(TransferWorkerTest, AbortedWirelessEraseDisconnects) {
    ConnectWireless(L"1/Docs");
    skylink_->deleteFailures = 1;
    skylink_->hasLastError = true;
    strcpy(skylink_->lastError, "403 Forbidden");
    prompter_.Answer(IDABORT);
    Post(MSG_ERASE, L"a.shf", L"");
    EXPECT_FALSE(Replied(MSG_ERASE));
    EXPECT_STREQ(skylink_->remotePath, "/Docs/a.shf");
    EXPECT_EQ(prompter_.Prompts()[0].text, L"Failed to delete file\n403 Forbidden");
    EXPECT_EQ(WirelessConnected.load(), 0);
    EXPECT_EQ(mainWindow_.Commands(CMD_CONNECTION_STATE).back(), CONNECTION_NONE);
}

TEST_F(TransferWorkerTest, QuitDisconnectsTheWirelessServer) {
    ConnectWireless(L"1");
    PostToWorker(threadId_, WM_QUIT, 0, 0);
    ASSERT_TRUE(mainWindow_.PumpUntil([](const Received& received) {
        return received.message == WM_COMMAND && LOWORD(received.wParam) == CMD_CONNECTION_STATE &&
               HIWORD(received.wParam) == CONNECTION_NONE;
    }));
    EXPECT_EQ(WirelessConnected.load(), 0);
    EXPECT_EQ(std::string(skylink_->calls).back(), 'D');
}

} // namespace
} // namespace quire::sync
