#pragma once

// The scripted state of the skylink.dll test double, shared between the double
// and the tests through FakeSkylinkControl.  Fixed arrays only: the double and
// the test program each have their own heap.

#include <cstdint>

struct FakeSkylinkEntry {
    char name[400];
    uint32_t size;
    int32_t kind;
};

struct FakeSkylinkState {
    // Results: each call fails while its count of failures left is above 0.
    int connectFailures;
    int listFailures;
    int getFailures;
    int sendFailures;
    int deleteFailures;
    // Error text, or none: then _wsGetLastError@8 returns 0.
    char lastError[260];
    bool hasLastError;

    FakeSkylinkEntry entries[16];
    int entryCount;
    // Bytes reported through the transfer callback during each copy.
    uint32_t progress[8];
    int progressCount;
    // What each transfer callback returned, in order, across calls.
    int callbackResults[32];
    int callbackCount;

    // What the double was given.
    char connectServer[300];
    char connectUser[300];
    char connectPassword[300];
    char listedFolder[300];
    char remotePath[300];
    wchar_t pcPath[300];
    // Calls in order, one letter each: C connect, D disconnect, L list, G get,
    // S send, X delete, E last error.
    char calls[256];
};

extern "C" typedef FakeSkylinkState*(__stdcall* FakeSkylinkControlFunction)();
