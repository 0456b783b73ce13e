#pragma once

#include <windows.h>

namespace quire::sync {

// Where the main window's children go for one client rectangle.
struct PaneLayout {
    RECT statusBar;
    int statusPartEnd; // right edge of status part 0
    RECT localToolbar, remoteToolbar;
    RECT localBox, remoteBox;
    RECT localList, remoteList;
    RECT exportBar, importBar;
};

inline constexpr int kPaneGap = 40;
inline constexpr int kToolbarHeight = 28;
inline constexpr int kBarButtonWidth = 28;
inline constexpr int kBarButtonHeight = 26;
inline constexpr int kStatusPart1Width = 80;

// statusHeight and boxHeight: the current heights of the status bar and of a
// combo box, which keep their own.
PaneLayout ComputeLayout(const RECT& client, int statusHeight, int boxHeight);

struct ColumnWidths {
    int name;
    int size;
};
ColumnWidths ComputeColumns(int listWidth, int scrollBarWidth);

} // namespace quire::sync
