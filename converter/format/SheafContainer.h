#pragma once

#include "ByteStream.h"
#include "SheafDocument.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The ".shf" container: the magic "jlc0", a record count and length-prefixed
// records, its own integers little-endian.
namespace sheaf {

inline constexpr std::array<uint8_t, 4> kSheafMagic = {0x6A, 0x6C, 0x63, 0x30};

// kResultOk or kResultWriteFault.
int32_t encodeDocument(const SheafDocument& document, ByteSink& sink);

// kResultOk, kResultReadFault (bad magic, short count, a record the input holds
// only in part) or kResultOutOfMemory.  The document is cleared first and again
// after any failure.  A count of 0 or less gives an empty document.
int32_t decodeDocument(ByteSource& source, SheafDocument& document);

uint64_t encodedSize(const SheafDocument& document);
std::vector<uint8_t> encodeDocument(const SheafDocument& document);
int32_t decodeDocument(std::span<const uint8_t> bytes, SheafDocument& document);

} // namespace sheaf
