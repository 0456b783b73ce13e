#pragma once

// Kills a program that saves one file over and over, at random moments, and
// checks after every kill that the file is one of the versions it saves,
// whole.  The program (a "save loop") is given the target path; it first
// saves each version to "<target>.v0", "<target>.v1" and so on, then saves
// them in turn to the target, creating "<target>.ready" after the first.

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quire::testing {

inline std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

// The program beside the running test program.
inline std::wstring ProgramBesideTests(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Wine now and then refuses a new process with ERROR_INTERNAL_ERROR while the
// machine is loaded and a killed one is still being torn down; a few tries
// spread over a second tell that apart from a program that cannot start.
inline bool StartSaveLoop(const std::wstring& program, std::wstring& commandLine,
                          STARTUPINFOW& startup, PROCESS_INFORMATION& process) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                           DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
            return true;
        }
        if (GetLastError() != ERROR_INTERNAL_ERROR) {
            return false;
        }
        Sleep(200);
    }
    return false;
}

struct KilledSavesReport {
    int rounds = 0;
    int killedWhileSaving = 0; // rounds that left a scratch file behind
};

// Runs `rounds` rounds of start, wait for the first save, sleep up to
// `maxDelayMs`, kill; `versions` is how many versions the loop saves.
inline void ExpectKilledSavesLeaveAWholeFile(const std::wstring& program,
                                             const std::wstring& target, int versions, int rounds,
                                             int maxDelayMs, KilledSavesReport& report) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> delay(0, maxDelayMs);
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    const std::wstring ready = target + L".ready";
    for (int round = 0; round < rounds; ++round) {
        DeleteFileW(ready.c_str());
        std::wstring commandLine = L"\"" + program + L"\" \"" + target + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(StartSaveLoop(program, commandLine, startup, process))
            << "cannot start the save loop: error " << GetLastError();
        bool started = false;
        for (int wait = 0; wait < 3000 && !started; ++wait) {
            started = GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (!started) {
                if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) {
                    break;
                }
            }
        }
        if (started) {
            Sleep(static_cast<DWORD>(delay(random)));
        }
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        ASSERT_TRUE(started) << "the save loop never saved (round " << round << ")";

        const std::optional<std::string> now = ReadWholeFile(target);
        ASSERT_TRUE(now) << "no file after the kill of round " << round;
        bool whole = false;
        for (int v = 0; v < versions && !whole; ++v) {
            whole = ReadWholeFile(target + L".v" + std::to_wstring(v)) == now;
        }
        ASSERT_TRUE(whole) << "round " << round << " left " << now->size()
                           << " bytes that are none of the versions";
        ++report.rounds;

        // What the killed save left beside the target is removed, so that
        // rounds do not pile scratch files up.
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        bool leftover = false;
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring path = folder + L"\\" + found.cFileName;
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && path != target &&
                    path != ready && path.rfind(target + L".v", 0) != 0) {
                    leftover = true;
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        report.killedWhileSaving += leftover ? 1 : 0;
    }
}

} // namespace quire::testing
