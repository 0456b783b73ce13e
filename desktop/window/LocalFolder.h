#pragma once

#include "PaneImages.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the local pane shows, gathered without touching a window.
namespace quire::sync {

struct LocalItem {
    std::wstring name;
    ImageRole image;
    std::optional<uint32_t> size; // files only: the low 32 bits
};

// Folders first, then files, each sorted by name without case (stable).  False
// when the folder search finds nothing at all (the folder cannot be read).
bool ListLocalFolder(const std::wstring& folder, std::vector<LocalItem>& items);

// The size column's text.
std::wstring SizeText(uint32_t size);

// "C:\" and, for a drive that is neither removable nor on the network and has a
// readable, non-empty label, " (label)".
std::wstring DriveText(wchar_t letter);
ImageRole DriveImageRole(UINT driveType);
ImageRole DriveImageOf(wchar_t letter);

// One item per drive of the mask, in letter order.
std::vector<LocalItem> ListDrives(DWORD driveMask);

// The folder above: cut at the last backslash, or the My Computer view (empty)
// when that backslash is missing or one of the first two characters.
std::wstring FolderUp(const std::wstring& folder);

// The folder to watch: a drive ("C:") gets its backslash back.
std::wstring WatchPathOf(const std::wstring& folder);

// An item of the location box as the choice walks it.
struct LocationItem {
    std::wstring text;
    int image;
};

// The folder a chosen folder component stands for: the components before it
// back to the drive, whose text gives only its first two characters.
std::wstring LocationPathOf(const std::vector<LocationItem>& items, size_t chosen);

// Non-empty parts of a path split at backslashes.
std::vector<std::wstring> PathComponents(const std::wstring& folder);

// The user's documents folder from the shell, or nothing.
std::optional<std::wstring> ShellDocumentsFolder();

} // namespace quire::sync
