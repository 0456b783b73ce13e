#include "TempFile.h"

#include "LastError.h"
#include "base/FileWrite.h"

namespace skylink {

TempFile::~TempFile() {
    if (!path_.empty()) {
        file_.reset();
        DeleteFileW(path_.c_str());
    }
}

bool TempFile::create(const std::wstring& target) {
    const auto separator = target.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? L"." : target.substr(0, separator);
    wchar_t path[MAX_PATH];
    // Creates the file, so the name is ours.
    if (GetTempFileNameW(folder.c_str(), L"~sk", 0, path) == 0) {
        setSystemError(GetLastError());
        return false;
    }
    path_ = path;
    target_ = target;
    file_.reset(CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) {
        setSystemError(GetLastError());
        return false;
    }
    return true;
}

bool TempFile::write(const void* data, DWORD size) {
    if (!quire::WriteAll(file_.get(), data, size)) {
        setSystemError(GetLastError());
        return false;
    }
    return true;
}

bool TempFile::commit() {
    file_.reset();
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        setSystemError(GetLastError());
        return false;
    }
    path_.clear();
    return true;
}

} // namespace skylink
