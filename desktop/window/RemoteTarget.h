#pragma once

#include <string>
#include <vector>

// The remote location as the remote target box shows and rebuilds it.
namespace quire::sync {

struct TargetItem {
    std::wstring text;
    int image;
    int indent;
};

// The remote location the chosen item stands for: each indented item back to
// its root puts "/" and its text in front; the root gives the target character.
std::wstring RemoteLocationOf(const std::vector<TargetItem>& items, size_t chosen);

// The folder names of a remote folder ("/A/B").
std::vector<std::wstring> RemoteComponents(const std::wstring& remoteFolder);

// The location one folder up, cut at the last "/"; unchanged without one.
std::wstring RemoteUp(const std::wstring& location);

// A device sync folder that may be offered: an absolute path of an existing
// folder.  An empty or relative one would stand for the current drive's root.
bool IsUsableSyncFolder(const std::wstring& folder);

} // namespace quire::sync
