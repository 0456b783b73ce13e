#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The few list view operations both panes use.
namespace quire::sync {

// Appends an item with its image and, when given, its size column.
int AppendListItem(HWND list, const std::wstring& name, int image,
                   const std::optional<uint32_t>& size);
std::wstring ListItemText(HWND list, int index);
std::wstring ListItemSubText(HWND list, int index, int column);
// The index of the item with this text by the list's own search (which
// ignores case), or -1.
int FindListText(HWND list, const std::wstring& text);
// The item whose icon, label or state icon lies under a point of the list's
// client area, or -1.
int ItemAtPoint(HWND list, POINT point);
int ListItemImage(HWND list, int index);
std::vector<std::wstring> SelectedListTexts(HWND list);
// Selects each text found by the list's own search (which ignores case);
// returns the index of the first one found, or -1.
int Reselect(HWND list, const std::vector<std::wstring>& texts);
// Walks the selection until a non-folder: whether anything, and whether a file
// (or a drive), is selected.
void SelectionKinds(HWND list, bool& anySelected, bool& fileSelected);

} // namespace quire::sync
