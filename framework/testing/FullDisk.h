#pragma once

// The small, nearly full file system that tools/run-tests mounts for the tests
// of what a full disk does to a save, a copy or a download (tools/full-disk).
// Tests that use it hold the `full_disk` resource lock, so that only one at a
// time fills it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace quire::testing {

struct FullDisk {
    std::wstring folder;     // as Wine sees it; empty when there is none
    std::string unavailable; // why there is none
    unsigned long long freeBytes = 0;
};

inline FullDisk FindFullDisk() {
    FullDisk disk;
    const char* settings = std::getenv("QUIRE_FULL_DISK");
    if (settings == nullptr || *settings == '\0') {
        disk.unavailable = "QUIRE_FULL_DISK is not set (tools/run-tests sets it)";
        return disk;
    }
    std::ifstream in(std::string("Z:") + settings);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("folder=", 0) == 0) {
            std::string path = line.substr(7);
            std::replace(path.begin(), path.end(), '/', '\\');
            disk.folder = L"Z:" + std::wstring(path.begin(), path.end());
        } else if (line.rfind("free=", 0) == 0) {
            disk.freeBytes = std::strtoull(line.c_str() + 5, nullptr, 10);
        } else if (line.rfind("unavailable=", 0) == 0) {
            disk.unavailable = line.substr(12);
        }
    }
    if (disk.folder.empty() && disk.unavailable.empty()) {
        disk.unavailable = std::string("no full disk is described in ") + settings;
    }
    return disk;
}

// Names on the disk, apart from the file that fills it.
inline std::vector<std::wstring> NamesOnFullDisk(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L".." && name != L".filler") {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Removes what an earlier test left, so that each test finds the same space.
inline void EmptyFullDisk(const std::wstring& folder) {
    for (const std::wstring& name : NamesOnFullDisk(folder)) {
        const std::wstring path = folder + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

} // namespace quire::testing

// Gives `disk` the full disk's folder, or skips the calling test with the
// reason there is none.
#define QUIRE_NEED_FULL_DISK(disk)                                                                 \
    const ::quire::testing::FullDisk disk = ::quire::testing::FindFullDisk();                      \
    if (disk.folder.empty()) {                                                                     \
        GTEST_SKIP() << "no full disk: " << disk.unavailable;                                      \
    }
