#pragma once

#include "SheafCodes.h"
#include "SheafDocument.h"

#include <cstdint>
#include <functional>
#include <string>

// A worksheet's cells as the handheld stores them: a sheet head, then one
// entry per non-empty cell, row by row, cut into records below 60000 bytes.
namespace sheaf {

struct CellFormat {
    uint32_t font = 0;         // FontFlags
    uint32_t alignment = 0;    // AlignmentCode
    uint32_t numberFormat = 0; // NumberFormatCode

    bool isDefault() const { return font == 0 && alignment == 0 && numberFormat == 0; }
    friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

struct SheetHead {
    std::string name;
    CellFormat defaults; // for entries marked NO_FORMAT
};

struct CellEntry {
    CellKind kind = CellKind::Number;
    uint32_t column = 0;    // 0-based
    uint32_t row = 0;       // 0-based
    std::string text;       // the value, or the formula for formula kinds
    std::string display;    // formula kinds: the value as text
    std::string precedents; // FormulaWithPrecedents: the direct precedents' address
    CellFormat format;

    friend bool operator==(const CellEntry&, const CellEntry&) = default;
};

// Appends a sheet's cell stream to a document, record by record.
class CellStreamWriter {
public:
    CellStreamWriter(SheafDocument& document, const SheetHead& head);

    void add(const CellEntry& entry);
    // Ends the stream with END_OF_SHEET and appends its last record.
    void finish();

private:
    SheafDocument& document_;
    RecordBuffer record_;
    RecordBuffer entry_;
};

// Reads a cell stream from the document's current record on, following
// CONTINUED markers into the next records.  Short records throw SHEAF_E_DATA.
class CellStreamReader {
public:
    // Told the number (counting from 1) of the stream's record about to be
    // entered, before the reader steps into it; it may throw to stop reading.
    using RecordStepHandler = std::function<void(int32_t recordNumber)>;

    // Steps to the next record of the document and reads the sheet head.
    explicit CellStreamReader(SheafDocument& document, RecordStepHandler onRecordStep = {});

    const SheetHead& head() const { return head_; }

    // The next entry, or false at END_OF_SHEET.  Formatting marked NO_FORMAT
    // comes back as the head's defaults.
    bool next(CellEntry& entry);

    // Records read so far, counting the first.
    int32_t recordsRead() const { return recordsRead_; }

private:
    uint32_t readWord();

    SheafDocument& document_;
    RecordStepHandler onRecordStep_;
    const RecordBuffer* record_;
    int32_t position_ = 0;
    int32_t recordsRead_ = 1;
    SheetHead head_;
};

} // namespace sheaf
