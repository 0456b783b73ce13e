#pragma once

#include "SheafDocument.h"

#include <cstdint>

// Saving and loading ".shf" files.  Paths are ANSI, as everywhere in the
// converter library.
namespace sheaf {

// Writes the document to a temporary file beside the destination and puts it
// in place only once it is complete, so a failed save leaves whatever stood at
// the path untouched and no partial file.  Result: kResultOk,
// kResultFileNotFound when the file cannot be created or replaced, or
// kResultWriteFault.
int32_t saveDocument(const SheafDocument& document, const char* path);

// Result: kResultOk, kResultFileNotFound, kResultReadFault or
// kResultOutOfMemory; the document is empty after any failure.
int32_t loadDocument(SheafDocument& document, const char* path);

} // namespace sheaf
