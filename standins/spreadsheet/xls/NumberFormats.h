#pragma once

#include <cstdint>
#include <string>

namespace xls {

// The number formats every reader knows by index without a FORMAT record.
// Empty for an index that has none.
std::string builtInNumberFormat(uint16_t index);
// The index of a built-in format that means the same in every locale, or -1.
int portableBuiltInIndex(const std::string& format);

inline constexpr uint16_t kFirstCustomFormat = 164;

} // namespace xls
