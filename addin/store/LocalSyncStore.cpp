#include "LocalSyncStore.h"

#include "StoreName.h"
#include "base/FileWrite.h"
#include "base/UniqueHandle.h"

#include <algorithm>
#include <cstdio>

namespace quire::addin {

namespace {

uint64_t fileTimeValue(const FILETIME& time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME toFileTime(uint64_t value) {
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

[[noreturn]] void throwLastError() {
    throw CSynchException(Win32ErrorText());
}

// A scratch file beside the target, made and opened in one call, under the
// names GetTempFileName would give: it closes the file it makes, and opening
// it again is another server call under Wine for every file a pass saves.
FileHandle createScratchFile(const std::wstring& folder, std::wstring& path) {
    const unsigned first = GetTickCount();
    for (unsigned n = 0; n <= 0xFFFF; ++n) {
        path = folder + StoreScratchName(first + n);
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return file;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS &&
            code != ERROR_SHARING_VIOLATION) {
            break;
        }
    }
    path.clear();
    return FileHandle();
}

} // namespace

std::string Win32ErrorText() {
    DWORD code = GetLastError();
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    if (length == 0 || !text) {
        char fallback[64];
        std::snprintf(fallback, sizeof fallback, "Win32 error (%#010lx) occured",
                      static_cast<unsigned long>(code));
        return fallback;
    }
    std::string message(text, length);
    LocalFree(text);
    return message;
}

void ToDesktopName(SyncEntry& entry) {
    entry.path = DesktopPathOf(std::move(entry.path), entry.isFolder());
}

void ToHandheldName(SyncEntry& entry) {
    entry.path = HandheldPathOf(std::move(entry.path), entry.isFolder());
}

std::wstring LocalSyncStore::FullPath(const SyncEntry& entry) {
    return folder_.path() + StoreRelativePath(entry.path);
}

EntrySet LocalSyncStore::ScanFolder() {
    EntrySet entries;
    scan(L"", entries);
    return entries;
}

void LocalSyncStore::scan(std::wstring relative, EntrySet& entries) {
    if (!relative.empty()) {
        relative += L'\\';
    }
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder_.path() + relative + L"*").c_str(), &data));
    if (!find) {
        return;
    }
    do {
        std::wstring name = data.cFileName;
        SyncEntry entry;
        entry.path = L"/" + relative + name;
        std::replace(entry.path.begin(), entry.path.end(), L'\\', L'/');
        entry.time = fileTimeValue(data.ftLastWriteTime);
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder && (name == L"." || name == L"..")) {
            continue;
        }
        if (!folder && IsUnfinishedSaveName(name)) {
            log_.write("unfinished save skipped: " + toUtf8(entry.path));
            continue;
        }
        // Sent, such a name would come back under another path, as a second
        // document beside this one, or be refused on its way back.
        if (!ReturnsFromHandheld(entry.path, folder)) {
            log_.write("name cannot make the way to the handheld and back, skipped: " +
                       toUtf8(entry.path));
            continue;
        }
        if (folder) {
            scan(relative + name, entries);
            entry.kind = EntryKind::Folder;
            entry.size = -1;
        } else {
            entry.kind = EntryKind::File;
            entry.size = static_cast<int32_t>(data.nFileSizeLow);
        }
        entries.insert(std::move(entry));
    } while (FindNextFileW(find.get(), &data));
}

bool LocalSyncStore::EntryExists(const SyncEntry& entry) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(FullPath(entry).c_str(), &data));
    return static_cast<bool>(find);
}

void LocalSyncStore::LoadContent(SyncEntry& entry) {
    if (entry.isFolder()) {
        entry.size = -1;
        entry.content.clear();
        return;
    }
    // Read only, beside other readers and writers: a read-only document, or
    // one another program has open, can still be sent.
    FileHandle file(CreateFileW(FullPath(entry).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throwLastError();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return;
    }
    if (size.QuadPart == 0) {
        entry.size = 0;
        entry.content.clear();
        return;
    }
    if (size.QuadPart > INT32_MAX) {
        throw CSynchException("File is too large to send: " + toAnsi(FullPath(entry)));
    }
    log_.write("trying to load " + std::to_string(size.QuadPart) + " bytes");
    std::vector<uint8_t> content(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 24));
        DWORD got = 0;
        if (!ReadFile(file.get(), content.data() + done, chunk, &got, nullptr)) {
            throwLastError();
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    content.resize(done);
    entry.size = static_cast<int32_t>(content.size());
    entry.content = std::move(content);
}

void LocalSyncStore::SaveContent(SyncEntry& entry) {
    if (entry.isFolder()) {
        makeFolder(entry);
        return;
    }
    saveFile(entry, true);
}

bool LocalSyncStore::SaveNewContent(SyncEntry& entry) {
    if (entry.isFolder()) {
        makeFolder(entry);
        return true;
    }
    return saveFile(entry, false);
}

void LocalSyncStore::makeFolder(SyncEntry& entry) {
    // A folder, or a file, of that name already there is as good as made.
    if (!CreateDirectoryW(FullPath(entry).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        throwLastError();
    }
    entry.content.clear();
}

bool LocalSyncStore::saveFile(const SyncEntry& entry, bool mayReplace) {
    std::wstring target = FullPath(entry);
    std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    std::wstring temporary;
    FileHandle file = createScratchFile(folder, temporary);
    if (!file) {
        throwLastError();
    }
    // On the disk before the move when it replaces a copy: a power cut after
    // the move must not leave an empty file where a good one stood.  A new
    // file has nothing to lose, and a flush per file is most of a first pass.
    const bool replacing =
        mayReplace && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    bool written = WriteAll(file.get(), entry.content.data(), entry.content.size());
    FILETIME time = toFileTime(entry.time);
    written = written && SetFileTime(file.get(), &time, &time, &time);
    written = written && (!replacing || FlushFileBuffers(file.get()));
    file.reset();
    const DWORD move = MOVEFILE_WRITE_THROUGH | (mayReplace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (written && MoveFileExW(temporary.c_str(), target.c_str(), move)) {
        return true;
    }
    const DWORD code = GetLastError();
    std::string error = Win32ErrorText();
    DeleteFileW(temporary.c_str());
    if (written && !mayReplace && (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)) {
        return false;
    }
    throw CSynchException(error);
}

} // namespace quire::addin
