#include "PaneImages.h"

#include "Resource.h"

#include <shellapi.h>

#include <cwchar>

namespace quire::sync {

namespace {

struct ImageSource {
    ImageRole role;
    const wchar_t* shellName; // null: the bitmap only
    DWORD attributes;
    UINT bitmap;
};

constexpr ImageSource kSources[] = {
    {ImageRole::Folder, L" ", FILE_ATTRIBUTE_DIRECTORY, IDB_FOLDER},
    {ImageRole::Spreadsheet, L".xls", FILE_ATTRIBUTE_NORMAL, IDB_SPREADSHEET},
    {ImageRole::FixedDrive, nullptr, 0, IDB_FIXED_DRIVE},
    {ImageRole::RemovableDrive, nullptr, 0, IDB_REMOVABLE_DRIVE},
    {ImageRole::NetworkDrive, nullptr, 0, IDB_NETWORK_DRIVE},
    {ImageRole::CdromDrive, nullptr, 0, IDB_CDROM_DRIVE},
    {ImageRole::MyComputer, nullptr, 0, IDB_MY_COMPUTER},
    {ImageRole::MyDocuments, nullptr, 0, IDB_MY_DOCUMENTS},
    {ImageRole::WirelessServer, nullptr, 0, IDB_WIRELESS_SERVER},
    {ImageRole::WordProcessing, L".doc", FILE_ATTRIBUTE_NORMAL, IDB_WORD_PROCESSING},
    {ImageRole::OtherFile, L".", FILE_ATTRIBUTE_NORMAL, IDB_OTHER_FILE},
    {ImageRole::DeviceFiles, nullptr, 0, IDB_DEVICE_FILES},
};

HICON ShellSmallIcon(const wchar_t* name, DWORD attributes) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(name, attributes, &info, sizeof(info),
                        SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)) {
        return nullptr;
    }
    return info.hIcon;
}

bool AddBitmap(HIMAGELIST list, HINSTANCE instance, UINT bitmap) {
    HBITMAP image = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(bitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!image) {
        return false;
    }
    const bool added = ImageList_Add(list, image, nullptr) >= 0;
    DeleteObject(image);
    return added;
}

bool AddIcon(HIMAGELIST list, HICON icon) {
    const bool added = ImageList_AddIcon(list, icon) >= 0;
    DestroyIcon(icon);
    return added;
}

} // namespace

bool IsDriveImage(int image) {
    return image == ImageIndex(ImageRole::FixedDrive) ||
           image == ImageIndex(ImageRole::RemovableDrive) ||
           image == ImageIndex(ImageRole::NetworkDrive) ||
           image == ImageIndex(ImageRole::CdromDrive);
}

HIMAGELIST CreatePaneImages(HINSTANCE instance, COLORREF background) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR8, 9, 4);
    if (!list) {
        return nullptr;
    }
    ImageList_SetBkColor(list, background);
    for (const ImageSource& source : kSources) {
        HICON icon =
            source.shellName ? ShellSmallIcon(source.shellName, source.attributes) : nullptr;
        const bool added = icon ? AddIcon(list, icon) : AddBitmap(list, instance, source.bitmap);
        if (!added) {
            // Keep the indices of the later roles.
            AddBitmap(list, instance, IDB_OTHER_FILE);
        }
    }
    return list;
}

HIMAGELIST CreateDragImages(HINSTANCE instance) {
    HIMAGELIST list = ImageList_LoadImageW(instance, MAKEINTRESOURCEW(IDB_DRAG), 16, 2, CLR_DEFAULT,
                                           IMAGE_BITMAP, LR_DEFAULTCOLOR);
    if (!list) {
        return nullptr;
    }
    if (HICON icon = ShellSmallIcon(L".xls", FILE_ATTRIBUTE_NORMAL)) {
        ImageList_ReplaceIcon(list, 0, icon);
        DestroyIcon(icon);
    }
    return list;
}

ImageRole FileImageRole(const wchar_t* name) {
    const wchar_t* dot = wcsrchr(name, L'.');
    if (dot && _wcsicmp(dot, L".xls") == 0) {
        return ImageRole::Spreadsheet;
    }
    if (dot && _wcsicmp(dot, L".doc") == 0) {
        return ImageRole::WordProcessing;
    }
    return ImageRole::OtherFile;
}

} // namespace quire::sync
