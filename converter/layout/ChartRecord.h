#pragma once

#include "SheafDocument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sheaf {

// One chart: its name, title, type and the groups of series it plots, each
// group a rectangle of values on one sheet.
struct ChartRecord {
    struct Group {
        std::string values; // 'Sheet1'!$B$2:$D$9
        std::string sizes;  // bubble sizes, or empty
        friend bool operator==(const Group&, const Group&) = default;
    };

    uint32_t ordinal = 0; // sheets plus charts written before this chart
    std::string name;
    std::string title; // empty when the chart has no title
    uint32_t type = 0; // ChartTypeCode
    bool inRows = false;
    std::string categories;
    std::vector<Group> groups;

    RecordBuffer encode() const;
    // Throws SHEAF_E_DATA when the record is short or counts more groups than
    // it holds.
    static ChartRecord decode(const RecordBuffer& record);

    friend bool operator==(const ChartRecord&, const ChartRecord&) = default;
};

} // namespace sheaf
