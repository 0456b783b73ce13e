#include "SheafFile.h"

#include "SheafContainer.h"
#include "SheafResult.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sheaf {

static_assert(kResultFileNotFound == STG_E_FILENOTFOUND);
static_assert(kResultWriteFault == STG_E_WRITEFAULT);
static_assert(kResultReadFault == STG_E_READFAULT);
static_assert(kResultOutOfMemory == E_OUTOFMEMORY);

namespace {

constexpr size_t kBufferSize = 1 << 16;

// Buffered writes: records are many and small, system calls are not cheap.
class FileSink final : public ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) { buffer_.reserve(kBufferSize); }

    bool write(std::span<const uint8_t> bytes) override {
        if (buffer_.size() + bytes.size() > kBufferSize && !flush()) {
            return false;
        }
        if (bytes.size() >= kBufferSize) {
            return writeThrough(bytes);
        }
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        return true;
    }

    bool flush() {
        const bool ok = writeThrough(buffer_);
        buffer_.clear();
        return ok;
    }

private:
    bool writeThrough(std::span<const uint8_t> bytes) {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written != chunk) {
                return false;
            }
            bytes = bytes.subspan(chunk);
        }
        return true;
    }

    HANDLE file_;
    std::vector<uint8_t> buffer_;
};

class FileSource final : public ByteSource {
public:
    FileSource(HANDLE file, uint64_t size) : file_(file), remaining_(size) {}

    bool read(std::span<uint8_t> out) override {
        if (out.size() > remaining_) {
            return false;
        }
        while (!out.empty()) {
            if (position_ == buffer_.size() && !refill()) {
                return false;
            }
            const size_t n = std::min(out.size(), buffer_.size() - position_);
            std::copy_n(buffer_.data() + position_, n, out.data());
            position_ += n;
            remaining_ -= n;
            out = out.subspan(n);
        }
        return true;
    }

    uint64_t remaining() const override { return remaining_; }

private:
    bool refill() {
        buffer_.resize(kBufferSize);
        DWORD got = 0;
        if (!ReadFile(file_, buffer_.data(), kBufferSize, &got, nullptr) || got == 0) {
            return false;
        }
        buffer_.resize(got);
        position_ = 0;
        return true;
    }

    HANDLE file_;
    uint64_t remaining_;
    std::vector<uint8_t> buffer_;
    size_t position_ = 0;
};

std::string folderOf(const char* path) {
    const std::string text(path);
    const size_t slash = text.find_last_of("\\/:");
    if (slash == std::string::npos) {
        return ".";
    }
    return text.substr(0, text.at(slash) == ':' ? slash + 1 : slash);
}

} // namespace

int32_t saveDocument(const SheafDocument& document, const char* path) {
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folderOf(path).c_str(), "shf", 0, temporary) == 0) {
        return kResultFileNotFound;
    }
    int32_t result = kResultOk;
    {
        quire::FileHandle file(CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            DeleteFileA(temporary);
            return kResultFileNotFound;
        }
        FileSink sink(file.get());
        result = encodeDocument(document, sink);
        // The bytes reach the disk before the move, so that a power cut after
        // it cannot leave an empty file where a good one stood.
        if (result == kResultOk && (!sink.flush() || !FlushFileBuffers(file.get()))) {
            result = kResultWriteFault;
        }
    }
    if (result == kResultOk &&
        !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result = kResultFileNotFound;
    }
    if (result != kResultOk) {
        DeleteFileA(temporary);
    }
    return result;
}

int32_t loadDocument(SheafDocument& document, const char* path) {
    document.clear();
    quire::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        return kResultFileNotFound;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return kResultReadFault;
    }
    FileSource source(file.get(), static_cast<uint64_t>(size.QuadPart));
    return decodeDocument(source, document);
}

} // namespace sheaf
