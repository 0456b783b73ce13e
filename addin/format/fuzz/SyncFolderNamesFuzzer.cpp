// Names found in the sync folder, and names the handheld sends, through the
// store's name checks: a name the store sends must come back as the same
// path, safe to write, and one the handheld sends must go back unchanged.
//
// Input: the first byte chooses the reading; the rest is either a folder path
// as the scan finds it (UTF-16, little-endian, "\" between folders) or the
// two texts of a record, parent and name, split at the first zero byte.
#include "RecordPath.h"
#include "StoreName.h"
#include "Utf16Text.h"
#include "base/EntryName.h"

#include <cstdlib>
#include <span>
#include <string>

namespace {

using namespace quire::addin;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool hasLoneSurrogate(std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

// Whether every name of the path stays where it is put.
bool allSafe(const std::wstring& path) {
    if (path.empty() || path.front() != L'/') {
        return false;
    }
    size_t start = 1;
    while (true) {
        const size_t end = path.find(L'/', start);
        if (!quire::IsSafeEntryName(std::wstring_view(path).substr(
                start, end == std::wstring::npos ? std::wstring::npos : end - start))) {
            return false;
        }
        if (end == std::wstring::npos) {
            return true;
        }
        start = end + 1;
    }
}

void checkSafe(const std::wstring& path) {
    require(allSafe(path));
}

void scannedName(std::span<const uint8_t> bytes, bool folder) {
    std::wstring path = L"/";
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        path += unit == L'\\' ? L'/' : unit;
    }
    if (!ReturnsFromHandheld(path, folder)) {
        // Refused only for a reason: an unsafe name, one UTF-8 cannot carry,
        // a path too long for the handheld's records, or a handheld kind's
        // name (".xls") that would come back as the desktop kind (".shf").
        require(!allSafe(path) || hasLoneSurrogate(path) || path.size() > 259 ||
                DesktopPathOf(path, folder) != path);
        return;
    }
    checkSafe(path);
    require(StoreRelativePath(path).find(L'/') == std::wstring::npos);
}

void recordName(std::span<const uint8_t> bytes, bool folder) {
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const size_t zero = all.find('\0');
    const std::string_view parent = all.substr(0, zero);
    const std::string_view name = zero == all.npos ? std::string_view() : all.substr(zero + 1);
    const std::optional<std::wstring> path = recordEntryPath(parent, name);
    if (!path) {
        return;
    }
    checkSafe(*path);
    const std::wstring desktop = DesktopPathOf(*path, folder);
    checkSafe(desktop);
    require(ReturnsFromHandheld(desktop, folder));
    // Its texts as the add-in writes them back.
    const RecordLocation location = recordLocation(*path);
    require(location.name == NarrowUtf8Lossy(*path).substr(NarrowUtf8Lossy(*path).rfind('/') + 1));
    require(recordEntryPath(location.parent, location.name) == *path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const uint8_t> rest(data + 1, size - 1);
    const bool folder = (data[0] & 2) != 0;
    if (data[0] & 1) {
        recordName(rest, folder);
    } else {
        scannedName(rest, folder);
    }
    return 0;
}
