#include "DisplayText.h"

#include "DateSerial.h"
#include "Evaluator.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace spreadsheet {

namespace {

constexpr size_t kGeneralWidth = 11;

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string trimZeros(std::string s) {
    size_t e = s.find_first_of("eE");
    std::string exponent = e == std::string::npos ? "" : s.substr(e);
    std::string mantissa = s.substr(0, e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.')
            mantissa.pop_back();
    }
    return mantissa + exponent;
}

std::string scientific(double value, int decimals) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*E", decimals, value);
    // Two exponent digits at least, as the application writes them: 1.5E+20.
    std::string s = buffer;
    return s;
}

// Splits a format code into its sections at ';' outside quotes and brackets.
std::vector<std::string> sections(const std::string& format) {
    std::vector<std::string> parts(1);
    bool quoted = false, bracket = false;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '\\' && !quoted && i + 1 < format.size()) {
            parts.back() += format.substr(i, 2);
            ++i;
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        else if (c == '[' && !quoted)
            bracket = true;
        else if (c == ']' && !quoted)
            bracket = false;
        else if (c == ';' && !quoted && !bracket) {
            parts.emplace_back();
            continue;
        }
        parts.back() += c;
    }
    return parts;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == 0;
}

// One piece of a section: a literal text or a code letter run.
struct Token {
    bool literal;
    std::string text;
};

