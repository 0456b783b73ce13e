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

#ifdef QUIRE_LOG_METER
// The synchronisation bench's build of the add-in: the time its lines take
// inside a pass, summed and written when the library is unloaded to the file
// that QUIRE_LOG_METER names, so that the bench can tell the log's share of a
// pass from the rest.  Never in the shipped library.
class LogMeter {
public:
    void add(int64_t ticks) {
        ticks_ += ticks;
        ++lines_;
    }
    ~LogMeter() {
        wchar_t path[MAX_PATH] = {};
        const DWORD pathLength = GetEnvironmentVariableW(L"QUIRE_LOG_METER", path, MAX_PATH);
        LARGE_INTEGER frequency{};
        if (pathLength == 0 || pathLength >= MAX_PATH || !QueryPerformanceFrequency(&frequency)) {
            return;
        }
        char text[64];
        const int length = std::snprintf(text, sizeof text, "log %.6f\nlines %llu\n",
                                         double(ticks_) / double(frequency.QuadPart),
                                         static_cast<unsigned long long>(lines_));
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file && length > 0) {
            WriteFile(file.get(), text, static_cast<DWORD>(length), &written, nullptr);
        }
    }

private:
    int64_t ticks_ = 0;
    uint64_t lines_ = 0;
};

LogMeter meter;

class MeteredLine {
public:
    MeteredLine() { QueryPerformanceCounter(&start_); }
    ~MeteredLine() {
        LARGE_INTEGER end{};
        QueryPerformanceCounter(&end);
        meter.add(end.QuadPart - start_.QuadPart);
    }

private:
    LARGE_INTEGER start_{};
};
#endif

} // namespace

void AddinLog::write(std::string_view message) const noexcept {
#ifdef QUIRE_LOG_METER
    const MeteredLine metered;
#endif
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
