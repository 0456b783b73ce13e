#include "DeviceNameCodec.h"

#include <gtest/gtest.h>

namespace quire::sync {
namespace {

TEST(DeviceNameCodecTest, EscapesEachCharacterAPcNameCannotHold) {
    EXPECT_EQ(EncodeDeviceName(L"a:b"), L"a=3Ab");
    EXPECT_EQ(EncodeDeviceName(std::wstring(L"bell") + wchar_t(7)), L"bell=07");
    EXPECT_EQ(EncodeDeviceName(L"*\"/\\<>|\t"), L"=2A=22=2F=5C=3C=3E=7C=09");
    // "=" and "?" are not escaped; letters beyond ASCII stay as they are.
    EXPECT_EQ(EncodeDeviceName(L"x=41?\u00dcber"), L"x=41?\u00dcber");
}

TEST(DeviceNameCodecTest, DecodesOnlyCompleteHexadecimalEscapes) {
    EXPECT_EQ(DecodeDeviceName(L"a=3Ab"), L"a:b");
    EXPECT_EQ(DecodeDeviceName(L"a=3ab"), L"a:b");
    EXPECT_EQ(DecodeDeviceName(L"x=41"), L"xA");
    EXPECT_EQ(DecodeDeviceName(L"end=4"), L"end=4");
    EXPECT_EQ(DecodeDeviceName(L"bad=4G"), L"bad=4G");
    EXPECT_EQ(DecodeDeviceName(L"="), L"=");
    EXPECT_EQ(DecodeDeviceName(L"=FF"), std::wstring(1, wchar_t(0xFF)));
    // The scan goes on after the character produced: "=3D41" gives "=41".
    EXPECT_EQ(DecodeDeviceName(L"=3D41"), L"=41");
    EXPECT_TRUE(HasIllegalCharacter(DecodeDeviceName(L"why=3F.xls")));
}

TEST(DeviceNameCodecTest, EveryHandheldNameSurvivesTheRoundTrip) {
    std::wstring all;
    for (wchar_t character = 1; character < 256; ++character) {
        if (character != L'?' && character != L'=') {
            all += character;
        }
    }
    const std::wstring pcName = EncodeDeviceName(all);
    for (const wchar_t character : pcName) {
        EXPECT_FALSE(IsEscapedInPcNames(character)) << int(character);
    }
    EXPECT_EQ(DecodeDeviceName(pcName), all);
}

TEST(DeviceNameCodecTest, ExtensionsFollowTheTargetSide) {
    EXPECT_EQ(HandheldNameOfPcName(L"Book1.xls"), L"Book1.shf");
    EXPECT_EQ(HandheldNameOfPcName(L"Memo.DOC"), L"Memo.pgd");
    EXPECT_EQ(HandheldNameOfPcName(L"notes.txt"), L"notes.txt");
    EXPECT_EQ(HandheldNameOfPcName(L"a.xls.bak"), L"a.xls.bak");
    EXPECT_EQ(HandheldNameOfPcName(L"xls"), L"xls");
    EXPECT_EQ(PcNameOfHandheldName(L"Book1.shf"), L"Book1.xls");
    EXPECT_EQ(PcNameOfHandheldName(L"Memo.Pgd"), L"Memo.doc");
    EXPECT_EQ(PcNameOfHandheldName(L"Book1.xls"), L"Book1.xls");
}

TEST(DeviceNameCodecTest, ExtensionChangesAreThoseOfTheNamePart) {
    EXPECT_TRUE(ExtensionsDiffer(L"Book1.xls", L"Book1.txt"));
    EXPECT_FALSE(ExtensionsDiffer(L"Book1.xls", L"Book2.XLS"));
    EXPECT_TRUE(ExtensionsDiffer(L"Book1.xls", L"Book1"));
    EXPECT_TRUE(ExtensionsDiffer(L"Book1", L"Book1.xls"));
    EXPECT_FALSE(ExtensionsDiffer(L"Old", L"New"));
    EXPECT_FALSE(ExtensionsDiffer(L"C:\\a.b\\Old", L"C:\\a.b\\New"));
    EXPECT_TRUE(ExtensionsDiffer(L"/a.b/Old.x", L"/a.b/Old"));
}

TEST(DeviceNameCodecTest, SizeTextsKeepTheirWholeUnsignedValue) {
    EXPECT_EQ(ParseSizeText(L""), 0u);
    EXPECT_EQ(ParseSizeText(L"1234"), 1234u);
    EXPECT_EQ(ParseSizeText(L"2147483648"), 2147483648u);
    EXPECT_EQ(ParseSizeText(L"4294967295"), 4294967295u);
    EXPECT_EQ(ParseSizeText(L"4294967296"), std::nullopt);
    EXPECT_EQ(ParseSizeText(L"99999999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseSizeText(L"-1"), std::nullopt);
    EXPECT_EQ(ParseSizeText(L"12 KB"), std::nullopt);
}

} // namespace
} // namespace quire::sync
