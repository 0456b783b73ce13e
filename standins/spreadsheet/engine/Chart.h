#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spreadsheet {

// A few of the application's published chart type constants; any other value
// the application knows may be stored as well.
inline constexpr int32_t kChartColumnClustered = 51;
inline constexpr int32_t kChart3DColumn = -4100;
inline constexpr int32_t kChartLine = 4;
inline constexpr int32_t kChartPie = 5;
inline constexpr int32_t kChartBubble = 15;
inline constexpr int32_t kChartXYScatter = -4169;

inline constexpr int32_t kPlotByRows = 1;
inline constexpr int32_t kPlotByColumns = 2;

// One data series, kept as its series formula text, such as
// =SERIES(,Sheet1!$A$2:$A$5,Sheet1!$B$2:$B$5,1).
struct ChartSeries {
    std::string formula;
};

struct Chart {
    std::string name; // embedded charts only; a chart sheet's name is its sheet's name
    bool hasTitle = false;
    std::string title;
    int32_t chartType = kChartColumnClustered;
    int32_t plotBy = kPlotByColumns;
    std::vector<ChartSeries> series;
};

// A chart embedded in a worksheet.
struct ChartObject {
    std::string name; // "Chart 1"
    Chart chart;
};

} // namespace spreadsheet
