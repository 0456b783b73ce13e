#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace docconv::word {

// Calls `visit` with each property modifier of a grpprl and its operand; stops
// at a modifier whose operand would run past the end.
void forEachSprm(std::span<const uint8_t> grpprl,
                 const std::function<void(uint16_t sprm, std::span<const uint8_t> operand)>& visit);

} // namespace docconv::word
