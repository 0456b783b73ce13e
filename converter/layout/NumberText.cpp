#include "NumberText.h"

#include <charconv>

namespace sheaf {

std::string formatCellNumber(double value) {
    // to_chars is locale-independent; printf's %G would follow the C runtime
    // locale, which the desktop program sets to the system's.
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10);
    std::string number(text, result.ptr);
    for (char& c : number) {
        if (c == 'e') {
            c = 'E';
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A'); // inf, nan
        }
    }
    return number;
}

} // namespace sheaf
