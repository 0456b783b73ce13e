#include "DavListing.h"

#include "DavPath.h"
#include "Multistatus.h"

namespace dav {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) {
        return false;
    }
    name = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (lower(name[i]) != suffix[i]) {
            return false;
        }
    }
    return true;
}

// The name of a child of `folder` at `path`, or empty when `path` is the
// folder itself, lies deeper down or ends in no usable name.
std::string_view childName(std::string_view path, std::string_view folder) {
    path = withoutTrailingSlash(path);
    folder = withoutTrailingSlash(folder);
    if (path == folder) {
        return {};
    }
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::string_view parent = slash == std::string_view::npos ? "" : path.substr(0, slash);
    const bool underFolder =
        path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
    if (underFolder && parent != folder) {
        return {};
    }
    if (name == "." || name == "..") {
        return {};
    }
    return name;
}

} // namespace

RemoteEntryKind kindOfFileName(std::string_view name) {
    if (endsWithNoCase(name, ".shf")) {
        return kKindSheaf;
    }
    if (endsWithNoCase(name, ".xls")) {
        return kKindWorkbook;
    }
    if (endsWithNoCase(name, ".doc")) {
        return kKindWordDocument;
    }
    if (endsWithNoCase(name, ".pgd")) {
        return kKindWordProcessing;
    }
    return kKindOther;
}

bool listChildren(std::string_view body, std::string_view folderPath,
                  std::vector<ListedEntry>& entries) {
    entries.clear();
    std::vector<DavResource> resources;
    if (!parseMultistatus(body, resources)) {
        return false;
    }
    for (const DavResource& resource : resources) {
        const auto path = hrefPath(resource.href);
        if (!path) {
            continue;
        }
        const std::string_view name = childName(*path, folderPath);
        // A name that is not UTF-8 could not be asked for again.
        if (name.empty() || !isValidUtf8(name)) {
            continue;
        }
        if (resource.collection) {
            entries.push_back({std::string(name), kFolderSize, kKindFolder});
        } else {
            const uint64_t length = resource.contentLength.value_or(0);
            entries.push_back({std::string(name), static_cast<uint32_t>(length & 0xFFFFFFFF),
                               kindOfFileName(name)});
        }
    }
    return true;
}

} // namespace dav
