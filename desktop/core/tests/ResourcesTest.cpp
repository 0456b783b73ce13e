#include "MessagePrompts.h"
#include "Resource.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quire::sync {
namespace {

// The text of a string resource in one language, read from its block of 16.
std::wstring StringIn(UINT id, LANGID language) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (block == nullptr) {
        return {};
    }
    auto* entry = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
    for (UINT index = 0; index < id % 16; ++index) {
        entry += 1 + *entry;
    }
    return std::wstring(entry + 1, *entry);
}

TEST(ResourcesTest, EveryLanguageHasTheTexts) {
    const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const LANGID france = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    const LANGID canada = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN);
    for (UINT id :
         {IDS_APPLICATION_TITLE, IDS_FILE_DOWNLOAD_FAILED, IDS_ERROR_CONVERTING_FILE,
          IDS_WIRELESS_CONNECTION_BROKEN, IDS_UNKNOWN_WIRELESS_ERROR, IDS_REMOTE_PATH_TOO_LONG}) {
        EXPECT_FALSE(StringIn(id, english).empty()) << id;
        EXPECT_FALSE(StringIn(id, france).empty()) << id;
        EXPECT_EQ(StringIn(id, france), StringIn(id, canada)) << id;
    }
    EXPECT_EQ(StringIn(IDS_FILE_DOWNLOAD_FAILED, english), L"File download failed");
    EXPECT_EQ(StringIn(IDS_FILE_DOWNLOAD_FAILED, france),
              L"\u00C9chec du t\u00E9l\u00E9chargement du fichier");
    EXPECT_EQ(ApplicationTitle(), L"Quire Desktop");
}

const UINT kClips[] = {IDR_CLIP_TRANSFER, IDR_CLIP_CONVERSION, IDR_CLIP_DELETE};

// The bytes of a clip linked into the program, empty when there is none.
std::string ClipBytes(UINT id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"AVI");
    if (found == nullptr) {
        return {};
    }
    return std::string(static_cast<const char*>(LockResource(LoadResource(module, found))),
                       SizeofResource(module, found));
}

struct ClipSize {
    DWORD frames;
    DWORD width;
    DWORD height;
};

// The frame count and picture size from the clip's main header, which leads
// its header list.
std::optional<ClipSize> ClipSizeOf(const std::string& clip) {
    const size_t header = 32; // RIFF 'AVI ', LIST 'hdrl', then the 'avih' chunk's data
    if (clip.size() < header + 40 || clip.compare(24, 4, "avih") != 0) {
        return std::nullopt;
    }
    DWORD fields[10];
    std::memcpy(fields, clip.data() + header, sizeof(fields));
    return ClipSize{fields[4], fields[8], fields[9]};
}

TEST(ResourcesTest, ClipsAreAviFiles) {
    for (UINT id : kClips) {
        const std::string clip = ClipBytes(id);
        ASSERT_GE(clip.size(), 12u) << id;
        EXPECT_EQ(clip.substr(0, 4), "RIFF") << id;
        EXPECT_EQ(clip.substr(8, 4), "AVI ") << id;
        DWORD riffSize = 0;
        std::memcpy(&riffSize, clip.data() + 4, sizeof(riffSize));
        EXPECT_EQ(riffSize + 8, clip.size()) << id;
        const auto size = ClipSizeOf(clip);
        ASSERT_TRUE(size.has_value()) << id;
        EXPECT_GE(size->frames, 2u) << id; // a single frame cannot be played
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST(ResourcesTest, ClipsFitTheTransferDialogsAnimation) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    HMODULE module = GetModuleHandleW(nullptr);
    HWND dialog =
        CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_TRANSFER), nullptr, QuietDialog, 0);
    ASSERT_NE(dialog, nullptr);
    HWND animation = GetDlgItem(dialog, IDC_TRANSFER_ANIMATION);
    ASSERT_NE(animation, nullptr);
    RECT area{};
    GetClientRect(animation, &area);
    for (UINT id : kClips) {
        const auto size = ClipSizeOf(ClipBytes(id));
        ASSERT_TRUE(size.has_value()) << id;
        EXPECT_LE(static_cast<LONG>(size->width), area.right) << id;
        EXPECT_LE(static_cast<LONG>(size->height), area.bottom) << id;
        // The dialog's control plays what it opens at once.
        EXPECT_TRUE(Animate_OpenEx(animation, module, MAKEINTRESOURCEW(id))) << id;
        Animate_Stop(animation);
    }
    Animate_Close(animation);
    DestroyWindow(dialog);
}

// A parent that paints its children on white, so that the animation's
// transparent background shows as white.
LRESULT CALLBACK WhiteParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// What the control shows of its current frame, one 0xRRGGBB value a pixel.
std::vector<DWORD> Shown(HWND control, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, picture);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits),
                              static_cast<const DWORD*>(bits) + width * height);
    for (DWORD& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    SelectObject(dc, old);
    DeleteObject(picture);
    DeleteDC(dc);
    return pixels;
}

TEST(ResourcesTest, ClipsPlayInAnAnimationControl) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_ANIMATE_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    HMODULE module = GetModuleHandleW(nullptr);
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = WhiteParent;
    parentClass.hInstance = module;
    parentClass.lpszClassName = L"QuireClipTestParent";
    RegisterClassW(&parentClass);
    const int width = 360;
    const int height = 48;
    HWND parent = CreateWindowExW(0, parentClass.lpszClassName, L"", WS_POPUP, 0, 0, width, height,
                                  nullptr, nullptr, module, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND control = CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_CHILD | ACS_TRANSPARENT | ACS_CENTER,
                                   0, 0, width, height, parent, nullptr, module, nullptr);
    ASSERT_NE(control, nullptr);
    const DWORD white = 0xFFFFFF;
    for (UINT id : kClips) {
        const auto size = ClipSizeOf(ClipBytes(id));
        ASSERT_TRUE(size.has_value()) << id;
        ASSERT_TRUE(Animate_OpenEx(control, module, MAKEINTRESOURCEW(id))) << id;
        const int left = (width - static_cast<int>(size->width)) / 2;
        const int top = (height - static_cast<int>(size->height)) / 2;
        std::set<std::vector<DWORD>> pictures;
        for (DWORD frame = 0; frame < size->frames; ++frame) {
            ASSERT_TRUE(Animate_Seek(control, frame)) << id << " frame " << frame;
            const std::vector<DWORD> shown = Shown(control, width, height);
            // The clip's background is the transparent colour: its corners
            // show the parent's white, while the drawing covers a fair part.
            const int right = left + static_cast<int>(size->width) - 1;
            const int bottom = top + static_cast<int>(size->height) - 1;
            for (int corner : {top * width + left, top * width + right, bottom * width + left,
                               bottom * width + right}) {
                EXPECT_EQ(shown[corner], white) << id << " frame " << frame << " at " << corner;
            }
            size_t drawn = 0;
            for (DWORD pixel : shown) {
                drawn += pixel != white;
            }
            EXPECT_GT(drawn, size->width * size->height / 20) << id << " frame " << frame;
            pictures.insert(shown);
        }
        EXPECT_EQ(pictures.size(), size->frames) << id << ": every frame differs";
        EXPECT_TRUE(Animate_Play(control, 0, -1, -1)) << id;
        EXPECT_TRUE(Animate_Stop(control)) << id;
        Animate_Close(control);
    }
    DestroyWindow(parent);
}

} // namespace
} // namespace quire::sync
