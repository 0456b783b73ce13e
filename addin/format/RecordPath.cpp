#include "RecordPath.h"

#include "Utf16Text.h"
#include "base/EntryName.h"

namespace quire::addin {

namespace {

constexpr size_t kMaxPath = 259;
constexpr size_t kParentPrefix = 5; // "Local"

} // namespace

std::optional<std::wstring> recordEntryPath(std::string_view parent, std::string_view name) {
    // The first five characters of the parent stand for the top of the sync
    // folder, whatever they are.
    std::string_view folder = parent.size() > kParentPrefix ? parent.substr(kParentPrefix) : "";
    auto wideFolder = WidenUtf8Checked(folder);
    auto wideName = WidenUtf8Checked(name);
    if (!wideFolder || !wideName || !IsSafeEntryName(*wideName)) {
        return std::nullopt;
    }
    std::wstring path;
    if (!wideFolder->empty()) {
        if (wideFolder->front() != L'/') {
            return std::nullopt;
        }
        size_t start = 1;
        while (true) {
            size_t end = wideFolder->find(L'/', start);
            std::wstring_view part =
                std::wstring_view(*wideFolder)
                    .substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            if (!IsSafeEntryName(part)) {
                return std::nullopt;
            }
            if (end == std::wstring::npos) {
                break;
            }
            start = end + 1;
        }
        path = *wideFolder;
    }
    path += L'/';
    path += *wideName;
    if (path.size() > kMaxPath) {
        return std::nullopt;
    }
    return path;
}

RecordLocation recordLocation(const std::wstring& path) {
    std::string text = NarrowUtf8Lossy(path);
    size_t slash = text.rfind('/');
    RecordLocation location;
    if (slash == std::string::npos) {
        location.name = text;
        location.parent = "Local";
        return location;
    }
    location.name = text.substr(slash + 1);
    location.parent = "Local" + (slash != 0 ? text.substr(0, slash) : std::string());
    return location;
}

} // namespace quire::addin
