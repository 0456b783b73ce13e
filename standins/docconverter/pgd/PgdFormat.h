#pragma once

#include "TextDocument.h"

#include <cstdint>
#include <span>
#include <vector>

// The handheld's word-processing file (.pgd); README.md gives its layout.
namespace docconv::pgd {

inline constexpr uint8_t kMagic[4] = {'P', 'G', 'D', 'F'};
inline constexpr uint16_t kVersion = 1;
inline constexpr uint16_t kHeaderSize = 12;

std::vector<uint8_t> write(const TextDocument& document);
// Throws DocumentError (DamagedHandheldDocument) for anything that does not
// follow the layout: every length is checked against the bytes that remain.
TextDocument read(std::span<const uint8_t> bytes);

} // namespace docconv::pgd
