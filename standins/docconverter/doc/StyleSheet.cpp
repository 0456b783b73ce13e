#include "StyleSheet.h"

#include "LittleEndian.h"
#include "TextDocument.h"
#include "Sprm.h"
#include "WordBinary.h"

namespace docconv::word {

namespace {

constexpr uint16_t kSprmCIstd = 0x4A30;
constexpr uint8_t kToggles = kBold | kItalic;

// Where the style's character properties are among its property groups.
bool characterGroup(std::span<const uint8_t> entry, size_t baseSize, size_t& offset, size_t& size,
                    bool& characterStyle) {
    if (entry.size() < baseSize || baseSize < 10) {
        return false;
    }
    const uint16_t kind = le::u16(entry.data() + 2) & 0x000F;
    const uint16_t groups = le::u16(entry.data() + 4) & 0x000F;
    characterStyle = kind == 2;
    if (kind != 1 && kind != 2) {
        return false;
    }
    size_t at = baseSize;
    if (entry.size() - at < 2) {
        return false;
    }
    const size_t nameUnits = le::u16(entry.data() + at);
    at += 2 + 2 * (nameUnits + 1);
    // Paragraph styles list paragraph properties first, then character ones.
    const uint16_t wanted = kind == 1 ? 1 : 0;
    for (uint16_t group = 0; group < groups; ++group) {
        at += at % 2;
        if (at > entry.size() || entry.size() - at < 2) {
            return false;
        }
        const size_t length = le::u16(entry.data() + at);
        if (entry.size() - at - 2 < length) {
            return false;
        }
        if (group == wanted) {
            offset = at + 2;
            size = length;
            return true;
        }
        at += 2 + length;
    }
    return false;
}

} // namespace

uint8_t DirectFormatting::applyTo(uint8_t styleBits) const {
    const uint8_t decided = on | off | asStyle | flipped;
    return static_cast<uint8_t>((styleBits & ~decided) | on | (asStyle & styleBits) |
                                (flipped & ~styleBits));
}

DirectFormatting directFormattingOf(std::span<const uint8_t> grpprl) {
    DirectFormatting formatting;
    const auto set = [&](uint8_t bit, uint8_t operand) {
        formatting.on &= static_cast<uint8_t>(~bit);
        formatting.off &= static_cast<uint8_t>(~bit);
        formatting.asStyle &= static_cast<uint8_t>(~bit);
        formatting.flipped &= static_cast<uint8_t>(~bit);
        uint8_t& target = operand == 0      ? formatting.off
                          : operand == 0x80 ? formatting.asStyle
                          : operand == 0x81 ? formatting.flipped
                                            : formatting.on;
        target |= bit;
    };
    forEachSprm(grpprl, [&](uint16_t sprm, std::span<const uint8_t> operand) {
        if (operand.empty()) {
            return;
        }
        if (sprm == kSprmCFBold) {
            set(kBold, operand[0]);
        } else if (sprm == kSprmCFItalic) {
            set(kItalic, operand[0]);
        } else if (sprm == kSprmCKul) {
            set(kUnderline, operand[0] == 0 ? 0 : 1);
        } else if (sprm == kSprmCIstd && operand.size() >= 2) {
            formatting.characterStyle = le::u16(operand.data());
        }
    });
    return formatting;
}

StyleSheet::StyleSheet(std::span<const uint8_t> stsh) {
    if (stsh.size() < 2) {
        return;
    }
    const size_t headerSize = le::u16(stsh.data());
    if (headerSize < 4 || stsh.size() - 2 < headerSize) {
        return;
    }
    const uint16_t count = le::u16(stsh.data() + 2);
    const uint16_t baseSize = le::u16(stsh.data() + 4);
    size_t at = 2 + headerSize;
    for (uint16_t i = 0; i < count; ++i) {
        if (stsh.size() - at < 2) {
            break;
        }
        const size_t length = le::u16(stsh.data() + at);
        at += 2;
        if (stsh.size() - at < length) {
            break;
        }
        Style style;
        const std::span<const uint8_t> entry = stsh.subspan(at, length);
        size_t offset = 0;
        size_t size = 0;
        if (length > 0 && characterGroup(entry, baseSize, offset, size, style.character)) {
            style.base = static_cast<uint16_t>(le::u16(entry.data() + 2) >> 4);
            style.own = directFormattingOf(entry.subspan(offset, size));
        }
        styles_.push_back(style);
        at += length;
    }
    resolved_.resize(styles_.size());
    for (size_t i = 0; i < styles_.size(); ++i) {
        resolved_[i] = resolve(static_cast<uint16_t>(i), 0);
    }
}

uint8_t StyleSheet::resolve(uint16_t istd, int depth) const {
    // A chain longer than the sheet loops back on itself.
    if (istd >= styles_.size() || depth > static_cast<int>(styles_.size())) {
        return 0;
    }
    const Style& style = styles_[istd];
    return style.own.applyTo(resolve(style.base, depth + 1));
}

uint8_t StyleSheet::bits(uint16_t paragraphStyle, uint16_t characterStyle) const {
    const uint8_t paragraph = paragraphStyle < resolved_.size() ? resolved_[paragraphStyle] : 0;
    if (characterStyle >= resolved_.size() || !styles_[characterStyle].character) {
        return paragraph;
    }
    // A character style's bold and italic toggle the paragraph's; its
    // underline is added.
    const uint8_t character = resolved_[characterStyle];
    return static_cast<uint8_t>((paragraph ^ (character & kToggles)) | (character & kUnderline));
}

} // namespace docconv::word
