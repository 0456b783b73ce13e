#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The children of a remote folder as the library hands them to its caller.
namespace dav {

enum RemoteEntryKind : int32_t {
    kKindSheaf = 0,    // ".shf"
    kKindWorkbook = 1, // ".xls"
    kKindFolder = 2,
    kKindOther = 3,
    kKindWordDocument = 4,   // ".doc"
    kKindWordProcessing = 5, // ".pgd"
};

inline constexpr uint32_t kFolderSize = 0xFFFFFFFF;

struct ListedEntry {
    std::string name; // UTF-8, decoded
    uint32_t size;    // low 32 bits of the length; kFolderSize for folders
    RemoteEntryKind kind;
};

// The kind of a file by the last four characters of its name, compared
// without case.
RemoteEntryKind kindOfFileName(std::string_view name);

// The children of `folderPath` (the decoded path that was listed) in a
// multistatus body: the folder itself, entries deeper down and names that
// cannot be a single path segment or are not UTF-8 are left out.  False when
// the body cannot be
// read.
bool listChildren(std::string_view body, std::string_view folderPath,
                  std::vector<ListedEntry>& entries);

} // namespace dav
