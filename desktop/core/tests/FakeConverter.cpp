// Converter library test double: scripted result codes, progress and error text.
// On success it writes the destination file.

#include "FakeConverter.h"

#include "ConverterInterface.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

FakeConverterState state;

int Convert(const char* source, const char* destination, ProgressCallback callback, void* context) {
    strncpy(state.source, source, sizeof state.source - 1);
    strncpy(state.destination, destination, sizeof state.destination - 1);
    state.context = reinterpret_cast<uintptr_t>(context);
    for (int i = 0; i < state.progressCount; ++i) {
        if (callback != nullptr && callback(state.progress[i], "step", nullptr) == 0) {
            return -9000;
        }
    }
    if (state.result >= 0) {
        HANDLE file =
            CreateFileA(destination, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return -10000;
        }
        DWORD written = 0;
        WriteFile(file, "converted", 9, &written, nullptr);
        CloseHandle(file);
    }
    return state.result;
}

} // namespace

extern "C" {

int __stdcall DeviceImport(const char* source, const char* destination, ProgressCallback callback,
                           void* reserved) {
    ++state.imports;
    return Convert(source, destination, callback, reserved);
}

int __stdcall DeviceExport(const char* source, const char* destination, ProgressCallback callback,
                           void* reserved) {
    ++state.exports;
    return Convert(source, destination, callback, reserved);
}

int __stdcall GetLastErrorString(char* buffer, int size) {
    const int count = std::min({size - 1, 1023, static_cast<int>(strlen(state.lastError))});
    memcpy(buffer, state.lastError, static_cast<size_t>(count));
    buffer[count] = '\0';
    return count;
}

FakeConverterState* __stdcall FakeConverterControl() {
    return &state;
}

} // extern "C"
