#pragma once

// The spreadsheet converter library: the converter entry points shared by every
// converter library, and the two conversions between a ".shf" file and a
// workbook that the caller already has open in the spreadsheet application.

#include "ConverterInterface.h"

#include <oaidl.h>

extern "C" {

// The caller has initialised COM on this thread.  Results: 0, a file code of
// the ".shf" format, -9000 cancelled, -3000 short data, -10000 with the
// application's description in the last error text, or a failure status.
int SHEAF_CALL Sheaf_ExportTo(IDispatch* workbook, const char* sheafPath, ProgressCallback callback,
                              void* reserved);
int SHEAF_CALL Sheaf_ImportFrom(const char* sheafPath, IDispatch* workbook,
                                ProgressCallback callback, void* reserved);

} // extern "C"
