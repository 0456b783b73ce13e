#pragma once

#include <string>
#include <string_view>

namespace quire::addin {

// The place below the sync folder that an entry path names: "\" between the
// folders and no leading separator.
std::wstring StoreRelativePath(std::wstring_view path);

// ".xls"/".doc" at the end of a file's path become ".shf"/".pgd" and back,
// in lower case; folders keep their names.
std::wstring DesktopPathOf(std::wstring path, bool folder);
std::wstring HandheldPathOf(std::wstring path, bool folder);

// Whether an entry found in the sync folder comes back from the handheld
// under the same path: it travels under its handheld name as record texts,
// and one whose texts read back as another path, or as none, would return
// as a second document or not at all.
bool ReturnsFromHandheld(const std::wstring& path, bool folder);

// Whether a file name is one of the scratch names that a save in progress
// writes beside its target ("~qa1f.tmp" of the add-in's store, "~qs" of the
// desktop program's copies, "shf" of the converter's saves): one left by an
// interrupted save is not a document.
bool IsUnfinishedSaveName(std::wstring_view name);

// The add-in store's scratch name for a save in progress, as GetTempFileName
// would make it: "~qa", the low 16 bits of the number in hex, ".TMP".
std::wstring StoreScratchName(unsigned number);

} // namespace quire::addin
