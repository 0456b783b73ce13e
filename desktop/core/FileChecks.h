#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Questions the file operations ask the PC file system before they act.
namespace quire::sync {

// A folder and a name with one backslash between them.
std::wstring ChildPath(const std::wstring& folder, const std::wstring& name);

// The name of the object at a path as the file system spells it; nothing when
// there is none.
std::optional<std::wstring> ExistingName(const std::wstring& path);

// Whether an existing object can be replaced by a file: not when it cannot be
// opened (a folder, a file locked by another program) or is a device.
bool CanReplaceExisting(const std::wstring& path);

// Whether a file is read-only (false when it does not exist).
bool IsReadOnlyFile(const std::wstring& path);

// Whether a file can be written at a path: 0, or the system's error code.  An
// existing file is left exactly as it was: it is opened for writing without
// being truncated, and a scratch file is made and removed beside it.
DWORD ProbeFileWrite(const std::wstring& path);

} // namespace quire::sync
