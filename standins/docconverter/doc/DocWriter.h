#pragma once

#include "DocReader.h"
#include "TextDocument.h"

#include <cstdint>
#include <vector>

namespace docconv {

// Writes a Word 97-2003 binary document holding the paragraphs, runs and table
// rows of `document`.  Table paragraphs that do not make whole rows are written
// as body paragraphs.  Throws DocumentError (Cancelled) when asked to stop.
std::vector<uint8_t> writeWordDocument(const TextDocument& document,
                                       const ProgressSink& progress = {});

} // namespace docconv
