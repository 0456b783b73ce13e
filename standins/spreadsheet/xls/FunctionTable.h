#pragma once

#include <cstdint>
#include <string_view>

// The built-in functions of the BIFF8 formula tokens, by their fixed indices.
namespace xls {

struct FunctionInfo {
    uint16_t index;
    const char* name;
    uint8_t minArgs;
    uint8_t maxArgs; // equal to minArgs for functions written as ptgFunc
    bool fixed() const { return minArgs == maxArgs; }
};

const FunctionInfo* functionByIndex(uint16_t index);
// `name` compared without case.
const FunctionInfo* functionByName(std::string_view name);

} // namespace xls
