#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace docconv::word {

inline constexpr uint16_t kNoStyle = 0x0FFF;

// What a run's own properties say about bold, italic and underline: set on,
// set off, taken as the style has it, or the opposite of the style.
struct DirectFormatting {
    uint16_t characterStyle = kNoStyle;
    uint8_t on = 0;
    uint8_t off = 0;
    uint8_t asStyle = 0;
    uint8_t flipped = 0;

    uint8_t applyTo(uint8_t styleBits) const;
};

DirectFormatting directFormattingOf(std::span<const uint8_t> grpprl);

// The document's styles, reduced to the bold, italic and underline that each
// gives its text, following every style's base style.
class StyleSheet {
public:
    StyleSheet() = default;
    // Takes the style sheet structure from the table stream; a damaged sheet
    // leaves the styles it could not read plain.
    explicit StyleSheet(std::span<const uint8_t> stsh);

    // The formatting of text in a paragraph of style `paragraphStyle` whose
    // run carries the character style `characterStyle` (or kNoStyle).
    uint8_t bits(uint16_t paragraphStyle, uint16_t characterStyle) const;

private:
    struct Style {
        uint16_t base = kNoStyle;
        DirectFormatting own;
        bool character = false;
    };
    uint8_t resolve(uint16_t istd, int depth) const;

    std::vector<Style> styles_;
    std::vector<uint8_t> resolved_;
};

} // namespace docconv::word
