#include "FileChecks.h"

#include "base/UniqueHandle.h"

namespace quire::sync {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator + 1);
}

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

} // namespace

std::wstring ChildPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L'\\' + name;
}

std::optional<std::wstring> ExistingName(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW(path.c_str(), &found));
    if (!search) {
        return std::nullopt;
    }
    return std::wstring(found.cFileName);
}

bool CanReplaceExisting(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    FileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    return file && GetFileType(file.get()) != FILE_TYPE_CHAR;
}

bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

DWORD ProbeFileWrite(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return LastErrorOr(ERROR_ACCESS_DENIED);
        }
        file.reset();
        DeleteFileW(path.c_str());
        return 0;
    }
    // Asked of the attributes, not only of the open: an account that may
    // write anything would open a read-only file all the same.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        return ERROR_ACCESS_DENIED;
    }
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        if (!file) {
            return LastErrorOr(ERROR_ACCESS_DENIED);
        }
    }
    wchar_t scratch[MAX_PATH] = {};
    if (!GetTempFileNameW(FolderOf(path).c_str(), L"~qs", 0, scratch)) {
        return LastErrorOr(ERROR_ACCESS_DENIED);
    }
    DeleteFileW(scratch);
    return 0;
}

} // namespace quire::sync
