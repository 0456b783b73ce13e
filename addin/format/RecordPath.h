#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quire::addin {

// The entry path that a record's FIELD_PARENT and FIELD_NAME describe, or
// nothing when the record would place the entry outside the sync folder or
// name something the file system cannot hold: records come from the
// handheld and are not trusted.
std::optional<std::wstring> recordEntryPath(std::string_view parent, std::string_view name);

// The two fields for an entry path: name after the last "/", parent "Local"
// followed by the folder part.
struct RecordLocation {
    std::string name;
    std::string parent;
};
RecordLocation recordLocation(const std::wstring& path);

} // namespace quire::addin
