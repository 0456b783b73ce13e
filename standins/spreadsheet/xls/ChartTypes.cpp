#include "ChartTypes.h"

#include "BiffRecordIds.h"
#include "Chart.h"
#include "LittleEndian.h"

#include <algorithm>

namespace xls {

namespace {

using namespace spreadsheet;

// Flat, stacked and 100% stacked variants of the families with such options.
struct StackedFamily {
    uint16_t id;
    bool transposed;
    int32_t flat, stacked, full, threeD;
};

// BAR: bit 0 horizontal bars, bit 1 stacked, bit 2 100%; LINE and AREA: bit 0
// stacked, bit 1 100%.
constexpr StackedFamily kFamilies[] = {
    {rec::Bar, false, kChartColumnClustered, kChartColumnStacked, kChartColumnStacked100,
     kChart3DColumnClustered},
    {rec::Bar, true, kChartBarClustered, kChartBarStacked, kChartBarStacked100,
     kChart3DBarClustered},
    {rec::Line, false, kChartLine, kChartLineStacked, kChartLineStacked100, kChart3DLine},
    {rec::Area, false, kChartArea, kChartAreaStacked, kChartAreaStacked100, kChart3DArea},
};

constexpr uint16_t kBarHorizontal = 0x0001;

// The stacking bits of the family's option word.
uint16_t stackingShift(uint16_t id) {
    return id == rec::Bar ? 1 : 0;
}

int32_t stackedType(const StackedFamily& family, uint16_t flags, bool threeD) {
    if (threeD && family.threeD != 0 && (flags >> stackingShift(family.id) & 0x03) == 0) {
        return family.threeD;
    }
    const uint16_t stacking = flags >> stackingShift(family.id);
    if (stacking & 0x02) {
        return family.full;
    }
    return (stacking & 0x01) ? family.stacked : family.flat;
}

// The application's 3-D, cylinder, cone and pyramid variants drawn flat.
int32_t flatFamilyMember(int32_t type) {
    switch (type) {
    case kChart3DColumn:
    case 54:
    case 92:
    case 98:
    case 99:
    case 105:
    case 106:
    case 112:
        return kChartColumnClustered;
    case 55:
    case 93:
    case 100:
    case 107:
        return kChartColumnStacked;
    case 56:
    case 94:
    case 101:
    case 108:
        return kChartColumnStacked100;
    case 60:
    case 95:
    case 102:
    case 109:
        return kChartBarClustered;
    case 61:
    case 96:
    case 103:
    case 110:
        return kChartBarStacked;
    case 62:
    case 97:
    case 104:
    case 111:
        return kChartBarStacked100;
    case kChart3DLine:
    case 65:
        return kChartLine;
    case 66:
        return kChartLineStacked;
    case 67:
        return kChartLineStacked100;
    case kChart3DArea:
        return kChartArea;
    case 78:
        return kChartAreaStacked;
    case 79:
        return kChartAreaStacked100;
    default:
        return type;
    }
}

} // namespace

int32_t chartTypeOf(uint16_t id, std::span<const uint8_t> data, bool threeD) {
    const auto word = [&](size_t at) -> uint16_t {
        return data.size() >= at + 2 ? le::u16(data.data() + at) : 0;
    };
    switch (id) {
    case rec::Bar: {
        const uint16_t flags = word(4);
        return stackedType(kFamilies[(flags & kBarHorizontal) ? 1 : 0], flags, threeD);
    }
    case rec::Line:
        return stackedType(kFamilies[2], word(0), threeD);
    case rec::Area:
        return stackedType(kFamilies[3], word(0), threeD);
    case rec::Pie:
        if (word(2) > 0) {
            return kChartDoughnut;
        }
        return threeD ? kChart3DPie : kChartPie;
    case rec::Scatter:
        return (word(4) & 0x0001) ? kChartBubble : kChartXYScatter;
    case rec::Radar:
        return kChartRadar;
    case rec::RadarArea:
        return kChartRadarFilled;
    case rec::Surf:
        return kChartSurface;
    case rec::BopPop:
        return !data.empty() && data[0] == 2 ? kChartBarOfPie : kChartPieOfPie;
    default:
        return kChartColumnClustered;
    }
}

ChartTypeRecord chartTypeRecordOf(int32_t chartType) {
    const int32_t type = flatFamilyMember(chartType);
    for (const StackedFamily& family : kFamilies) {
        const int32_t variants[] = {family.flat, family.stacked, family.full};
        const auto it = std::find(std::begin(variants), std::end(variants), type);
        if (it == std::end(variants)) {
            continue;
        }
        constexpr uint16_t kStacking[] = {0x00, 0x01, 0x03}; // flat, stacked, stacked and 100%
        ChartTypeRecord record{family.id};
        record.flags =
            static_cast<uint16_t>((kStacking[it - variants] << stackingShift(family.id)) |
                                  (family.transposed ? kBarHorizontal : 0));
        return record;
    }
    switch (type) {
    case kChartPie:
    case kChart3DPie:
    case 69:
    case 70:
    case kChartPieOfPie:
    case kChartBarOfPie:
        return {rec::Pie};
    case kChartDoughnut:
    case 80:
        return {rec::Pie, 0, 50};
    case kChartXYScatter:
    case 72:
    case 73:
    case 74:
    case 75:
        return {rec::Scatter};
    case kChartBubble:
    case 87:
        return {rec::Scatter, 0, 0, true};
    case kChartRadar:
    case 81:
        return {rec::Radar};
    case kChartRadarFilled:
        return {rec::RadarArea};
    default:
        return {rec::Bar};
    }
}

void appendChartTypeData(const ChartTypeRecord& type, std::vector<uint8_t>& out) {
    switch (type.id) {
    case rec::Bar:
        le::put16(out, 0);   // no overlap
        le::put16(out, 100); // gap between categories, percent of a bar
        le::put16(out, type.flags);
        return;
    case rec::Pie:
        le::put16(out, 0); // first slice at 12 o'clock
        le::put16(out, type.donut);
        le::put16(out, 0);
        return;
    case rec::Scatter:
        le::put16(out, 100); // bubble size ratio
        le::put16(out, 1);   // bubble sizes are areas
        le::put16(out, type.bubbles ? 0x0001 : 0);
        return;
    default:
        le::put16(out, type.flags);
        return;
    }
}

} // namespace xls