// Breaks a section into literals (quoted text, escapes, [$x-n] currency, spaces
// and punctuation) and codes; colour and condition brackets are dropped.
std::vector<Token> tokenize(const std::string& section) {
    std::vector<Token> tokens;
    auto addLiteral = [&](const std::string& s) {
        if (!tokens.empty() && tokens.back().literal)
            tokens.back().text += s;
        else
            tokens.push_back({true, s});
    };
    for (size_t i = 0; i < section.size();) {
        char c = section[i];
        if (c == '"') {
            size_t end = section.find('"', i + 1);
            if (end == std::string::npos)
                end = section.size();
            addLiteral(section.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '\\' && i + 1 < section.size()) {
            addLiteral(section.substr(i + 1, 1));
            i += 2;
        } else if (c == '_' && i + 1 < section.size()) {
            addLiteral(" ");
            i += 2;
        } else if (c == '*' && i + 1 < section.size()) {
            i += 2;
        } else if (c == '[') {
            size_t end = section.find(']', i);
            if (end == std::string::npos)
                end = section.size();
            std::string inner = section.substr(i + 1, end - i - 1);
            if (inner.size() > 1 && inner[0] == '$')
                addLiteral(inner.substr(1, inner.find('-') == std::string::npos
                                               ? std::string::npos
                                               : inner.find('-') - 1));
            else if (!inner.empty() && std::toupper(static_cast<unsigned char>(inner[0])) == 'H')
                tokens.push_back({false, "[h]"});
            i = end + 1;
        } else if (section.compare(i, 5, "AM/PM") == 0 || section.compare(i, 5, "am/pm") == 0) {
            tokens.push_back({false, "AM/PM"});
            i += 5;
        } else if ((c == 'E' || c == 'e') && i + 1 < section.size() &&
                   (section[i + 1] == '+' || section[i + 1] == '-')) {
            size_t j = i + 2;
            while (j < section.size() && (section[j] == '0' || section[j] == '#'))
                ++j;
            tokens.push_back({false, "e"});
            i = j;
        } else if (std::strchr("0#?.,%", c)) {
            tokens.push_back({false, std::string(1, c)});
            ++i;
        } else if (std::isalpha(static_cast<unsigned char>(c)) && std::strchr("yYmMdDhHsS@", c)) {
            size_t j = i;
            char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            while (j < section.size() &&
                   std::tolower(static_cast<unsigned char>(section[j])) == lower)
                ++j;
            tokens.push_back({false, std::string(j - i, lower)});
            i = j;
        } else if (c == '@') {
            tokens.push_back({false, "@"});
            ++i;
        } else {
            addLiteral(std::string(1, c));
            ++i;
        }
    }
    return tokens;
}

bool isDateCode(const std::string& t) {
    char c = t.empty() ? 0 : t[0];
    return c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's' || t == "AM/PM" || t == "[h]";
}

std::string twoDigits(int n) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

std::string formatDate(double serial, const std::vector<Token>& tokens) {
    if (serial < 0 || serial >= 2958466)
        return std::string(kGeneralWidth, '#');
    DateTimeParts p = dateFromSerial(serial);
    bool twelveHour = false;
    for (const Token& t : tokens)
        twelveHour |= !t.literal && t.text == "AM/PM";
    std::string out;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.literal) {
            out += t.text;
            continue;
        }
        const std::string& code = t.text;
        // "m" is minutes right after an hour code or right before a seconds code.
        bool minutes = false;
        if (code[0] == 'm' && code.size() <= 2) {
            for (size_t j = i; j-- > 0;) {
                if (tokens[j].literal)
                    continue;
                minutes = tokens[j].text[0] == 'h' || tokens[j].text == "[h]";
                break;
            }
            for (size_t j = i + 1; !minutes && j < tokens.size(); ++j) {
                if (tokens[j].literal)
                    continue;
                minutes = tokens[j].text[0] == 's';
                break;
            }
        }
        switch (code[0]) {
        case 'y':
            out += code.size() <= 2 ? twoDigits(p.year % 100) : std::to_string(p.year);
            break;
        case 'm':
            if (minutes)
                out += code.size() == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            else if (code.size() == 1)
                out += std::to_string(p.month);
            else if (code.size() == 2)
                out += twoDigits(p.month);
            else if (code.size() == 3)
                out += std::string(kMonthNames[p.month - 1]).substr(0, 3);
            else if (code.size() == 5)
                out += kMonthNames[p.month - 1][0];
            else
                out += kMonthNames[p.month - 1];
            break;
        case 'd':
            if (code.size() == 1)
                out += std::to_string(p.day);
            else if (code.size() == 2)
                out += twoDigits(p.day);
            else if (code.size() == 3)
                out += std::string(kDayNames[p.weekday]).substr(0, 3);
            else
                out += kDayNames[p.weekday];
            break;
        case 'h': {
            int hour = twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
            out += code.size() == 1 ? std::to_string(hour) : twoDigits(hour);
            break;
        }
        case 's':
            out += code.size() == 1 ? std::to_string(p.second) : twoDigits(p.second);
            break;
        case '[':
            out += std::to_string(static_cast<int64_t>(std::floor(serial)) * 24 + p.hour);
            break;
        case 'A':
            out += p.hour < 12 ? "AM" : "PM";
            break;
        default:
            out += code;
        }
    }
    return out;
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    int count = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        out.insert(out.begin(), digits[i]);
        if (++count % 3 == 0 && i > 0)
            out.insert(out.begin(), ',');
    }
    return out;
}

