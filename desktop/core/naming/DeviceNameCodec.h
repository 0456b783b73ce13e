#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Handheld document names and the PC file names that hold them.  A handheld
// name may hold characters that a PC file name cannot: those are kept in the
// PC name as "=" and two upper-case hexadecimal digits of the character's low
// byte.  "=" itself is never escaped, so decoding is lenient: only a "=" that
// is followed by two hexadecimal digits is read as an escape.
namespace quire::sync {

bool IsEscapedInPcNames(wchar_t character);
std::wstring EncodeDeviceName(std::wstring_view handheldName);
std::wstring DecodeDeviceName(std::wstring_view pcName);

// "?" has no escape: a name holding it crosses in neither direction.
bool HasIllegalCharacter(std::wstring_view name);

// The extension the other side gives a document: ".xls" and ".doc" on the PC
// become ".shf" and ".pgd" on the handheld, and back.  Other names keep theirs.
std::wstring HandheldNameOfPcName(std::wstring_view pcName);
std::wstring PcNameOfHandheldName(std::wstring_view handheldName);

// The part of a path after its last "\\" or "/".
std::wstring_view NamePart(std::wstring_view path);

// Whether a rename from one name to the other changes the extension (the text
// from the last "." of the part after the last "\" or "/"): one has an
// extension and the other none, or both have one and they differ without case.
bool ExtensionsDiffer(std::wstring_view from, std::wstring_view to);

// A "Size" column text: its whole unsigned 32-bit value, 0 when empty; nothing
// when it is not a decimal number of that range.
std::optional<uint32_t> ParseSizeText(std::wstring_view text);

} // namespace quire::sync
