#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// Little-endian integer access shared by the container and the streams inside it.
namespace le {

inline uint16_t u16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t u64(const uint8_t* p) {
    return static_cast<uint64_t>(u32(p)) | (static_cast<uint64_t>(u32(p + 4)) << 32);
}
inline double f64(const uint8_t* p) {
    const uint64_t bits = u64(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}
inline void put64(std::vector<uint8_t>& out, uint64_t v) {
    put32(out, static_cast<uint32_t>(v));
    put32(out, static_cast<uint32_t>(v >> 32));
}
inline void putF64(std::vector<uint8_t>& out, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put64(out, bits);
}
inline void set16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void set32(uint8_t* p, uint32_t v) {
    set16(p, static_cast<uint16_t>(v));
    set16(p + 2, static_cast<uint16_t>(v >> 16));
}

} // namespace le
