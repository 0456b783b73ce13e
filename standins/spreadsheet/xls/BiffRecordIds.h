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

// Drawing objects and the records of a chart substream.
inline constexpr uint16_t Obj = 0x005D;
inline constexpr uint16_t Header = 0x0014;
inline constexpr uint16_t Footer = 0x0015;
inline constexpr uint16_t HCenter = 0x0083;
inline constexpr uint16_t VCenter = 0x0084;
inline constexpr uint16_t PrintSize = 0x0033;
inline constexpr uint16_t Units = 0x1001;
inline constexpr uint16_t Chart = 0x1002;
inline constexpr uint16_t Series = 0x1003;
inline constexpr uint16_t LineFormat = 0x1007;
inline constexpr uint16_t AreaFormat = 0x100A;
inline constexpr uint16_t SeriesText = 0x100D;
inline constexpr uint16_t ChartFormat = 0x1014;
inline constexpr uint16_t Legend = 0x1015;
inline constexpr uint16_t Bar = 0x1017;
inline constexpr uint16_t Line = 0x1018;
inline constexpr uint16_t Pie = 0x1019;
inline constexpr uint16_t Area = 0x101A;
inline constexpr uint16_t Scatter = 0x101B;
inline constexpr uint16_t Axis = 0x101D;
inline constexpr uint16_t ValueRange = 0x101F;
inline constexpr uint16_t CatSerRange = 0x1020;
inline constexpr uint16_t Text = 0x1025;
inline constexpr uint16_t ObjectLink = 0x1027;
inline constexpr uint16_t Frame = 0x1032;
inline constexpr uint16_t Begin = 0x1033;
inline constexpr uint16_t End = 0x1034;
inline constexpr uint16_t PlotArea = 0x1035;
inline constexpr uint16_t Chart3D = 0x103A;
inline constexpr uint16_t Radar = 0x103E;
inline constexpr uint16_t Surf = 0x103F;
inline constexpr uint16_t RadarArea = 0x1040;
inline constexpr uint16_t AxisParent = 0x1041;
inline constexpr uint16_t ShtProps = 0x1044;
inline constexpr uint16_t SerToCrt = 0x1045;
inline constexpr uint16_t AxesUsed = 0x1046;
inline constexpr uint16_t BraI = 0x1051;
inline constexpr uint16_t BopPop = 0x1061;

inline constexpr uint16_t kBiff8Version = 0x0600;
inline constexpr uint16_t kBofGlobals = 0x0005;
inline constexpr uint16_t kBofWorksheet = 0x0010;
inline constexpr uint16_t kBofChart = 0x0020;

} // namespace xls::rec
