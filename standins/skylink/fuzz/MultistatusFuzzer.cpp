// Hostile server replies: whatever a listing yields must be names a caller can
// show, and parsing must never read out of bounds.
#include "DavListing.h"
#include "DavPath.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    std::vector<dav::ListedEntry> entries;
    if (!dav::listChildren(body, "/Docs/", entries) && !entries.empty()) {
        std::abort();
    }
    for (const dav::ListedEntry& entry : entries) {
        if (entry.name.empty() || entry.name.find('/') != std::string::npos ||
            entry.name.find('\0') != std::string::npos || entry.name == "." || entry.name == "..") {
            std::abort();
        }
        if (entry.kind < dav::kKindSheaf || entry.kind > dav::kKindWordProcessing ||
            (entry.kind == dav::kKindFolder && entry.size != dav::kFolderSize)) {
            std::abort();
        }
    }
    (void)dav::percentDecode(body);
    (void)dav::hrefPath(body);
    return 0;
}
