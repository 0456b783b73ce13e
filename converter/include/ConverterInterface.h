#pragma once

// The entry points shared by every document converter library.  Paths and texts
// are zero-terminated strings in the system ANSI code page; every function uses
// the callee-pops convention and is exported under its plain name.

#include <cstdint>

#ifdef _WIN32
#define SHEAF_CALL __stdcall
#else
#define SHEAF_CALL
#endif

extern "C" {

// Progress report: position 0 to 100, an optional text, a reserved pointer that
// is always null.  A result of 0 asks the converter to stop.
typedef int32_t(SHEAF_CALL* ProgressCallback)(int32_t position, const char* text, void* reserved);

// Handheld document to PC document.  The last argument is the caller's context,
// passed through untouched.
int SHEAF_CALL DeviceImport(const char* sourcePath, const char* destinationPath,
                            ProgressCallback callback, void* reserved);
// PC document to handheld document.
int SHEAF_CALL DeviceExport(const char* sourcePath, const char* destinationPath,
                            ProgressCallback callback, void* reserved);
// Copies at most size - 1 bytes of the last failure's text, adds a NUL and
// returns the count; size is at least 1.
int SHEAF_CALL GetLastErrorString(char* buffer, int size);

typedef int(SHEAF_CALL* DeviceImportFunction)(const char*, const char*, ProgressCallback, void*);
typedef int(SHEAF_CALL* DeviceExportFunction)(const char*, const char*, ProgressCallback, void*);
typedef int(SHEAF_CALL* GetLastErrorStringFunction)(char*, int);

} // extern "C"
