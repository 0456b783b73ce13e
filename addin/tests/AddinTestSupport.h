#pragma once

#include "HandheldDatabase.h"
#include "SyncSession.h"
#include "QuireAddin.h"
#include "object/QuireSynch.h"
#include "records/HandheldRecords.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quire::addin::testing {

// A registry key of the test's own below HKEY_CURRENT_USER, removed afterwards.
class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    HKEY get() const { return key_; }
    const std::wstring& path() const { return path_; }

    void setString(const std::wstring& subkey, const wchar_t* name, const std::wstring& value);
    void setDword(const std::wstring& subkey, const wchar_t* name, DWORD value);
    void setBinary(const std::wstring& subkey, const wchar_t* name, const void* data, DWORD size);
    bool exists(const std::wstring& subkey) const;
    // The value as text ("" when absent); DWORDs as decimal.
    std::wstring value(const std::wstring& subkey, const wchar_t* name) const;
    bool hasValue(const std::wstring& subkey, const wchar_t* name) const;

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

// A folder of the test's own, removed with its contents afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

std::wstring uniqueName();
std::vector<uint8_t> bytesOf(const std::string& text);
std::vector<uint8_t> patternBytes(size_t count, uint8_t seed = 1);
void writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes, uint64_t time = 0);
std::vector<uint8_t> readFile(const std::wstring& path);
uint64_t fileTime(const std::wstring& path);
bool fileExists(const std::wstring& path);
std::vector<std::wstring> filesIn(const std::wstring& folder);
uint64_t makeTime(int year, int month, int day, int hour = 12);
// The UTC file time of a local time, found through the time zone rules
// rather than the add-in's own conversions.
uint64_t localTime(int year, int month, int day, int hour, int minute = 0, int second = 0);
// The log's lines without their time stamps.
std::vector<std::string> logLines(const std::wstring& file);
bool hasLine(const std::vector<std::string>& lines, const std::string& line);

// An add-in aimed at scratch settings and a scratch sync folder, a simulated
// handheld, and the host driving them in this process.
class PassFixture {
public:
    PassFixture();

    synchost::SessionResult synchronise(const std::vector<std::wstring>& tables = {},
                                        synchost::FaultsPtr faults = nullptr);
    void putOnHandheld(const std::string& path, const std::vector<uint8_t>& content, uint64_t time,
                       bool changed = false);
    void putFolderOnHandheld(const std::string& path, uint64_t time);
    void setLastSynchDate(uint64_t time);
    uint64_t lastSynchDate() const;
    std::wstring desktop(const std::wstring& relative) const { return sync_.file(relative); }
    std::vector<std::string> log() const { return logLines(logFile()); }
    std::wstring logFile() const { return scratch_.file(L"QuireAddin_Log.txt"); }

    ScratchKey key_;
    ScratchFolder scratch_;
    ScratchFolder sync_;
    synchost::HandheldDatabase handheld_;
    std::unique_ptr<AddinServices> services_;
    com::ComPtr<IDesktopExtension> addin_;
};

// Answers the conflict dialogs that a process shows, one answer each, from a
// thread of its own, and notes the path each dialog showed.
enum class DialogAnswer { Enter, SecondChoiceOk, Escape, CloseBox };
class DialogAnswerer {
public:
    DialogAnswerer(DWORD processId, std::vector<DialogAnswer> answers);
    ~DialogAnswerer();
    // The texts of control 201 of each dialog answered, once all are done.
    std::vector<std::wstring> shownPaths();

private:
    void run(DWORD processId, std::vector<DialogAnswer> answers);

    std::vector<std::wstring> shown_;
    HANDLE stop_;
    std::thread thread_;
};

} // namespace quire::addin::testing
