#include "NumberFormats.h"

#include "SheafCodes.h"

#include <array>
#include <span>

namespace sheaf {
namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool containsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) {
        if (contains(text, part)) {
            return true;
        }
    }
    return false;
}

uint32_t classifyDateTime(std::string_view text) {
    const bool hours = contains(text, "h");
    const bool seconds = contains(text, ":s");
    const bool amPm = contains(text, "AM/PM");
    const size_t firstM = text.find('m');
    // An "m" right after ":" is minutes; any other first "m" is the month.
    const bool month = firstM != std::string_view::npos && (firstM == 0 || text[firstM - 1] != ':');
    const auto timeSub = static_cast<uint16_t>(2 * seconds + amPm);
    if (hours) {
        return NumberFormatCode::make(month ? NumberFormatCode::DateTime : NumberFormatCode::Time,
                                      timeSub);
    }
    if (!month) {
        return NumberFormatCode::make(NumberFormatCode::DateTime, 0);
    }
    const bool year = contains(text, "y");
    const bool day = contains(text, "d");
    const bool monthName = contains(text, "mmm");
    // Indexed by year, day, month name.
    static constexpr uint16_t kDateSub[2][2][2] = {{{23, 24}, {4, 3}}, {{23, 15}, {10, 8}}};
    return NumberFormatCode::make(NumberFormatCode::Date, kDateSub[year][day][monthName]);
}

uint32_t classifyNumeric(std::string_view text) {
    uint16_t decimals = 0;
    if (const size_t point = text.find('.'); point != std::string_view::npos) {
        for (size_t i = point + 1; i < text.size() && text[i] == '0'; ++i) {
            ++decimals;
        }
    }
    if (contains(text, "0%")) {
        return NumberFormatCode::make(NumberFormatCode::Percentage, decimals);
    }
    if (contains(text, "0")) {
        return NumberFormatCode::make(NumberFormatCode::Number, decimals);
    }
    if (contains(text, "@")) {
        return NumberFormatCode::make(NumberFormatCode::Text, 0);
    }
    return NumberFormatCode::make(NumberFormatCode::General, 0);
}

// clang-format off
constexpr std::array<std::string_view, 1> kGeneral = {""};
constexpr std::array<std::string_view, 28> kDates = {
    "dd/mm/yyyy;@", "d/mm;@", "d mmm;@", "d mmmm;@", "dd/mm;@", "dd mmm;@", "dd mmmm;@",
    "d/m/yy;@", "d mmm yy;@", "d mmmm yy;@", "dd/mm/yy;@", "dd/mmm/yy;@", "dd mmmm yy;@",
    "d/m/yyyy;@", "d/mmm/yyyy;@", "d mmmm yyyy;@", "dd/mmm/yyyy;@", "dd mmmm yyyy;@",
    "m/yy;@", "mm/yy;@", "mmm yy;@", "mmmm yy;@", "m/yyyy;@", "mm/yyyy;@", "mmm yyyy;@",
    "mmmm yyyy;@", "yyyy, mmmm;@", "yyyy, dd mmmm;@"};
constexpr std::array<std::string_view, 4> kTimes = {
    "h:mm;@", "h:mm AM/PM;@", "h:mm:ss;@", "h:mm:ss AM/PM;@"};
constexpr std::array<std::string_view, 8> kDateTimes = {
    "dd/mm/yy h:mm;@", "dd/mm/yy h:mm AM/PM;@", "dd/mm/yy h:mm:ss;@",
    "dd/mm/yy h:mm:ss AM/PM;@", "dd/mm h:mm;@", "dd/mm h:mm AM/PM;@", "dd/mm h:mm:ss;@",
    "dd/mm h:mm:ss AM/PM;@"};
constexpr std::array<std::string_view, 1> kNumbers = {"0.00"};
constexpr std::array<std::string_view, 6> kCurrencies = {
    "[$$-409]0.00", "[$\x88-2] 0.00", "0.00 [$USD]", "0.00 [$\x88-1]", "0.00 [$DM-407]",
    "0.00 [$\xF0.-419]"};
constexpr std::array<std::string_view, 1> kPercentages = {"0.00%"};
constexpr std::array<std::string_view, 1> kTexts = {"@"};
// clang-format on

constexpr std::array<std::span<const std::string_view>, 8> kFormatLists = {
    kGeneral, kDates, kTimes, kDateTimes, kNumbers, kCurrencies, kPercentages, kTexts};

} // namespace

uint32_t classifyNumberFormat(std::string_view text) {
    if (contains(text, "General")) {
        return NumberFormatCode::make(NumberFormatCode::General, 0);
    }
    if (containsAny(text, {";@", "/d", "/y", "/m", ":m", ":s"})) {
        return classifyDateTime(text);
    }
    if (contains(text, "$\x88")) {
        return NumberFormatCode::make(NumberFormatCode::Currency, 1);
    }
    if (contains(text, "[$USD")) {
        return NumberFormatCode::make(NumberFormatCode::Currency, 2);
    }
    if (contains(text, "[$DM")) {
        return NumberFormatCode::make(NumberFormatCode::Currency, 4);
    }
    // The rouble sign is 0xF0 in code page 1251, the text this library writes
    // for sub-index 5; 0xE0 is accepted as older files spelled it.
    if (containsAny(text, {"[$\xE0", "[$\xF0"})) {
        return NumberFormatCode::make(NumberFormatCode::Currency, 5);
    }
    if (containsAny(text, {"[$$", "0$", "0 $"})) {
        return NumberFormatCode::make(NumberFormatCode::Currency, 0);
    }
    return classifyNumeric(text);
}

std::optional<std::string> numberFormatText(uint32_t code) {
    const uint16_t kind = NumberFormatCode::kind(code);
    const uint16_t sub = NumberFormatCode::sub(code);
    if (kind >= kFormatLists.size() || sub >= kFormatLists[kind].size() ||
        kFormatLists[kind][sub].empty()) {
        return std::nullopt;
    }
    return std::string(kFormatLists[kind][sub]);
}

} // namespace sheaf
