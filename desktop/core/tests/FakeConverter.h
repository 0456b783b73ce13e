#pragma once

// The scripted state of the converter test double, shared with the tests
// through FakeConverterControl.

#include <cstdint>

struct FakeConverterState {
    // Returned by both conversions.
    int32_t result;
    // Reported in order through the callback before returning.
    int32_t progress[8];
    int progressCount;
    // Returned by GetLastErrorString.
    char lastError[1100];

    // What the double was given.
    char source[300];
    char destination[300];
    uintptr_t context;
    int imports;
    int exports;
};

extern "C" typedef FakeConverterState*(__stdcall* FakeConverterControlFunction)();
