#pragma once

#include <windows.h>
#include <commctrl.h>

namespace quire::sync {

// The roles of the panes' images, in the order they are added to the list.
// The panes tell items apart by these.
enum class ImageRole : int {
    Folder,
    Spreadsheet,
    FixedDrive,
    RemovableDrive,
    NetworkDrive,
    CdromDrive,
    MyComputer,
    MyDocuments,
    WirelessServer,
    WordProcessing,
    OtherFile,
    DeviceFiles,
};

inline int ImageIndex(ImageRole role) {
    return static_cast<int>(role);
}
bool IsDriveImage(int image);

// The small images of both lists and both combo boxes: the shell's icon for a
// pseudo-file where it has one, else our own bitmap.
HIMAGELIST CreatePaneImages(HINSTANCE instance, COLORREF background);
// The drag images, the shell's workbook icon first when it has one.
HIMAGELIST CreateDragImages(HINSTANCE instance);

// The image of a local file by the text after its last '.'.
ImageRole FileImageRole(const wchar_t* name);

} // namespace quire::sync
