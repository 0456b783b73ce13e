#pragma once

#include "base/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace skylink {

// A file written beside its target under a temporary name and renamed onto the
// target only when complete, so that a stopped or failed download leaves the
// target as it was.  Deleted when not committed.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    // False with the last error set.
    bool create(const std::wstring& target);
    bool write(const void* data, DWORD size);
    bool commit();

private:
    quire::FileHandle file_;
    std::wstring target_;
    std::wstring path_;
};

} // namespace skylink
