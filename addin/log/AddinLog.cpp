#include "AddinLog.h"

#include "base/CodePage.h"
#include "base/UniqueHandle.h"

#include <cstdio>

namespace quire::addin {

namespace {

std::string formatLocal(const SYSTEMTIME& utc) {
    FILETIME utcTime{};
    FILETIME localTime{};
    SYSTEMTIME local{};
    SystemTimeToFileTime(&utc, &utcTime);
    FileTimeToLocalFileTime(&utcTime, &localTime);
    FileTimeToSystemTime(&localTime, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", local.wDay, local.wMonth,
                  local.wYear, local.wHour, local.wMinute, local.wSecond);
    return text;
}

} // namespace

void AddinLog::write(std::string_view message) const noexcept {
    // Opened for appending and closed again for every line, so that the log
    // can be read, moved or deleted between any two lines.
    FileHandle file(CreateFileW(file_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    uint64_t second = ((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000000;
    // Lines come many to a second; the local time text is made once per second.
    try {
        if (second != stampSecond_) {
            stamp_ = logTime(second * 10000000);
            stampSecond_ = second;
        }
        std::string line = stamp_;
        line += ' ';
        line += message;
        line += "\r\n";
        DWORD written = 0;
        WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } catch (...) {
        // A line that cannot be made is lost like one that cannot be written.
    }
}

std::string logTime(uint64_t utcFileTime) {
    FILETIME time{static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
    SYSTEMTIME utc{};
    FileTimeToSystemTime(&time, &utc);
    return formatLocal(utc);
}

std::string toUtf8(std::wstring_view text) {
    return NarrowLossy(CP_UTF8, text);
}

std::string toAnsi(std::wstring_view text) {
    return NarrowLossy(CP_ACP, text, "_");
}

} // namespace quire::addin
