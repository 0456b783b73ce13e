#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quire::sync {

enum RemoteEntryKind : int32_t {
    REMOTE_SHEAF = 0,  // ".shf"
    REMOTE_EXCEL = 1,  // ".xls"
    REMOTE_FOLDER = 2, // a folder
    REMOTE_OTHER = 3,  // anything else
    REMOTE_WORD = 4,   // ".doc"
    REMOTE_PAGE = 5,   // ".pgd"
};

// Size of a folder entry.
inline constexpr uint32_t kFolderSize = 0xFFFFFFFF;

struct RemoteEntry {
    uint32_t size = 0;
    RemoteEntryKind kind = REMOTE_OTHER;
    std::wstring name;
};

// One folder of the remote side as a back end delivers it.  The back end owns it
// and lends it to the main window for one sent message.
struct RemoteListing {
    std::vector<RemoteEntry> entries;

    void Add(uint32_t size, RemoteEntryKind kind, std::wstring name);
    // Folders first, then by name without case; files of different kinds mix.
    void Sort();
};

// A name of one entry of a folder that stays where it is put: not empty, not
// "." or "..", without separators, colons, wildcards or control characters, not
// a device name, not ending in a dot or a space.  Only such names may be joined
// to a folder, so that no remote name reaches outside the folder the user chose
// or lands under another name.
bool IsPlainEntryName(const std::wstring& name);

// A name on the wireless server: one path segment there ("." and "..", "/",
// "\\" and control characters refused).  The characters a PC file name cannot
// hold are allowed: they cross in escaped form.
bool IsWirelessEntryName(const std::wstring& name);

// Whether a kind from outside is one of RemoteEntryKind.
bool IsRemoteEntryKind(int32_t kind);

// The kind of a file by the last four characters of its name.
RemoteEntryKind RemoteEntryKindOfName(const std::wstring& name);

// Sends the listing (WM_REMOTE_LISTING) and then clears the status text.
void DeliverListing(HWND mainWindow, RemoteListing& listing);

} // namespace quire::sync
