#include "AddinTestSupport.h"

#include "base/UniqueHandle.h"
#include "pass/LastSynchDate.h"
#include "records/HandheldRecords.h"
#include "store/LocalSyncFolder.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <sstream>
#include <set>

namespace quire::addin::testing {

std::wstring uniqueName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    std::replace(name.begin(), name.end(), '/', '_');
    static int counter = 0;
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L"-" +
           std::wstring(name.begin(), name.end());
}

ScratchKey::ScratchKey() : path_(L"Software\\QuireAddinTests\\" + uniqueName()) {
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
}

ScratchKey::~ScratchKey() {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchKey::setString(const std::wstring& subkey, const wchar_t* name,
                           const std::wstring& value) {
    RegSetKeyValueW(key_, subkey.c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ScratchKey::setDword(const std::wstring& subkey, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(key_, subkey.c_str(), name, REG_DWORD, &value, sizeof value);
}

void ScratchKey::setBinary(const std::wstring& subkey, const wchar_t* name, const void* data,
                           DWORD size) {
    RegSetKeyValueW(key_, subkey.c_str(), name, REG_BINARY, data, size);
}

bool ScratchKey::exists(const std::wstring& subkey) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(key_, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool ScratchKey::hasValue(const std::wstring& subkey, const wchar_t* name) const {
    return RegGetValueW(key_, subkey.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::wstring ScratchKey::value(const std::wstring& subkey, const wchar_t* name) const {
    BYTE data[2048] = {};
    DWORD size = sizeof data - 2;
    DWORD type = 0;
    if (RegGetValueW(key_, subkey.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    if (type == REG_DWORD) {
        return std::to_wstring(*reinterpret_cast<DWORD*>(data));
    }
    return reinterpret_cast<wchar_t*>(data);
}

ScratchFolder::ScratchFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"quire-addin-" + uniqueName();
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    std::wstring from = path_ + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
}

std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> patternBytes(size_t count, uint8_t seed) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    }
    return bytes;
}

void writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes, uint64_t time) {
    {
        FileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file) << "cannot create the file";
        DWORD put = 0;
        if (!bytes.empty()) {
            WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
        }
        if (time) {
            FILETIME value{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
            SetFileTime(file.get(), &value, &value, &value);
        }
    }
}

std::vector<uint8_t> readFile(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<uint8_t> bytes;
    if (!file) {
        return bytes;
    }
    bytes.resize(GetFileSize(file.get(), nullptr));
    DWORD got = 0;
    if (!bytes.empty()) {
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    }
    return bytes;
}

uint64_t fileTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> filesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) {
        return names;
    }
    do {
        if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) {
            names.emplace_back(data.cFileName);
        }
    } while (FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

uint64_t makeTime(int year, int month, int day, int hour) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    FILETIME value{};
    SystemTimeToFileTime(&time, &value);
    return (uint64_t(value.dwHighDateTime) << 32) | value.dwLowDateTime;
}

uint64_t localTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    SYSTEMTIME utc{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME value{};
    SystemTimeToFileTime(&utc, &value);
    return (uint64_t(value.dwHighDateTime) << 32) | value.dwLowDateTime;
}

std::vector<std::string> logLines(const std::wstring& file) {
    std::vector<uint8_t> bytes = readFile(file);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // "dd.mm.yyyy hh:mm:ss " comes first.
        lines.push_back(line.size() >= 20 ? line.substr(20) : line);
    }
    return lines;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

PassFixture::PassFixture() : handheld_(scratch_.file(L"handheld")) {
    key_.setString(kSettingsKey, L"local synch folder", sync_.path());
    services_ = std::make_unique<AddinServices>();
    services_->environment.userRoot = key_.get();
    services_->environment.resources = GetModuleHandleW(nullptr);
    services_->folder = LocalSyncFolder(key_.get());
    services_->log = AddinLog(logFile());
    createQuireSynch(*services_, __uuidof(IDesktopExtension), addin_.putVoid());
}

synchost::SessionResult PassFixture::synchronise(const std::vector<std::wstring>& tables,
                                                 synchost::FaultsPtr faults) {
    synchost::SessionResult result =
        synchost::runSession(handheld_, addin_.get(), tables, std::move(faults));
    handheld_.putAll(result.received);
    handheld_.clearChanged();
    return result;
}

void PassFixture::putOnHandheld(const std::string& path, const std::vector<uint8_t>& content,
                                uint64_t time, bool changed) {
    synchost::Document document;
    synchost::splitPath(path, document.name, document.parent);
    document.content = content;
    document.size = static_cast<int32_t>(content.size());
    document.time = recordTimeText(time);
    document.changed = changed;
    handheld_.put(document);
}

void PassFixture::putFolderOnHandheld(const std::string& path, uint64_t time) {
    synchost::Document document;
    synchost::splitPath(path, document.name, document.parent);
    document.size = -1;
    document.time = recordTimeText(time);
    handheld_.put(document);
}

void PassFixture::setLastSynchDate(uint64_t time) {
    key_.setBinary(kSettingsKey, L"last synch date", &time, sizeof time);
}

uint64_t PassFixture::lastSynchDate() const {
    return ReadLastSynchDate(key_.get());
}

DialogAnswerer::DialogAnswerer(DWORD processId, std::vector<DialogAnswer> answers)
    : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      thread_(&DialogAnswerer::run, this, processId, std::move(answers)) {}

DialogAnswerer::~DialogAnswerer() {
    SetEvent(stop_);
    if (thread_.joinable()) {
        thread_.join();
    }
    CloseHandle(stop_);
}

std::vector<std::wstring> DialogAnswerer::shownPaths() {
    SetEvent(stop_);
    if (thread_.joinable()) {
        thread_.join();
    }
    return shown_;
}

namespace {

struct Search {
    DWORD processId;
    const std::set<HWND>* handled;
    HWND found = nullptr;
};

BOOL CALLBACK findDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (owner == search->processId && IsWindowVisible(window) && wcscmp(title, L"Warning") == 0 &&
        !search->handled->count(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

void pressKey(HWND dialog, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

} // namespace

void DialogAnswerer::run(DWORD processId, std::vector<DialogAnswer> answers) {
    std::set<HWND> handled;
    size_t next = 0;
    while (next < answers.size() && WaitForSingleObject(stop_, 20) == WAIT_TIMEOUT) {
        Search search{processId, &handled};
        EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            continue;
        }
        HWND dialog = search.found;
        handled.insert(dialog);
        Sleep(100); // let the dialog finish showing and take the focus
        wchar_t text[300] = {};
        GetDlgItemTextW(dialog, 201, text, 300);
        shown_.emplace_back(text);
        switch (answers[next++]) {
        case DialogAnswer::Enter:
            pressKey(dialog, VK_RETURN);
            break;
        case DialogAnswer::SecondChoiceOk:
            PostMessageW(GetDlgItem(dialog, 203), BM_CLICK, 0, 0);
            PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            break;
        case DialogAnswer::Escape:
            pressKey(dialog, VK_ESCAPE);
            break;
        case DialogAnswer::CloseBox:
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
    }
}

} // namespace quire::addin::testing
