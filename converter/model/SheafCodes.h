#pragma once

#include <cstdint>
#include <optional>

// Value codes carried inside the records of a handheld spreadsheet.  Every one
// is stored as a big-endian 32-bit word.
namespace sheaf {

enum class CellKind : uint32_t {
    Number = 0,
    Text = 1,
    Formula = 2,
    Empty = 3, // never stored: empty cells are skipped
    Boolean = 4,
    Error = 5,
    FormulaWithPrecedents = 6, // names a sheet or has same-sheet precedents
};

// Bit set: a value is 0 to 7.
namespace FontFlags {
inline constexpr uint32_t Bold = 1;
inline constexpr uint32_t Italic = 2;
inline constexpr uint32_t Underlined = 4;
} // namespace FontFlags

enum class AlignmentCode : uint32_t {
    Other = 0, // general and every alignment without a handheld equivalent
    Centre = 4,
    Right = 5,
    Left = 6,
};

// Markers of the cell stream.  NO_FORMAT replaces the three formatting words
// when all are 0; a font flags value is never 77, so the two forms stay apart.
inline constexpr uint32_t NO_FORMAT = 77;
inline constexpr uint32_t CONTINUED = 88;
inline constexpr uint32_t END_OF_SHEET = 99;

// Cell stream records stay below this size; an entry that would reach it
// starts the next record.
inline constexpr int32_t kCellRecordLimit = 60000;

// A code of two halves: low 16 bits a kind, high 16 bits a sub-index.
struct SplitCode {
    static constexpr uint32_t make(uint16_t kind, uint16_t sub) {
        return static_cast<uint32_t>(kind) | static_cast<uint32_t>(sub) << 16;
    }
    static constexpr uint16_t kind(uint32_t code) { return static_cast<uint16_t>(code & 0xFFFF); }
    static constexpr uint16_t sub(uint32_t code) { return static_cast<uint16_t>(code >> 16); }
};

struct NumberFormatCode : SplitCode {
    enum Kind : uint16_t {
        General = 0,
        Date = 1,
        Time = 2,
        DateTime = 3,
        Number = 4,
        Currency = 5,
        Percentage = 6,
        Text = 7,
    };
};

// The sub-index is the chart's sub-type.
struct ChartTypeCode : SplitCode {
    enum Kind : uint16_t {
        Column = 0,
        Bar = 1,
        Line = 2,
        Pie = 3,
        Scatter = 4,
        Area = 5,
        Doughnut = 6,
        Radar = 7,
        Bubble = 8,
        Stock = 9,
    };
    // A chart type the handheld cannot show.
    static constexpr uint32_t Unsupported = 1000;

    // From the spreadsheet application's chart type constant; Unsupported for
    // a type the table does not have.
    static uint32_t fromApplicationType(int32_t chartType);
    // The application's chart type for a code; nothing for a code no row has.
    static std::optional<int32_t> toApplicationType(uint32_t code);
};

} // namespace sheaf
