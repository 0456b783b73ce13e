#include "DeviceNameCodec.h"

namespace quire::sync {

namespace {

constexpr std::wstring_view kEscapedCharacters = L":*\"/\\<>|";
constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

int HexValue(wchar_t digit) {
    if (digit >= L'0' && digit <= L'9') {
        return digit - L'0';
    }
    if (digit >= L'A' && digit <= L'F') {
        return digit - L'A' + 10;
    }
    if (digit >= L'a' && digit <= L'f') {
        return digit - L'a' + 10;
    }
    return -1;
}

wchar_t FoldCase(wchar_t character) {
    // The extensions that matter are ASCII; other letters compare as they are.
    return character >= L'A' && character <= L'Z' ? static_cast<wchar_t>(character - L'A' + L'a')
                                                  : character;
}

bool EqualWithoutCase(std::wstring_view left, std::wstring_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (size_t index = 0; index < left.size(); ++index) {
        if (FoldCase(left[index]) != FoldCase(right[index])) {
            return false;
        }
    }
    return true;
}

std::optional<std::wstring_view> ExtensionOf(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos) {
        return std::nullopt;
    }
    return name.substr(dot);
}

std::wstring ReplaceExtension(std::wstring_view name, std::wstring_view from1,
                              std::wstring_view to1, std::wstring_view from2,
                              std::wstring_view to2) {
    const std::optional<std::wstring_view> extension = ExtensionOf(name);
    std::wstring result(name);
    if (!extension) {
        return result;
    }
    const size_t dot = name.size() - extension->size();
    if (EqualWithoutCase(*extension, from1)) {
        result.replace(dot, std::wstring::npos, to1);
    } else if (EqualWithoutCase(*extension, from2)) {
        result.replace(dot, std::wstring::npos, to2);
    }
    return result;
}

} // namespace

bool IsEscapedInPcNames(wchar_t character) {
    return character < 32 || kEscapedCharacters.find(character) != std::wstring_view::npos;
}

std::wstring EncodeDeviceName(std::wstring_view handheldName) {
    std::wstring result;
    result.reserve(handheldName.size());
    for (const wchar_t character : handheldName) {
        if (!IsEscapedInPcNames(character)) {
            result += character;
            continue;
        }
        const unsigned low = static_cast<unsigned>(character) & 0xFFu;
        result += L'=';
        result += kHexDigits[low >> 4];
        result += kHexDigits[low & 0xFu];
    }
    return result;
}

std::wstring DecodeDeviceName(std::wstring_view pcName) {
    std::wstring result;
    result.reserve(pcName.size());
    for (size_t index = 0; index < pcName.size(); ++index) {
        if (pcName[index] == L'=' && index + 2 < pcName.size()) {
            const int high = HexValue(pcName[index + 1]);
            const int low = HexValue(pcName[index + 2]);
            if (high >= 0 && low >= 0) {
                result += static_cast<wchar_t>(high * 16 + low);
                index += 2;
                continue;
            }
        }
        result += pcName[index];
    }
    return result;
}

bool HasIllegalCharacter(std::wstring_view name) {
    return name.find(L'?') != std::wstring_view::npos;
}

std::wstring HandheldNameOfPcName(std::wstring_view pcName) {
    return ReplaceExtension(pcName, L".xls", L".shf", L".doc", L".pgd");
}

std::wstring PcNameOfHandheldName(std::wstring_view handheldName) {
    return ReplaceExtension(handheldName, L".shf", L".xls", L".pgd", L".doc");
}

std::wstring_view NamePart(std::wstring_view path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

bool ExtensionsDiffer(std::wstring_view from, std::wstring_view to) {
    const std::optional<std::wstring_view> first = ExtensionOf(NamePart(from));
    const std::optional<std::wstring_view> second = ExtensionOf(NamePart(to));
    if (!first || !second) {
        return first.has_value() != second.has_value();
    }
    return !EqualWithoutCase(*first, *second);
}

std::optional<uint32_t> ParseSizeText(std::wstring_view text) {
    uint64_t value = 0;
    for (const wchar_t digit : text) {
        if (digit < L'0' || digit > L'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(digit - L'0');
        if (value > UINT32_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

} // namespace quire::sync
