#pragma once

#include <cstdint>

// Result codes of saving and loading a handheld spreadsheet file: the storage
// status codes of the platform, spelled out so that portable code can use them.
namespace sheaf {

inline constexpr int32_t kResultOk = 0;
inline constexpr int32_t kResultFileNotFound = static_cast<int32_t>(0x80030002u);
inline constexpr int32_t kResultWriteFault = static_cast<int32_t>(0x8003001Du);
inline constexpr int32_t kResultReadFault = static_cast<int32_t>(0x8003001Eu);
inline constexpr int32_t kResultOutOfMemory = static_cast<int32_t>(0x8007000Eu);

} // namespace sheaf
