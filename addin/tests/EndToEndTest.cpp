// The add-in library loaded by the host stand-in, in a process of its own.
#include "AddinTestSupport.h"
#include "base/UniqueHandle.h"
#include "store/LocalSyncFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>

using namespace quire;
using namespace quire::addin;
using namespace quire::addin::testing;

namespace {

std::wstring besideTest(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

struct HostRun {
    DWORD exitCode = 0;
    std::string output;
    std::vector<std::wstring> dialogs;
};

class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest() {
        key_.setString(std::wstring(L"") + kSettingsKey, L"local synch folder", sync_.path());
    }

    HostRun synchost(const std::wstring& arguments, std::vector<DialogAnswer> answers = {}) {
        // A file of its own for each run: under Wine the last child's handle
        // on its output may outlive the child for a moment.
        std::wstring output = work_.file(L"out" + std::to_wstring(++runs_) + L".txt");
        SECURITY_ATTRIBUTES inherit{};
        inherit.nLength = sizeof inherit;
        inherit.bInheritHandle = TRUE;
        HostRun run;
        {
            FileHandle out(CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                       CREATE_ALWAYS, 0, nullptr));
            if (!out) {
                ADD_FAILURE() << "cannot create the host's output file: " << GetLastError();
                return run;
            }
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = out.get();
            startup.hStdError = out.get();
            PROCESS_INFORMATION process{};
            std::wstring command = L"\"" + besideTest(L"synchost.exe") + L"\" " + arguments;
            // Detached: a console of its own would come with a console host
            // process that inherits the output handle and may outlive the child.
            if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                nullptr, work_.path().c_str(), &startup, &process)) {
                ADD_FAILURE() << "synchost did not start";
                return run;
            }
            KernelHandle thread(process.hThread);
            KernelHandle child(process.hProcess);
            DialogAnswerer answerer(process.dwProcessId, std::move(answers));
            WaitForSingleObject(child.get(), 60000);
            GetExitCodeProcess(child.get(), &run.exitCode);
            run.dialogs = answerer.shownPaths();
        }
        std::vector<uint8_t> bytes = readFile(output);
        run.output.assign(bytes.begin(), bytes.end());
        return run;
    }

    std::wstring database() const { return L"\"" + work_.file(L"handheld") + L"\""; }

    HostRun put(const std::wstring& file, const std::wstring& path) {
        return synchost(L"put " + database() + L" \"" + file + L"\" " + path);
    }

    HostRun synchronise(std::vector<DialogAnswer> answers = {},
                        const std::wstring& moreOptions = {}) {
        return synchost(L"sync " + database() + L" --addin \"" + besideTest(L"QuireAddin.dll") +
                            L"\" --user-root \"" + key_.path() + L"\"" + moreOptions,
                        std::move(answers));
    }

    int runs_ = 0;
    ScratchKey key_;
    ScratchFolder work_;
    ScratchFolder sync_;
};

TEST_F(EndToEndTest, DocumentsMoveBothWaysThroughTheAddin) {
    const uint64_t old = makeTime(2004, 1, 1);
    writeFile(work_.file(L"a.xls"), patternBytes(50000, 1), old);
    writeFile(work_.file(L"c.xls"), bytesOf("handheld c"), old);
    ASSERT_EQ(put(work_.file(L"a.xls"), L"/Sheets/a.xls").exitCode, 0u);
    ASSERT_EQ(put(work_.file(L"c.xls"), L"/c.xls").exitCode, 0u);
    writeFile(sync_.file(L"b.pgd"), patternBytes(70000, 2), old);
    writeFile(sync_.file(L"c.shf"), bytesOf("desktop c"), old);

    // The first pass has no date: the file both sides hold is a conflict.
    HostRun first = synchronise({DialogAnswer::SecondChoiceOk});
    EXPECT_EQ(first.exitCode, 0u) << first.output;
    EXPECT_EQ(first.dialogs, std::vector<std::wstring>{L"/c.shf"});
    EXPECT_NE(first.output.find("to handheld: /b.doc (70000 bytes)"), std::string::npos)
        << first.output;
    EXPECT_NE(first.output.find("to handheld: /c.xls (9 bytes)"), std::string::npos);
    EXPECT_EQ(readFile(sync_.file(L"Sheets\\a.shf")), patternBytes(50000, 1));
    EXPECT_EQ(fileTime(sync_.file(L"Sheets\\a.shf")), old);

    ASSERT_EQ(
        synchost(L"get " + database() + L" /b.doc \"" + work_.file(L"b.out") + L"\"").exitCode, 0u);
    EXPECT_EQ(readFile(work_.file(L"b.out")), patternBytes(70000, 2));
    ASSERT_EQ(
        synchost(L"get " + database() + L" /c.xls \"" + work_.file(L"c.out") + L"\"").exitCode, 0u);
    EXPECT_EQ(readFile(work_.file(L"c.out")), bytesOf("desktop c"));

    std::vector<std::string> log = logLines(work_.file(L"QuireAddin_Log.txt"));
    EXPECT_TRUE(hasLine(log, "file will be updated on handheld"));
    EXPECT_EQ(log.back(), "=== process exiting...");
    EXPECT_TRUE(key_.hasValue(kSettingsKey, L"last synch date"));

    // A handheld change then reaches the desktop without a question.
    writeFile(work_.file(L"a.xls"), bytesOf("edited on the handheld"));
    ASSERT_EQ(put(work_.file(L"a.xls"), L"/Sheets/a.xls").exitCode, 0u);
    HostRun second = synchronise();
    EXPECT_EQ(second.exitCode, 0u) << second.output;
    EXPECT_TRUE(second.dialogs.empty());
    EXPECT_EQ(readFile(sync_.file(L"Sheets\\a.shf")), bytesOf("edited on the handheld"));
    EXPECT_EQ(second.output.find("to handheld:"), std::string::npos) << second.output;
}

// The benchmark reads the pass's own time and the host's memory from here.
TEST_F(EndToEndTest, TheHostWritesItsTimingsWhenAsked) {
    writeFile(work_.file(L"a.xls"), patternBytes(40000, 3));
    ASSERT_EQ(put(work_.file(L"a.xls"), L"/a.xls").exitCode, 0u);
    const std::wstring timings = work_.file(L"timings.txt");
    const auto started = std::chrono::steady_clock::now();
    HostRun run = synchronise({}, L" --timings \"" + timings + L"\"");
    const double whole =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(readFile(sync_.file(L"a.shf")), patternBytes(40000, 3));

    std::map<std::string, double> values;
    const std::vector<uint8_t> bytes = readFile(timings);
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::string key;
    double value = 0;
    while (lines >> key >> value) {
        values[key] = value;
    }
    ASSERT_EQ(values.size(), 4u);
    EXPECT_GT(values["process"], 0);
    EXPECT_LT(values["load"] + values["process"] + values["save"], whole);
    EXPECT_GT(values["peak"], 1 << 20);
}

} // namespace
