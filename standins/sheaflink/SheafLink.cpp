// Stand-in for the device-link library that other components load into the
// desktop program's process.  Its capability word comes from the environment
// variable SHEAFLINK_CAPABILITIES (decimal, or hexadecimal with 0x) or from
// SheafLinkSetCapabilitiesWord; the contexts handed back are recorded in order,
// and appended one per line to the file named by SHEAFLINK_CLEANUP_LOG when set.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr DWORD kUnset = 0xFFFFFFFF;

DWORD configuredWord = kUnset;
std::vector<DWORD> cleanedContexts;

DWORD WordFromEnvironment() {
    wchar_t text[32] = {};
    const DWORD length = GetEnvironmentVariableW(L"SHEAFLINK_CAPABILITIES", text, 32);
    if (length == 0 || length >= 32) {
        return 0;
    }
    return static_cast<DWORD>(wcstoul(text, nullptr, 0));
}

void AppendToLog(DWORD context) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"SHEAFLINK_CLEANUP_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    if (FILE* log = _wfopen(path, L"a")) {
        fprintf(log, "%lu\n", static_cast<unsigned long>(context));
        fclose(log);
    }
}

} // namespace

extern "C" {

DWORD __stdcall GetCapabilitiesWord() {
    return configuredWord != kUnset ? configuredWord : WordFromEnvironment();
}

void __stdcall CleanUpContext(DWORD context) {
    cleanedContexts.push_back(context);
    AppendToLog(context);
}

void __stdcall SheafLinkSetCapabilitiesWord(DWORD word) {
    configuredWord = word;
}

DWORD __stdcall SheafLinkCleanedContextCount() {
    return static_cast<DWORD>(cleanedContexts.size());
}

DWORD __stdcall SheafLinkCleanedContext(DWORD index) {
    return index < cleanedContexts.size() ? cleanedContexts[index] : 0;
}

} // extern "C"
