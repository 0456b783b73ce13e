#pragma once

#include "DocReader.h"

#include <cstdint>
#include <span>
#include <vector>

// The two conversions of the stand-in, file bytes to file bytes.  Both throw
// DocumentError; the progress sink sees 0 to 100 over the whole conversion.
namespace docconv {

// Word 97-2003 document to handheld document.
std::vector<uint8_t> wordToHandheld(std::span<const uint8_t> word, const ProgressSink& progress);
// Handheld document to Word 97-2003 document.
std::vector<uint8_t> handheldToWord(std::span<const uint8_t> handheld,
                                    const ProgressSink& progress);

} // namespace docconv
