#pragma once

#include "TextDocument.h"

#include <cstdint>
#include <functional>
#include <span>

namespace docconv {

// Reports the share of the work done, 0 to 100; false asks to stop.
using ProgressSink = std::function<bool(int percent)>;

// Reads the main text of a Word 97-2003 binary document: paragraphs, table
// cells, fields' results, and bold, italic and underline runs.  Throws
// DocumentError for files that are not such documents, are encrypted or damaged,
// and when the progress sink asks to stop.
TextDocument readWordDocument(std::span<const uint8_t> bytes, const ProgressSink& progress = {});

} // namespace docconv
