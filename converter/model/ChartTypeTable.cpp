#include "SheafCodes.h"

#include <iterator>

namespace sheaf {
namespace {

struct ChartTypeRow {
    int32_t applicationType;
    uint16_t kind;
    uint16_t sub;
};

constexpr uint16_t kUnsupported = ChartTypeCode::Unsupported;

// Searched from the top in both directions, so the order decides which
// application type a code maps back to.
// clang-format off
constexpr ChartTypeRow kChartTypes[] = {
    {51, 0, 0},    {52, 0, 1},    {53, 0, 2},                  // column
    {-4100, kUnsupported, 0},                                  // 3-D column
    {54, 0, 0},    {55, 0, 1},    {56, 0, 2},                  // 3-D column
    {57, 1, 0},    {58, 1, 1},    {59, 1, 2},                  // bar
    {60, 1, 0},    {61, 1, 1},    {62, 1, 2},                  // 3-D bar
    {4, 2, 0},     {63, 2, 1},    {64, 2, 2},                  // line
    {65, 2, 0},    {66, 2, 1},    {67, 2, 2},                  // line with markers
    {-4101, kUnsupported, 0},                                  // 3-D line
    {5, 3, 0},     {69, 3, 1},                                 // pie, exploded pie
    {68, kUnsupported, 0},                                     // pie of pie
    {-4102, kUnsupported, 0},                                  // 3-D pie
    {70, 3, 1},                                                // exploded 3-D pie
    {71, kUnsupported, 0},                                     // bar of pie
    {-4169, 4, 0},                                             // XY scatter
    {74, 4, 1},    {75, 4, 1},    {72, 4, 1},    {73, 4, 1},   // scatter with lines
    {1, 5, 0},     {76, 5, 1},    {77, 5, 2},                  // area
    {-4098, kUnsupported, 0},                                  // 3-D area
    {78, 5, 1},    {79, 5, 2},                                 // 3-D area stacked
    {-4120, 6, 0}, {80, 6, 0},                                 // doughnut
    {-4151, 7, 0}, {81, 7, 0},    {82, 7, 0},                  // radar
    {83, 5, 0},    {84, 5, 0},    {85, 5, 0},    {86, 5, 0},   // surface
    {15, 8, 0},    {87, 8, 0},                                 // bubble
    {88, 9, 0},    {89, 9, 1},    {90, 9, 2},                  // stock
    {91, kUnsupported, 0},                                     // volume-open-high-low-close
    {92, 0, 0},    {93, 0, 1},    {94, 0, 2},                  // cylinder column
    {95, 1, 0},    {96, 1, 1},    {97, 1, 2},                  // cylinder bar
    {98, 0, 0},                                                // cylinder column
    {105, 0, 0},                                               // cone column
    {99, 0, 0},    {100, 0, 1},   {101, 0, 2},                 // cone column
    {102, 1, 0},   {103, 1, 1},   {104, 1, 2},                 // cone bar
    {112, kUnsupported, 0},                                    // pyramid column
    {106, 0, 0},   {107, 0, 1},   {108, 0, 2},                 // pyramid column
    {109, 1, 0},   {110, 1, 1},   {111, 1, 2},                 // pyramid bar
};
// clang-format on
static_assert(std::size(kChartTypes) == 73);

} // namespace

uint32_t ChartTypeCode::fromApplicationType(int32_t chartType) {
    for (const ChartTypeRow& row : kChartTypes) {
        if (row.applicationType == chartType) {
            return make(row.kind, row.sub);
        }
    }
    return Unsupported;
}

std::optional<int32_t> ChartTypeCode::toApplicationType(uint32_t code) {
    for (const ChartTypeRow& row : kChartTypes) {
        if (row.kind == kind(code) && row.sub == sub(code)) {
            return row.applicationType;
        }
    }
    return std::nullopt;
}

} // namespace sheaf
