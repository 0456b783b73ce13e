#include "SheafContainer.h"
#include "SheafFile.h"
#include "SheafResult.h"
#include "SheafTestDocuments.h"
#include "base/UniqueHandle.h"
#include "testing/FullDisk.h"
#include "testing/KilledSaves.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace sheaf;
using namespace sheaf::testing;

namespace {

class SheafFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        folder_ = std::string(base) + "sheaf-" + std::to_string(GetCurrentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder_.c_str(), nullptr);
    }

    void TearDown() override {
        for (const std::string& name : filesInFolder()) {
            DeleteFileA(path(name.c_str()).c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }

    std::string path(const char* name) const { return folder_ + "\\" + name; }

    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        quire::FindHandle find(FindFirstFileA((folder_ + "\\*").c_str(), &data));
        if (!find) {
            return names;
        }
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.emplace_back(data.cFileName);
            }
        } while (FindNextFileA(find.get(), &data));
        return names;
    }

    std::vector<uint8_t> contents(const char* name) const {
        std::vector<uint8_t> bytes;
        quire::FileHandle file(CreateFileA(path(name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) {
            return bytes;
        }
        bytes.resize(GetFileSize(file.get(), nullptr));
        DWORD got = 0;
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        bytes.resize(got);
        return bytes;
    }

    void write(const char* name, const std::vector<uint8_t>& bytes) const {
        quire::FileHandle file(
            CreateFileA(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    std::string folder_;
};

} // namespace

TEST_F(SheafFileTest, SavesAndLoadsTheKnownFile) {
    ASSERT_EQ(saveDocument(numberOneDocument(), path("Book1.shf").c_str()), kResultOk);
    EXPECT_EQ(contents("Book1.shf"), numberOneFile());
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"Book1.shf"}) << "no temporary file left";

    SheafDocument loaded;
    ASSERT_EQ(loadDocument(loaded, path("Book1.shf").c_str()), kResultOk);
    EXPECT_EQ(loaded, numberOneDocument());
}

TEST_F(SheafFileTest, SaveReplacesAnOlderFile) {
    write("Book1.shf", std::vector<uint8_t>(5000, 0x55));
    ASSERT_EQ(saveDocument(numberOneDocument(), path("Book1.shf").c_str()), kResultOk);
    EXPECT_EQ(contents("Book1.shf"), numberOneFile());
}

TEST_F(SheafFileTest, FailedSaveKeepsTheFileThatStoodThere) {
    const std::vector<uint8_t> older(300, 0x42);
    write("Book1.shf", older);
    {
        // Another program holds the file open without sharing.
        quire::FileHandle lock(CreateFileA(path("Book1.shf").c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_EQ(saveDocument(numberOneDocument(), path("Book1.shf").c_str()),
                  kResultFileNotFound);
    }
    EXPECT_EQ(contents("Book1.shf"), older);
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"Book1.shf"});
}

TEST_F(SheafFileTest, SaveIntoAMissingFolderCannotCreateTheFile) {
    EXPECT_EQ(saveDocument(numberOneDocument(), path("missing\\Book1.shf").c_str()),
              kResultFileNotFound);
}

TEST_F(SheafFileTest, LoadReportsMissingAndDamagedFiles) {
    SheafDocument loaded;
    EXPECT_EQ(loadDocument(loaded, path("none.shf").c_str()), kResultFileNotFound);

    std::vector<uint8_t> damaged = numberOneFile();
    damaged[3] = 0x31;
    write("bad.shf", damaged);
    loaded.append(wordRecord(1));
    EXPECT_EQ(loadDocument(loaded, path("bad.shf").c_str()), kResultReadFault);
    EXPECT_EQ(loaded.recordCount(), 0);

    std::vector<uint8_t> cut = numberOneFile();
    cut.resize(cut.size() - 1);
    write("cut.shf", cut);
    EXPECT_EQ(loadDocument(loaded, path("cut.shf").c_str()), kResultReadFault);
    EXPECT_EQ(loaded.recordCount(), 0);
}

TEST_F(SheafFileTest, LoadsRecordsLargerThanTheReadBuffer) {
    SheafDocument document;
    RecordBuffer big;
    for (int i = 0; i < 100000; ++i) {
        big.appendWord(static_cast<uint32_t>(i));
    }
    document.append(big);
    document.append(wordRecord(3));
    ASSERT_EQ(saveDocument(document, path("big.shf").c_str()), kResultOk);
    SheafDocument loaded;
    ASSERT_EQ(loadDocument(loaded, path("big.shf").c_str()), kResultOk);
    EXPECT_EQ(loaded, document);
}

TEST_F(SheafFileTest, SaveOntoAFullDiskKeepsTheOldFileAndLeavesNoPart) {
    QUIRE_NEED_FULL_DISK(disk);
    const std::string folder(disk.folder.begin(), disk.folder.end());
    const std::string kept = folder + "\\Book1.shf";
    const std::vector<uint8_t> older(300, 0x42);
    write("Book1.shf", older);
    ASSERT_TRUE(CopyFileA(path("Book1.shf").c_str(), kept.c_str(), FALSE));
    SheafDocument document;
    RecordBuffer big;
    for (unsigned long long i = 0; i < disk.freeBytes / 4 + 100000; ++i) {
        big.appendWord(static_cast<uint32_t>(i));
    }
    document.append(big);

    EXPECT_EQ(saveDocument(document, kept.c_str()), kResultWriteFault);
    EXPECT_EQ(saveDocument(document, (folder + "\\Book2.shf").c_str()), kResultWriteFault);
    EXPECT_EQ(quire::testing::NamesOnFullDisk(disk.folder),
              std::vector<std::wstring>{L"Book1.shf"});
    ASSERT_TRUE(CopyFileA(kept.c_str(), path("Book1.shf").c_str(), FALSE));
    DeleteFileA(kept.c_str());
    EXPECT_EQ(contents("Book1.shf"), older);
}

TEST_F(SheafFileTest, KilledSavesLeaveTheOldFileOrTheNewOneWhole) {
    const std::string target = path("Book1.shf");
    quire::testing::KilledSavesReport report;
    quire::testing::ExpectKilledSavesLeaveAWholeFile(
        quire::testing::ProgramBesideTests(L"shf_save_loop.exe"),
        std::wstring(target.begin(), target.end()), 2, 100, 30, report);
    EXPECT_EQ(report.rounds, 100);
    EXPECT_GT(report.killedWhileSaving, 0) << "no kill came during a save";
    std::printf("%d kills, %d of them during a save\n", report.rounds, report.killedWhileSaving);
}
