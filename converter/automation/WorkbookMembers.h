#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// The spreadsheet application's members that the converters call, by their
// published dispatch identifiers, and the constants they pass or compare.
namespace sheaf {

enum : DISPID {
    // Application
    DISPID_XL_WORKBOOKS = 0x23C,
    DISPID_XL_DISPLAY_ALERTS = 0x157,
    DISPID_XL_ASK_TO_UPDATE_LINKS = 0x3E0,
    DISPID_XL_OPTION_3A2 = 0x3A2,
    DISPID_XL_USER_NAME = 0x187,
    DISPID_XL_QUIT = 0x12E,
    // Workbooks, Workbook
    DISPID_XL_ADD = 0xB5,
    DISPID_XL_OPEN = 0x2AA,
    DISPID_XL_CLOSE = 0x115,
    DISPID_XL_APPLICATION = 0x94,
    DISPID_XL_WORKSHEETS = 0x1E5,
    DISPID_XL_CHARTS = 0x79,
    // Collections
    DISPID_XL_ITEM = 0xAA,
    DISPID_XL_COUNT = 0x76,
    // Sheets
    DISPID_XL_NAME = 0x6E,
    DISPID_XL_TYPE = 0x6C,
    DISPID_XL_ACTIVATE = 0x130,
    DISPID_XL_DELETE = 0x75,
    DISPID_XL_USED_RANGE = 0x19C,
    DISPID_XL_RANGE = 0xC5,
    DISPID_XL_CHART_OBJECTS = 0x424,
    // Range
    DISPID_XL_COLUMN = 0xF0,
    DISPID_XL_ROW = 0x101,
    DISPID_XL_COLUMNS = 0xF1,
    DISPID_XL_ROWS = 0x102,
    DISPID_XL_WIDTH = 0x7A,
    DISPID_XL_VALUE2 = 0x56C,
    DISPID_XL_TEXT = 0x8A,
    DISPID_XL_HAS_FORMULA = 0x10B,
    DISPID_XL_FORMULA = 0x105,
    DISPID_XL_DIRECT_PRECEDENTS = 0x222,
    DISPID_XL_ADDRESS = 0xEC,
    DISPID_XL_FONT = 0x92,
    DISPID_XL_HORIZONTAL_ALIGNMENT = 0x88,
    DISPID_XL_NUMBER_FORMAT = 0xC1,
    // Font
    DISPID_XL_BOLD = 0x60,
    DISPID_XL_ITALIC = 0x65,
    DISPID_XL_UNDERLINE = 0x6A,
    // ChartObject, Chart, ChartTitle, SeriesCollection, Series
    DISPID_XL_CHART = 0x7,
    DISPID_XL_HAS_TITLE = 0x36,
    DISPID_XL_CHART_TITLE = 0x51,
    DISPID_XL_CHART_TYPE = 0x578,
    DISPID_XL_PLOT_BY = 0xCA,
    DISPID_XL_SERIES_COLLECTION = 0x44,
    DISPID_XL_NEW_SERIES = 0x45D,
    DISPID_XL_CAPTION = 0x8B,
};

inline constexpr int32_t XL_WORKSHEET = -4167;
inline constexpr int32_t XL_CHART = -4109;
inline constexpr int32_t XL_HALIGN_CENTER = -4108;
inline constexpr int32_t XL_HALIGN_RIGHT = -4152;
inline constexpr int32_t XL_HALIGN_LEFT = -4131;
inline constexpr int32_t XL_HALIGN_GENERAL = 1;
inline constexpr int32_t XL_UNDERLINE_NONE = -4142;
inline constexpr int32_t XL_PLOT_BY_ROWS = 1;
inline constexpr int32_t XL_REFERENCE_A1 = 1;

inline constexpr char EXCEL_PROG_ID[] = "Excel.Application";

} // namespace sheaf
