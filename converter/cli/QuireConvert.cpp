// quire-convert: converts workbooks to handheld spreadsheets and back through
// SheafConv.dll, loaded from this program's own folder.
//
//   quire-convert export Book1.xls Book1.shf [more pairs...]
//   quire-convert import Book1.shf Book1.xls [more pairs...]
#include "ConverterInterface.h"
#include "base/LibraryBinding.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

enum ExitCode { Success = 0, UsageError = 1, LibraryMissing = 2, ConversionFailed = 3 };

struct Library {
    quire::ModuleHandle module;
    DeviceExportFunction deviceExport = nullptr;
    DeviceImportFunction deviceImport = nullptr;
    GetLastErrorStringFunction lastErrorString = nullptr;
};

// Empty when the program's full path cannot be had: the library is then not
// loaded at all, rather than looked up from the current folder.
std::string folderOfThisProgram() {
    constexpr DWORD kLongestPath = 32768;
    std::string path(kLongestPath, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), kLongestPath);
    if (length == 0 || length >= kLongestPath) {
        return {};
    }
    path.resize(length);
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool loadLibrary(Library& library) {
    const std::string folder = folderOfThisProgram();
    if (folder.empty()) {
        std::fprintf(stderr, "quire-convert: cannot find this program's own folder\n");
        return false;
    }
    const std::string path = folder + "\\SheafConv.dll";
    library.module.reset(LoadLibraryA(path.c_str()));
    if (!library.module) {
        std::fprintf(stderr, "quire-convert: cannot load %s (error %lu)\n", path.c_str(),
                     GetLastError());
        return false;
    }
    HMODULE module = library.module.get();
    if (!quire::ResolveEntryPoint(module, "DeviceExport", library.deviceExport) ||
        !quire::ResolveEntryPoint(module, "DeviceImport", library.deviceImport) ||
        !quire::ResolveEntryPoint(module, "GetLastErrorString", library.lastErrorString)) {
        std::fprintf(stderr, "quire-convert: %s lacks the converter entry points\n", path.c_str());
        return false;
    }
    return true;
}

// One line redrawn in place: a bar, the position and the latest text, on a
// console only.  Redirected, the bar would fill the file with redrawn lines,
// and under Wine a write to a character device such as /dev/null costs a
// millisecond or more and a redraw on a terminal tens of milliseconds: so the
// line is drawn at most twice a second.
struct ProgressLine {
    bool onConsole = false;
    bool drawn = false;
    ULONGLONG drawnAt = 0;
};

// The library passes its callback no context of ours: one line per process,
// made anew for each conversion.
ProgressLine& progressLine() {
    static ProgressLine line;
    return line;
}

int32_t __stdcall showProgress(int32_t position, const char* text, void*) {
    ProgressLine& line = progressLine();
    const ULONGLONG now = GetTickCount64();
    if (!line.onConsole || (line.drawn && now - line.drawnAt < 500)) {
        return 1;
    }
    line.drawn = true;
    line.drawnAt = now;
    constexpr int kWidth = 30;
    const int filled = position < 0 ? 0 : position > 100 ? kWidth : position * kWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r[%s] %3d%% %-50.50s", bar.c_str(), static_cast<int>(position),
                 text ? text : "");
    std::fflush(stderr);
    return 1;
}

std::string fullPath(const char* path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : std::string(path);
}

bool convertOne(const Library& library, bool exporting, const char* source, const char* target) {
    std::fprintf(stderr, "%s -> %s\n", source, target);
    const std::string from = fullPath(source);
    const std::string to = fullPath(target);
    DWORD mode = 0;
    progressLine() = ProgressLine{GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE};
    const int result = exporting
                           ? library.deviceExport(from.c_str(), to.c_str(), showProgress, nullptr)
                           : library.deviceImport(from.c_str(), to.c_str(), showProgress, nullptr);
    if (progressLine().drawn) {
        std::fputc('\n', stderr);
    }
    if (result >= 0) {
        return true;
    }
    char text[1024] = "";
    library.lastErrorString(text, sizeof text);
    std::fprintf(stderr, "quire-convert: %s failed with %d (0x%08X): %s\n", source, result,
                 static_cast<unsigned>(result), text);
    return false;
}

int usage() {
    std::fprintf(stderr, "usage: quire-convert export WORKBOOK.xls TARGET.shf [...]\n"
                         "       quire-convert import SOURCE.shf WORKBOOK.xls [...]\n");
    return UsageError;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (argc - 2) % 2 != 0) {
        return usage();
    }
    const bool exporting = std::strcmp(argv[1], "export") == 0;
    if (!exporting && std::strcmp(argv[1], "import") != 0) {
        return usage();
    }
    Library library;
    if (!loadLibrary(library)) {
        return LibraryMissing;
    }
    int failures = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        failures += convertOne(library, exporting, argv[i], argv[i + 1]) ? 0 : 1;
    }
    return failures == 0 ? Success : ConversionFailed;
}
