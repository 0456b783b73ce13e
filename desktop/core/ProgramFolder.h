#pragma once

#include <string>

namespace quire::sync {

// The folder of the running program's executable, without a trailing
// backslash; empty when its full path cannot be had.
std::wstring ProgramFolder();

// The full path of a library in a folder, or empty when the folder is not a
// full path: a bare or relative name would be looked up along the search path,
// where a planted library could answer.  Nothing is loaded from an empty path.
std::wstring LibraryPathIn(const std::wstring& folder, const wchar_t* fileName);

} // namespace quire::sync
