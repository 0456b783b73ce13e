#pragma once

#include <cstdint>

// Offsets and codes of the Word 97-2003 binary format used by both the reader
// and the writer.
namespace docconv::word {

inline constexpr uint16_t kIdent = 0xA5EC;
inline constexpr uint16_t kNfibWord97 = 0x00C1;

// FibBase
inline constexpr uint32_t kOffIdent = 0x00;
inline constexpr uint32_t kOffNfib = 0x02;
inline constexpr uint32_t kOffFlags = 0x0A;
inline constexpr uint16_t kFlagEncrypted = 0x0100;
inline constexpr uint16_t kFlagWhichTableStream = 0x0200;
inline constexpr uint16_t kFlagExtChar = 0x1000;
inline constexpr uint16_t kFlagObfuscated = 0x8000;
inline constexpr uint32_t kOffCsw = 0x20;

// Indices into FibRgLw97 and FibRgFcLcb97.
inline constexpr uint32_t kLwCbMac = 0;
inline constexpr uint32_t kLwCcpText = 3;
inline constexpr uint32_t kLwCount = 22;
inline constexpr uint32_t kFcStshf = 1;
inline constexpr uint32_t kFcPlcfSed = 6;
inline constexpr uint32_t kFcPlcfBteChpx = 12;
inline constexpr uint32_t kFcPlcfBtePapx = 13;
inline constexpr uint32_t kFcSttbfFfn = 15;
inline constexpr uint32_t kFcDop = 31;
inline constexpr uint32_t kFcClx = 33;
inline constexpr uint32_t kFcLcbCount97 = 0x5D;
inline constexpr uint16_t kWCount = 14;

inline constexpr uint32_t kFkpSize = 512;
inline constexpr uint32_t kFcMask = 0x3FFFFFFF;
inline constexpr uint32_t kFcCompressed = 0x40000000;

// Single property modifiers.
inline constexpr uint16_t kSprmCFBold = 0x0835;
inline constexpr uint16_t kSprmCFItalic = 0x0836;
inline constexpr uint16_t kSprmCKul = 0x2A3E;
inline constexpr uint16_t kSprmPFInTable = 0x2416;
inline constexpr uint16_t kSprmPFTtp = 0x2417;
inline constexpr uint16_t kSprmPFInnerTtp = 0x244C;
inline constexpr uint16_t kSprmPItap = 0x6649;
inline constexpr uint16_t kSprmTDefTable = 0xD608;
inline constexpr uint16_t kSprmPChgTabs = 0xC615;

// Characters with a meaning of their own in the text stream.
inline constexpr char16_t kParagraphEnd = 0x0D;
inline constexpr char16_t kCellMark = 0x07;
inline constexpr char16_t kLineBreak = 0x0B;
inline constexpr char16_t kPageBreak = 0x0C;
inline constexpr char16_t kFieldBegin = 0x13;
inline constexpr char16_t kFieldSeparator = 0x14;
inline constexpr char16_t kFieldEnd = 0x15;
inline constexpr char16_t kNonBreakingHyphen = 0x1E;
inline constexpr char16_t kOptionalHyphen = 0x1F;

} // namespace docconv::word
