#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace quire::addin {

// The add-in's log: one time-stamped line per call, appended to a text file
// that is opened and closed again for every line.  A line that cannot be
// written is lost; the caller goes on.
class AddinLog {
public:
    static constexpr const wchar_t* kDefaultFile = L"QuireAddin_Log.txt";

    explicit AddinLog(std::wstring file = kDefaultFile) : file_(std::move(file)) {}

    void write(std::string_view message) const noexcept;

private:
    std::wstring file_;
    mutable uint64_t stampSecond_ = 0;
    mutable std::string stamp_;
};

// "dd.mm.yyyy hh:mm:ss" in local time for a UTC file time.
std::string logTime(uint64_t utcFileTime);

// Text conversions for log lines and records.
std::string toUtf8(std::wstring_view text);
std::string toAnsi(std::wstring_view text);

} // namespace quire::addin
