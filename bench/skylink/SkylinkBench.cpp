// Sends a PC file to the server and fetches it back through the library,
// printing the seconds each way.
// Usage: skylink_bench <skylink.dll> <url> <user> <password> <pc file> <pc copy> <remote path>
#include "Skylink.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdio>

namespace {

int __stdcall keepGoing(DWORD) {
    return 1;
}

double seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

template <typename Function> Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(GetProcAddress(module, name));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: skylink_bench <dll> <url> <user> <password> <pc file> "
                             "<pc copy> <remote path>\n");
        return 2;
    }
    quire::ModuleHandle library(LoadLibraryW(argv[1]));
    if (!library) {
        std::fprintf(stderr, "cannot load the library\n");
        return 1;
    }
    const auto connect = entry<decltype(&wsConnect)>(library.get(), "_wsConnect@12");
    const auto sendFile = entry<decltype(&wsSendFile)>(library.get(), "_wsSendFile@12");
    const auto getFile = entry<decltype(&wsGetFile)>(library.get(), "_wsGetFile@12");
    const auto lastError = entry<decltype(&wsGetLastError)>(library.get(), "_wsGetLastError@8");
    const auto disconnect = entry<decltype(&wsDisconnect)>(library.get(), "_wsDisconnect@0");
    if (!connect || !sendFile || !getFile || !lastError || !disconnect) {
        std::fprintf(stderr, "entry points missing\n");
        return 1;
    }
    char text[3][260];
    for (int i = 0; i < 3; ++i) {
        WideCharToMultiByte(i == 2 ? CP_UTF8 : CP_ACP, 0, argv[i == 2 ? 7 : 2 + i], -1, text[i],
                            260, nullptr, nullptr);
    }
    char password[260];
    WideCharToMultiByte(CP_ACP, 0, argv[4], -1, password, 260, nullptr, nullptr);
    char error[260] = "";
    if (!connect(text[0], text[1], password)) {
        lastError(error, sizeof(error));
        std::fprintf(stderr, "connect failed: %s\n", error);
        return 1;
    }
    LARGE_INTEGER start;
    LARGE_INTEGER sent;
    LARGE_INTEGER fetched;
    QueryPerformanceCounter(&start);
    const int sendOk = sendFile(argv[5], text[2], keepGoing);
    QueryPerformanceCounter(&sent);
    const int getOk = sendOk && getFile(text[2], argv[6], keepGoing);
    QueryPerformanceCounter(&fetched);
    if (!sendOk || !getOk) {
        lastError(error, sizeof(error));
        std::fprintf(stderr, "transfer failed: %s\n", error);
        return 1;
    }
    std::printf("put %.4f\nget %.4f\n", seconds(start, sent), seconds(sent, fetched));
    disconnect();
    return 0;
}
