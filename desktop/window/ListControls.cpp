#include "ListControls.h"

#include "LocalFolder.h"
#include "PaneImages.h"
#include "SharedState.h"

namespace quire::sync {

std::wstring ListItemText(HWND list, int index) {
    return ListItemSubText(list, index, 0);
}

std::wstring ListItemSubText(HWND list, int index, int column) {
    wchar_t text[kPathChars] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(kPathChars);
    SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListItemImage(HWND list, int index) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

std::vector<std::wstring> SelectedListTexts(HWND list) {
    std::vector<std::wstring> texts;
    for (int index = ListView_GetNextItem(list, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(list, index, LVNI_SELECTED)) {
        texts.push_back(ListItemText(list, index));
    }
    return texts;
}

int AppendListItem(HWND list, const std::wstring& name, int image,
                   const std::optional<uint32_t>& size) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(name.c_str());
    item.iImage = image;
    const int index =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index >= 0 && size) {
        const std::wstring text = SizeText(*size);
        LVITEMW sizeItem{};
        sizeItem.iSubItem = 1;
        sizeItem.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sizeItem));
    }
    return index;
}

int FindListText(HWND list, const std::wstring& text) {
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = text.c_str();
    return static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(&find)));
}

int ItemAtPoint(HWND list, POINT point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int index =
        static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return index >= 0 && (hit.flags & LVHT_ONITEM) ? index : -1;
}

int Reselect(HWND list, const std::vector<std::wstring>& texts) {
    int first = -1;
    for (const std::wstring& text : texts) {
        const int index = FindListText(list, text);
        if (index >= 0) {
            ListView_SetItemState(list, index, LVIS_SELECTED, LVIS_SELECTED);
            if (first < 0) {
                first = index;
            }
        }
    }
    return first;
}

void SelectionKinds(HWND list, bool& anySelected, bool& fileSelected) {
    anySelected = fileSelected = false;
    for (int index = ListView_GetNextItem(list, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(list, index, LVNI_SELECTED)) {
        anySelected = true;
        if (ListItemImage(list, index) != ImageIndex(ImageRole::Folder)) {
            fileSelected = true;
            return;
        }
    }
}

} // namespace quire::sync
