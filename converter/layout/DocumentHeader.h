#pragma once

#include "SheafDocument.h"

#include <cstdint>
#include <string>

namespace sheaf {

// Record 1 of every document: how many sheet groups and chart records follow.
struct DocumentHeader {
    uint32_t sheetCount = 0;
    uint32_t chartCount = 0;
    std::string author;

    RecordBuffer encode() const;
    // Throws SHEAF_E_DATA when the record is short.
    static DocumentHeader decode(const RecordBuffer& record);
};

} // namespace sheaf
