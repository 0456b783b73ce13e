#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spreadsheet {

// A few of the application's published chart type constants; any other value
// the application knows may be stored as well.
inline constexpr int32_t kChartColumnClustered = 51;
inline constexpr int32_t kChartColumnStacked = 52;
inline constexpr int32_t kChartColumnStacked100 = 53;
inline constexpr int32_t kChart3DColumnClustered = 54;
inline constexpr int32_t kChartBarClustered = 57;
inline constexpr int32_t kChartBarStacked = 58;
inline constexpr int32_t kChartBarStacked100 = 59;
inline constexpr int32_t kChart3DBarClustered = 60;
inline constexpr int32_t kChart3DColumn = -4100;
inline constexpr int32_t kChartLine = 4;
inline constexpr int32_t kChartLineStacked = 63;
inline constexpr int32_t kChartLineStacked100 = 64;
inline constexpr int32_t kChart3DLine = -4101;
inline constexpr int32_t kChartPie = 5;
inline constexpr int32_t kChart3DPie = -4102;
inline constexpr int32_t kChartPieOfPie = 68;
inline constexpr int32_t kChartBarOfPie = 71;
inline constexpr int32_t kChartDoughnut = -4120;
inline constexpr int32_t kChartArea = 1;
inline constexpr int32_t kChartAreaStacked = 76;
inline constexpr int32_t kChartAreaStacked100 = 77;
inline constexpr int32_t kChart3DArea = -4098;
inline constexpr int32_t kChartRadar = -4151;
inline constexpr int32_t kChartRadarFilled = 82;
inline constexpr int32_t kChartSurface = 83;
inline constexpr int32_t kChartBubble = 15;
inline constexpr int32_t kChartXYScatter = -4169;

inline constexpr int32_t kPlotByRows = 1;
inline constexpr int32_t kPlotByColumns = 2;

// One data series, kept as its series formula text, such as
// =SERIES(,Sheet1!$A$2:$A$5,Sheet1!$B$2:$B$5,1).
struct ChartSeries {
    std::string formula;
    bool operator==(const ChartSeries&) const = default;
};

struct Chart {
    std::string name; // embedded charts only; a chart sheet's name is its sheet's name
    bool hasTitle = false;
    std::string title;
    int32_t chartType = kChartColumnClustered;
    int32_t plotBy = kPlotByColumns;
    std::vector<ChartSeries> series;
    bool operator==(const Chart&) const = default;
};

// A chart embedded in a worksheet.
struct ChartObject {
    std::string name; // "Chart 1"
    Chart chart;
    bool operator==(const ChartObject&) const = default;
};

} // namespace spreadsheet
