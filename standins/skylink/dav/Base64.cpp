#include "Base64.h"

namespace dav {

std::string base64Encode(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
        unsigned long group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group <<= 8;
            if (k < count) {
                group |= static_cast<unsigned char>(bytes[i + k]);
            }
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= count ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

} // namespace dav
