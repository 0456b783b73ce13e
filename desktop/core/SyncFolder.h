#pragma once

#include "RemoteListing.h"

#include <optional>
#include <string>

// The device sync folder: a folder tree on the PC whose contents travel to and
// from the handheld at each synchronisation.
namespace quire::sync {

// The PC folder of a remote folder ("/A/B", or empty for the top), ending in a
// backslash; nothing when it does not fit a path buffer.
std::optional<std::wstring> SyncFolderPath(const std::wstring& root,
                                           const std::wstring& remoteFolder);
// The PC path of a name in a remote folder; nothing when it does not fit or the
// name is not a plain entry name.
std::optional<std::wstring> SyncFolderPathOfName(const std::wstring& root,
                                                 const std::wstring& remoteFolder,
                                                 const std::wstring& name);

// The sorted entries of a remote folder; empty when it cannot be read.
RemoteListing ListSyncFolder(const std::wstring& root, const std::wstring& remoteFolder);

} // namespace quire::sync