std::string formatNumber(double value, const std::vector<Token>& tokens, bool withSign) {
    int integerZeros = 0, decimalsMin = 0, decimalsMax = 0, percent = 0;
    bool afterPoint = false, thousands = false, exponent = false, anyPlaceholder = false;
    size_t firstCode = tokens.size(), lastCode = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.literal)
            continue;
        char c = t.text[0];
        if (c == '%') {
            ++percent;
            continue;
        }
        if (c == '@')
            continue;
        if (c == 'e') {
            exponent = true;
            continue;
        }
        if (firstCode == tokens.size())
            firstCode = i;
        lastCode = i;
        if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            thousands = true;
        } else {
            anyPlaceholder = true;
            if (afterPoint) {
                ++decimalsMax;
                if (c == '0')
                    ++decimalsMin;
            } else if (c == '0') {
                ++integerZeros;
            }
        }
    }
    std::string prefix, suffix;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string piece = tokens[i].literal       ? tokens[i].text
                                  : tokens[i].text == "%" ? "%"
                                                          : "";
        if (i < firstCode)
            prefix += piece;
        else if (i > lastCode || firstCode == tokens.size())
            suffix += piece;
    }
    double shown = std::fabs(value) * std::pow(100.0, percent);
    std::string number;
    if (!anyPlaceholder) {
        number = "";
    } else if (exponent) {
        number = scientific(shown, decimalsMin);
    } else {
        // Half away from zero, as shown digits round; printf would round to even.
        char buffer[400];
        double scale = std::pow(10.0, decimalsMax);
        std::snprintf(buffer, sizeof buffer, "%.15g", shown * scale);
        double rounded = std::round(std::strtod(buffer, nullptr)) / scale;
        std::snprintf(buffer, sizeof buffer, "%.*f", decimalsMax, rounded);
        number = buffer;
        size_t point = number.find('.');
        std::string whole = number.substr(0, point);
        std::string fraction = point == std::string::npos ? "" : number.substr(point + 1);
        while (static_cast<int>(fraction.size()) > decimalsMin && !fraction.empty() &&
               fraction.back() == '0')
            fraction.pop_back();
        if (whole == "0" && integerZeros == 0)
            whole.clear();
        while (static_cast<int>(whole.size()) < integerZeros)
            whole.insert(whole.begin(), '0');
        if (thousands)
            whole = groupThousands(whole);
        number = whole;
        if (afterPoint)
            number += "." + fraction;
    }
    bool negative = withSign && value < 0 && shown != 0;
    return (negative ? "-" : "") + prefix + number + suffix;
}

} // namespace

std::string generalNumberText(double value) {
    if (value == 0)
        return "0";
    double magnitude = std::fabs(value);
    char buffer[48];
    if (magnitude < 1e11 && magnitude >= 1e-9) {
        // Fixed form, as many decimals as fit in the width.
        for (int decimals = 10; decimals >= 0; --decimals) {
            std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
            std::string text = trimZeros(buffer);
            if (text.size() <= kGeneralWidth && text != "0" && text != "-0")
                return text;
        }
    }
    for (int decimals = 5; decimals >= 0; --decimals) {
        std::snprintf(buffer, sizeof buffer, "%.*E", decimals, value);
        std::string text = trimZeros(buffer);
        if (text.size() <= kGeneralWidth)
            return text;
    }
    return buffer;
}

std::string displayText(const CellValue& value, const std::string& numberFormat) {
    switch (value.kind) {
    case ValueKind::Empty:
        return {};
    case ValueKind::Boolean:
        return value.boolean ? "TRUE" : "FALSE";
    case ValueKind::Error:
        return errorText(value.error);
    case ValueKind::Text: {
        std::vector<std::string> parts = sections(numberFormat);
        const std::string* section = nullptr;
        if (parts.size() >= 4)
            section = &parts[3];
        else if (parts[0].find('@') != std::string::npos)
            section = &parts[0];
        if (!section)
            return value.text;
        std::string out;
        for (const Token& t : tokenize(*section))
            out += t.literal ? t.text : (t.text == "@" ? value.text : "");
        return out;
    }
    case ValueKind::Number:
        break;
    }
    double number = value.number;
    std::vector<std::string> parts = sections(numberFormat);
    size_t index = 0;
    bool withSign = true;
    if (number < 0 && parts.size() >= 2) {
        index = 1;
        withSign = false;
    } else if (number == 0 && parts.size() >= 3) {
        index = 2;
    }
    const std::string& section = parts[index];
    if (section.empty() || equalsIgnoringCase(section, "General")) {
        std::string text = generalNumberText(withSign ? number : std::fabs(number));
        return text;
    }
    std::vector<Token> tokens = tokenize(section);
    bool date = false;
    for (const Token& t : tokens)
        date |= !t.literal && isDateCode(t.text);
    if (date)
        return formatDate(number, tokens);
    return formatNumber(number, tokens, withSign);
}

} // namespace spreadsheet
