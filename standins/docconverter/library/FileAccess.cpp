#include "FileAccess.h"

#include "base/UniqueHandle.h"

#include <algorithm>
#include <atomic>
#include <string>

namespace docconv {

namespace {

using FileHandle = quire::UniqueHandle<quire::FileHandleTraits>;

// Larger files are no documents of ours; refusing them keeps the sizes below
// in 32 bits and the allocation sane.
constexpr LONGLONG kLargestFile = 1LL << 30;
constexpr DWORD kChunk = 1u << 20;

std::string temporaryNameFor(const char* destination) {
    static std::atomic<unsigned> counter{0};
    return std::string(destination) + ".~dc" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(counter++);
}

DWORD writeAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    size_t offset = 0;
    while (offset < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - offset));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + offset, chunk, &written, nullptr) || written != chunk) {
            return GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
        }
        offset += chunk;
    }
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

} // namespace

DWORD readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return GetLastError();
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        return GetLastError();
    }
    if (size.QuadPart > kLargestFile) {
        return ERROR_FILE_TOO_LARGE;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t offset = 0;
    while (offset < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - offset));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + offset, chunk, &read, nullptr)) {
            return GetLastError();
        }
        if (read == 0) {
            bytes.resize(offset); // the file shrank while being read
            break;
        }
        offset += read;
    }
    return 0;
}

DWORD replaceFile(const char* destination, const std::vector<uint8_t>& bytes) {
    const std::string temporary = temporaryNameFor(destination);
    DWORD error = 0;
    {
        FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return GetLastError();
        }
        error = writeAll(file.get(), bytes);
    }
    if (error == 0 && !MoveFileExA(temporary.c_str(), destination,
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != 0) {
        DeleteFileA(temporary.c_str());
    }
    return error;
}

} // namespace docconv
