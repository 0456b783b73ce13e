#pragma once

#include "ConverterInterface.h"
#include "ConverterTable.h"
#include "SharedState.h"

namespace quire::sync {

// The conversion steps of the transfer worker on the current step: the first path
// is converted into the second.  Failures are shown to the user here (unless the
// transfer was cancelled); the result is 1 on success, 0 otherwise.
int ConvertToPc(const ConverterTable& converters, DocumentKind kind, const TransferStep& step);
int ConvertToHandheld(const ConverterTable& converters, DocumentKind kind,
                      const TransferStep& step);

// The progress callbacks handed to the converters.  They report to the dialog of
// the current step and return the ContinueFlag.  The import callback keeps the
// bar below 100 until the document has been saved.
int32_t SHEAF_CALL ImportProgress(int32_t code, const char* text, void* reserved) noexcept;
int32_t SHEAF_CALL ExportProgress(int32_t code, const char* text, void* reserved) noexcept;

// Progress codes with a meaning of their own.
inline constexpr int32_t PROGRESS_CONVERTED = 100;
inline constexpr int32_t PROGRESS_SAVING = 104;
inline constexpr int32_t PROGRESS_IMPORT_DONE = 105;

} // namespace quire::sync
