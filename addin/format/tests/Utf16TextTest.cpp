#include "Utf16Text.h"

#include <gtest/gtest.h>

namespace quire::addin {
namespace {

TEST(Utf16TextTest, WidensEveryLengthOfSequence) {
    EXPECT_EQ(WidenUtf8Checked(""), L"");
    EXPECT_EQ(WidenUtf8Checked("a\xC3\xA9\xE2\x82\xAC"), std::wstring(L"a\u00e9\u20ac"));
    // Past the first plane: a surrogate pair whatever the width of wchar_t.
    const std::wstring pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
    EXPECT_EQ(WidenUtf8Checked("\xF0\x9F\x98\x80"), pair);
    EXPECT_EQ(WidenUtf8Checked("\xF4\x8F\xBF\xBF"),
              (std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)}));
}

TEST(Utf16TextTest, RefusesWhatIsNotUtf8) {
    const char* const broken[] = {
        "\xC3",             // cut short
        "\xE2\x82",         // cut short
        "\x80",             // a continuation alone
        "\xC0\x80",         // overlong zero
        "\xE0\x80\xAF",     // overlong "/"
        "\xF0\x80\x80\xAF", // overlong "/"
        "\xED\xA0\x80",     // an encoded surrogate
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xFF",
        "a\xC3(",
    };
    for (const char* bytes : broken) {
        EXPECT_FALSE(WidenUtf8Checked(bytes)) << bytes;
    }
}

TEST(Utf16TextTest, NarrowsPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(NarrowUtf8Lossy(L"a\u00e9\u20ac"), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(NarrowUtf8Lossy(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
    EXPECT_EQ(NarrowUtf8Lossy(std::wstring{L'a', wchar_t(0xD83D)}), "a\xEF\xBF\xBD");
    EXPECT_EQ(NarrowUtf8Lossy(std::wstring{wchar_t(0xDE00), L'b'}), "\xEF\xBF\xBD"
                                                                    "b");
    EXPECT_EQ(NarrowUtf8Lossy(std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}),
              "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf16TextTest, ValidTextMakesTheRoundTrip) {
    const std::string text = "R\xC3\xA9sum\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80.pgd";
    const std::optional<std::wstring> wide = WidenUtf8Checked(text);
    ASSERT_TRUE(wide);
    EXPECT_EQ(NarrowUtf8Lossy(*wide), text);
}

} // namespace
} // namespace quire::addin
