#include "AnsiText.h"

#include "base/CodePage.h"

namespace sheaf {

std::wstring ansiToWide(const std::string& text) {
    return quire::WidenLossy(CP_ACP, text);
}

std::string wideToAnsi(const wchar_t* text, size_t length) {
    return text ? quire::NarrowLossy(CP_ACP, std::wstring_view(text, length)) : std::string();
}

} // namespace sheaf
