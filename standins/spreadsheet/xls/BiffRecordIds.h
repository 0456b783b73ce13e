#pragma once

#include <cstdint>

// Record identifiers of the BIFF8 workbook stream.
namespace xls::rec {

inline constexpr uint16_t Formula = 0x0006;
inline constexpr uint16_t Eof = 0x000A;
inline constexpr uint16_t CalcCount = 0x000C;
inline constexpr uint16_t CalcMode = 0x000D;
inline constexpr uint16_t Precision = 0x000E;
inline constexpr uint16_t RefMode = 0x000F;
inline constexpr uint16_t Delta = 0x0010;
inline constexpr uint16_t Iteration = 0x0011;
inline constexpr uint16_t Protect = 0x0012;
inline constexpr uint16_t ExternSheet = 0x0017;
inline constexpr uint16_t Name = 0x0018;
inline constexpr uint16_t Window1 = 0x003D;
inline constexpr uint16_t Backup = 0x0040;
inline constexpr uint16_t Continue = 0x003C;
inline constexpr uint16_t DateMode = 0x0022;
inline constexpr uint16_t Font = 0x0031;
inline constexpr uint16_t Codepage = 0x0042;
inline constexpr uint16_t DefColWidth = 0x0055;
inline constexpr uint16_t BoundSheet = 0x0085;
inline constexpr uint16_t Country = 0x008C;
inline constexpr uint16_t Style = 0x0293;
inline constexpr uint16_t MulRk = 0x00BD;
inline constexpr uint16_t MulBlank = 0x00BE;
inline constexpr uint16_t RString = 0x00D6;
inline constexpr uint16_t Dbcell = 0x00D7;
inline constexpr uint16_t Index = 0x020B;
inline constexpr uint16_t BookBool = 0x00DA;
inline constexpr uint16_t XF = 0x00E0;
inline constexpr uint16_t InterfaceHdr = 0x00E1;
inline constexpr uint16_t InterfaceEnd = 0x00E2;
inline constexpr uint16_t Mms = 0x00C1;
inline constexpr uint16_t Sst = 0x00FC;
inline constexpr uint16_t LabelSst = 0x00FD;
inline constexpr uint16_t ExtSst = 0x00FF;
inline constexpr uint16_t ColInfo = 0x007D;
inline constexpr uint16_t Dimensions = 0x0200;
inline constexpr uint16_t Blank = 0x0201;
inline constexpr uint16_t Number = 0x0203;
inline constexpr uint16_t Label = 0x0204;
inline constexpr uint16_t BoolErr = 0x0205;
inline constexpr uint16_t String = 0x0207;
inline constexpr uint16_t Row = 0x0208;
inline constexpr uint16_t Array = 0x0221;
inline constexpr uint16_t DefaultRowHeight = 0x0225;
inline constexpr uint16_t Window2 = 0x023E;
inline constexpr uint16_t Rk = 0x027E;
inline constexpr uint16_t Format = 0x041E;
inline constexpr uint16_t ShrFmla = 0x04BC;
inline constexpr uint16_t SupBook = 0x01AE;
inline constexpr uint16_t UseSelfs = 0x0160;
inline constexpr uint16_t StandardWidth = 0x0099;
inline constexpr uint16_t Bof = 0x0809;
inline constexpr uint16_t TableOp = 0x0236;

inline constexpr uint16_t kBiff8Version = 0x0600;
inline constexpr uint16_t kBofGlobals = 0x0005;
inline constexpr uint16_t kBofWorksheet = 0x0010;
inline constexpr uint16_t kBofChart = 0x0020;

} // namespace xls::rec
