#pragma once

#include <string>

namespace quire::sync {

// The folder of the running program's executable, without a trailing backslash.
std::wstring ProgramFolder();

// The path of a library in a folder.  An empty folder stands for the library's
// bare name.
std::wstring LibraryPathIn(const std::wstring& folder, const wchar_t* fileName);

} // namespace quire::sync
