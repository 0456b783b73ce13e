// A save killed part way, under Wine as the automation server runs it.
#include "testing/KilledSaves.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(XlsKilledSaveTest, KilledSavesLeaveTheOldFileOrTheNewOneWhole) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"xls-killed-saves-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring target = folder + L"\\Book1.xls";
    quire::testing::KilledSavesReport report;
    quire::testing::ExpectKilledSavesLeaveAWholeFile(
        quire::testing::ProgramBesideTests(L"xls_save_loop.exe"), target, 2, 100, 30, report);
    EXPECT_EQ(report.rounds, 100);
    EXPECT_GT(report.killedWhileSaving, 0) << "no kill came during a save";
    std::printf("%d kills, %d of them during a save\n", report.rounds, report.killedWhileSaving);
    for (const wchar_t* name : {L"", L".v0", L".v1", L".ready"}) {
        DeleteFileW((target + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}
