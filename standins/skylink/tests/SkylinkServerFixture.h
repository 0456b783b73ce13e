#pragma once

// What the tests of the library against a WebDAV server share: the server's
// settings (the file a CTest fixture wrote), files on both sides, progress
// callbacks and a connected fixture with a remote and a PC folder of each
// test's own.
#include "SkylinkLibrary.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace skylink_test {

inline std::wstring widen(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

inline std::map<std::string, std::string> readServerSettings() {
    std::map<std::string, std::string> settings;
    const char* file = std::getenv("SKYLINK_TEST_SERVER");
    std::ifstream in(file != nullptr ? file : "");
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            settings[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return settings;
}

// A Unix path of the server's machine as Wine sees it.
inline std::wstring hostPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + widen(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

inline bool writeFile(const std::wstring& path, const std::string& bytes) {
    quire::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

inline std::optional<std::string> readFile(const std::wstring& path) {
    quire::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

inline bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::vector<std::wstring> namesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    quire::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) {
                names.push_back(data.cFileName);
            }
        } while (FindNextFileW(find.get(), &data));
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

// Progress callbacks carry no context, so they report here.
inline std::vector<DWORD> progressSeen;
inline DWORD stopAtBytes = 0xFFFFFFFF;

inline int __stdcall recordProgress(DWORD bytesDone) {
    progressSeen.push_back(bytesDone);
    return bytesDone >= stopAtBytes ? 0 : 1;
}

struct Listed {
    std::string name;
    DWORD size;
    int kind;
    bool operator<(const Listed& other) const { return name < other.name; }
    bool operator==(const Listed& other) const = default;
};

inline int __stdcall collectEntry(const char* name, DWORD size, int kind, void* context) {
    static_cast<std::vector<Listed>*>(context)->push_back({name, size, kind});
    return 1;
}

inline void expectRisingProgressEndingAt(std::size_t total) {
    ASSERT_GE(progressSeen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
    EXPECT_EQ(std::adjacent_find(progressSeen.begin(), progressSeen.end()), progressSeen.end());
    EXPECT_EQ(progressSeen.back(), total);
}

class SkylinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library_.load());
        settings_ = readServerSettings();
        ASSERT_FALSE(settings_["url"].empty()) << "no test server settings";
        progressSeen.clear();
        stopAtBytes = 0xFFFFFFFF;
    }

    void TearDown() override { library_.disconnect(); }

    int connect(const char* password) {
        return library_.connect(settings_["url"].c_str(), settings_["user"].c_str(), password);
    }

    SkylinkLibrary library_;
    std::map<std::string, std::string> settings_;
};

// Connected, with a remote folder and a PC folder of the test's own.
class SkylinkServerTest : public SkylinkTest {
protected:
    void SetUp() override {
        SkylinkTest::SetUp();
        ASSERT_TRUE(connect(settings_["password"].c_str())) << library_.lastError();
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        remoteFolder_ = "/" + name;
        serverFolder_ = hostPath(settings_["root"]) + L"\\" + widen(name);
        ASSERT_TRUE(CreateDirectoryW(serverFolder_.c_str(), nullptr));
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        pcFolder_ = std::wstring(temp) + L"skylink-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(pcFolder_.c_str(), nullptr);
    }

    void TearDown() override {
        for (const std::wstring& name : namesIn(pcFolder_)) {
            DeleteFileW(pc(name).c_str());
        }
        RemoveDirectoryW(pcFolder_.c_str());
        SkylinkTest::TearDown();
    }

    std::string remote(const std::string& name) const { return remoteFolder_ + "/" + name; }
    std::wstring server(const std::string& name) const {
        return serverFolder_ + L"\\" + widen(name);
    }
    std::wstring pc(const std::wstring& name) const { return pcFolder_ + L"\\" + name; }

    std::vector<Listed> list(const std::string& folder) {
        std::vector<Listed> entries;
        EXPECT_TRUE(library_.getFileList(folder.c_str(), collectEntry, &entries))
            << library_.lastError();
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    std::string remoteFolder_;
    std::wstring serverFolder_;
    std::wstring pcFolder_;
};

} // namespace skylink_test
