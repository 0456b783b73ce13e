#include "base/CodePage.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(CodePageTest, Utf8GoesBothWaysAndRefusesBrokenText) {
    const std::wstring text = L"Caf\u00e9 \u20ac \U0001F600";
    const std::string bytes = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(NarrowChecked(CP_UTF8, text), bytes);
    EXPECT_EQ(WidenChecked(CP_UTF8, bytes), text);
    EXPECT_EQ(NarrowChecked(CP_UTF8, L""), "");
    EXPECT_EQ(WidenChecked(CP_UTF8, ""), L"");

    const std::wstring loneSurrogate(1, wchar_t(0xD800));
    EXPECT_FALSE(NarrowChecked(CP_UTF8, loneSurrogate));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_FALSE(WidenChecked(CP_UTF8, "\xFF\xFE"));
    EXPECT_FALSE(WidenChecked(CP_UTF8, "\xC3"));
}

TEST(CodePageTest, AnsiRefusesWhatTheCodePageLacksUnlessLossy) {
    if (GetACP() == CP_UTF8 || IsDBCSLeadByte(0x81)) {
        GTEST_SKIP() << "the ANSI code page is not a single-byte one";
    }
    EXPECT_EQ(NarrowChecked(CP_ACP, L"plain text"), "plain text");
    EXPECT_EQ(WidenLossy(CP_ACP, "plain text"), L"plain text");
    // No single-byte code page holds these three scripts at once.
    const std::wstring foreign = L"\u0416\u05D0\u4E2D";
    EXPECT_FALSE(NarrowChecked(CP_ACP, foreign));
    EXPECT_EQ(NarrowLossy(CP_ACP, L"a" + foreign, "_").front(), 'a');
    EXPECT_EQ(NarrowLossy(CP_ACP, L"a" + foreign, "_").size(), 1u + foreign.size());
    EXPECT_EQ(NarrowLossy(CP_ACP, L""), "");
}

} // namespace
} // namespace quire
