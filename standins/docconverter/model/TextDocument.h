#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A word-processing document as the handheld keeps it: paragraphs of
// character runs, each run one stretch of UTF-8 text with one formatting.
namespace docconv {

enum RunStyle : uint8_t {
    kPlain = 0,
    kBold = 1,
    kItalic = 2,
    kUnderline = 4,
};
inline constexpr uint8_t kKnownStyles = kBold | kItalic | kUnderline;

struct Run {
    std::string text; // UTF-8; a line break inside the paragraph is '\n'
    uint8_t style = kPlain;

    bool operator==(const Run&) const = default;
};

// Where a paragraph stands: in the body; in a table cell that goes on after
// it; at the end of a table cell; or as the empty mark that closes a row.
enum class ParagraphRole : uint8_t { Body = 0, InCell = 1, CellEnd = 2, RowEnd = 3 };

struct Paragraph {
    std::vector<Run> runs;
    ParagraphRole role = ParagraphRole::Body;

    std::string text() const;
    bool operator==(const Paragraph&) const = default;
};

struct TextDocument {
    std::vector<Paragraph> paragraphs;

    // Every paragraph's text, each followed by '\n'; row-end marks give nothing.
    std::string plainText() const;
    size_t textBytes() const;
    bool operator==(const TextDocument&) const = default;
};

// Adds text to the paragraph, joining it to the last run when the style is
// the same, so that runs stay as few as the formatting allows.
void appendText(Paragraph& paragraph, std::string_view text, uint8_t style);

} // namespace docconv
