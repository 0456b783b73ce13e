#pragma once

#include "SheafCodes.h"
#include "SheafDocument.h"

#include <cstdint>
#include <vector>

// Documents and files shared by the container and file tests.
namespace sheaf::testing {

inline RecordBuffer wordRecord(uint32_t value) {
    RecordBuffer record;
    record.appendWord(value);
    return record;
}

// One worksheet named S whose A1 holds the number 1, no formatting, no charts,
// an empty author.
inline SheafDocument numberOneDocument() {
    SheafDocument document;
    RecordBuffer header;
    header.appendWord(1);
    header.appendWord(0);
    header.appendString("");
    document.append(header);
    document.append(wordRecord(0));
    document.append(wordRecord(0));
    document.append(wordRecord(0));
    RecordBuffer cells;
    cells.appendString("S");
    for (int i = 0; i < 3; ++i) {
        cells.appendWord(0);
    }
    cells.appendWord(static_cast<uint32_t>(CellKind::Number));
    cells.appendWord(0);
    cells.appendWord(0);
    cells.appendString("1");
    cells.appendWord(NO_FORMAT);
    cells.appendWord(END_OF_SHEET);
    document.append(cells);
    return document;
}

inline const std::vector<uint8_t>& numberOneFile() {
    static const std::vector<uint8_t> bytes = {
        0x6A, 0x6C, 0x63, 0x30, 0x05, 0x00, 0x00, 0x00, // magic, 5 records
        0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00,                                           // header: 1 sheet, 0 charts, no author
        0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // word 0
        0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // word 0
        0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // no column widths
        0x2A, 0x00, 0x00, 0x00,                         // cell stream, 42 bytes
        0x00, 0x00, 0x00, 0x01, 0x53,                   // sheet name S
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // defaults
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // number at A1
        0x00, 0x00, 0x00, 0x01, 0x31,                                           // "1"
        0x00, 0x00, 0x00, 0x4D,                                                 // NO_FORMAT
        0x00, 0x00, 0x00, 0x63,                                                 // END_OF_SHEET
    };
    return bytes;
}

} // namespace sheaf::testing
