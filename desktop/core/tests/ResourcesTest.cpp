#include "MessagePrompts.h"
#include "Resource.h"

#include <gtest/gtest.h>

#include <windows.h>

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

} // namespace
} // namespace quire::sync
