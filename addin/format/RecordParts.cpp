#include "RecordParts.h"

#include <algorithm>

namespace quire::addin {

namespace {

// A file's content is given room for at most this many times the end of the
// part just placed.
constexpr uint64_t kRoomPerPartEnd = 8;

} // namespace

uint32_t ExpectedPartCount(int32_t size) {
    if (size <= 0) {
        return 1;
    }
    return static_cast<uint32_t>((uint64_t(size) + kPartSize - 1) / kPartSize);
}

size_t ExpectedPartLength(int32_t size, int32_t part) {
    const int64_t offset = int64_t(part) * int64_t(kPartSize);
    if (size <= 0 || part < 0 || offset >= size) {
        return 0;
    }
    return static_cast<size_t>(std::min<int64_t>(size - offset, kPartSize));
}

void DropPartTerminator(std::vector<uint8_t>& bytes, int32_t size, int32_t part) {
    if (!bytes.empty() && bytes.back() == 0 && bytes.size() == ExpectedPartLength(size, part) + 1) {
        bytes.pop_back();
    }
}

bool PlacePart(std::vector<uint8_t>& content, int32_t fileSize, int32_t part,
               std::span<const uint8_t> bytes) {
    const uint64_t offset = uint64_t(std::max(part, 0)) * kPartSize;
    const uint64_t end = offset + bytes.size();
    if (end > uint64_t(std::max(fileSize, 0))) {
        return false;
    }
    if (content.size() < end) {
        // Room for the whole file at once rather than a copy of it at every
        // doubling, but not far beyond the data: the size is the record's
        // word, and the parts may never come.
        if (content.capacity() < end) {
            content.reserve(
                static_cast<size_t>(std::min(uint64_t(fileSize), end * kRoomPerPartEnd)));
        }
        content.resize(static_cast<size_t>(end), 0);
    }
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

} // namespace quire::addin
