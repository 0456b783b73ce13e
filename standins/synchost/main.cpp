// synchost: plays the synchronisation host for one add-in and keeps a
// simulated handheld's "Quire" database in a folder.
//
//   synchost put <db> <file> <handheld path>   put a file onto the handheld
//   synchost mkdir <db> <handheld path>        make a folder on the handheld
//   synchost list <db>                         list the handheld's documents
//   synchost get <db> <handheld path> <file>   copy a document back out
//   synchost sync <db> [--addin <dll>] [--user-root <key>] [--tables A,B]
//       run one synchronisation; --addin loads that library instead of the
//       registered class, --user-root stands a key of HKEY_CURRENT_USER in
//       for the whole of HKEY_CURRENT_USER, --tables offers these tables,
//       --fail Item:2,AddRecord:1 makes those host calls fail (the second
//       record read, the first record added), --timings <file> writes there
//       the seconds of the add-in's Process call and of the database's
//       loading and saving, and the process's peak working set in bytes.
#include "HandheldDatabase.h"
#include "SyncSession.h"
#include "com/ComError.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace quire;
using namespace quire::synchost;

namespace {

std::string utf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), length, nullptr, nullptr);
    return out;
}

std::string timeText(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    return text;
}

bool readFile(const std::wstring& path, Bytes& bytes, FILETIME& written) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    if (!file) {
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    GetFileTime(file.get(), nullptr, nullptr, &written);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size());
}

bool writeFile(const std::wstring& path, const Bytes& bytes) {
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    return file && (bytes.empty() || (WriteFile(file.get(), bytes.data(),
                                                static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                                      put == bytes.size()));
}

// Adds folder documents for every folder above `path` that the handheld lacks.
void addParentFolders(HandheldDatabase& handheld, const std::string& path,
                      const std::string& time) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (!handheld.find(folder)) {
            Document document;
            splitPath(folder, document.name, document.parent);
            document.size = -1;
            document.time = time;
            handheld.put(document);
        }
    }
}

int put(HandheldDatabase& handheld, const std::wstring& file, const std::string& path) {
    Document document;
    FILETIME written{};
    if (!readFile(file, document.content, written)) {
        std::fprintf(stderr, "synchost: cannot read %s\n", utf8(file).c_str());
        return 1;
    }
    splitPath(path, document.name, document.parent);
    document.size = static_cast<int32_t>(document.content.size());
    document.time = timeText(written);
    // An edit on the handheld keeps the record's id; only the id replaces.
    if (const std::optional<Document> existing = handheld.find(path)) {
        document.id = existing->id;
        document.changed = true;
    }
    addParentFolders(handheld, path, document.time);
    int32_t id = handheld.put(std::move(document));
    std::printf("put %s as id %d\n", path.c_str(), id);
    return handheld.save() ? 0 : 1;
}

int makeFolder(HandheldDatabase& handheld, const std::string& path) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    addParentFolders(handheld, path + "/", timeText(now));
    std::printf("folder %s\n", path.c_str());
    return handheld.save() ? 0 : 1;
}

int list(const HandheldDatabase& handheld) {
    for (const Document& document : handheld.documents()) {
        std::printf("%d\t%s\t%d\t%s\t%s\n", document.id, document.changed ? "changed" : "-",
                    document.size, document.time.c_str(), document.path().c_str());
    }
    return 0;
}

int get(const HandheldDatabase& handheld, const std::string& path, const std::wstring& file) {
    auto document = handheld.find(path);
    if (!document || document->size < 0) {
        std::fprintf(stderr, "synchost: no document %s\n", path.c_str());
        return 1;
    }
    return writeFile(file, document->content) ? 0 : 1;
}

std::vector<std::wstring> splitList(const std::wstring& text) {
    std::vector<std::wstring> items;
    size_t start = 0;
    for (size_t comma = text.find(L',');; comma = text.find(L',', start)) {
        items.push_back(text.substr(start, comma - start));
        if (comma == std::wstring::npos) {
            break;
        }
        start = comma + 1;
    }
    return items;
}

// Lets the add-in's per-user settings live under a scratch key.
bool overrideCurrentUser(const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status = RegOverridePredefKey(HKEY_CURRENT_USER, key);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What a benchmark reads back: the pass itself apart from the host's own work.
void writeTimings(const std::wstring& path, double load, const SessionResult& result, double save) {
    FILE* file = _wfopen(path.c_str(), L"w");
    if (!file) {
        return;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::fprintf(file, "load %.6f\nprocess %.6f\nsave %.6f\npeak %zu\n", load,
                 result.processSeconds, save, static_cast<size_t>(memory.PeakWorkingSetSize));
    std::fclose(file);
}

int sync(HandheldDatabase& handheld, double loadSeconds, const std::vector<std::wstring>& options) {
    std::wstring addinPath;
    std::wstring timingsPath;
    std::vector<std::wstring> tables;
    FaultsPtr faults;
    for (size_t i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == L"--addin") {
            addinPath = options[i + 1];
        } else if (options[i] == L"--user-root") {
            if (!overrideCurrentUser(options[i + 1])) {
                std::fprintf(stderr, "synchost: cannot use the user root\n");
                return 1;
            }
        } else if (options[i] == L"--timings") {
            timingsPath = options[i + 1];
        } else if (options[i] == L"--tables") {
            tables = splitList(options[i + 1]);
        } else if (options[i] == L"--fail") {
            faults = std::make_shared<HostFaults>();
            if (!faults->parse(utf8(options[i + 1]))) {
                std::fprintf(stderr, "synchost: --fail takes Call:N[,Call:N...]\n");
                return 2;
            }
        }
    }
    SessionResult result;
    {
        LoadedAddin addin = createAddin(addinPath);
        result = runSession(handheld, addin.extension.get(), tables, faults);
    }
    for (const std::wstring& table : result.offered) {
        std::printf("offered table %s\n", utf8(table).c_str());
    }
    std::printf("offered %u records\n", static_cast<unsigned>(handheld.records().size()));
    std::printf("process result 0x%08lx\n", static_cast<unsigned long>(result.process));
    for (const Document& document : result.received) {
        std::printf("to handheld: %s (%d bytes)\n", document.path().c_str(), document.size);
    }
    const Clock::time_point saving = Clock::now();
    handheld.putAll(std::move(result.received));
    handheld.clearChanged();
    const bool saved = handheld.save();
    if (!timingsPath.empty()) {
        writeTimings(timingsPath, loadSeconds, result, secondsSince(saving));
    }
    return saved ? 0 : 1;
}

int run(const std::vector<std::wstring>& args) {
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: synchost put|mkdir|list|get|sync <db> ...\n");
        return 2;
    }
    HandheldDatabase handheld(args[2]);
    const Clock::time_point loading = Clock::now();
    if (!handheld.load()) {
        std::fprintf(stderr, "synchost: the handheld database is damaged\n");
        return 1;
    }
    const std::wstring& command = args[1];
    if (command == L"put" && args.size() == 5) {
        return put(handheld, args[3], utf8(args[4]));
    }
    if (command == L"mkdir" && args.size() == 4) {
        return makeFolder(handheld, utf8(args[3]));
    }
    if (command == L"list") {
        return list(handheld);
    }
    if (command == L"get" && args.size() == 5) {
        return get(handheld, utf8(args[3]), args[4]);
    }
    if (command == L"sync") {
        return sync(handheld, secondsSince(loading),
                    std::vector<std::wstring>(args.begin() + 3, args.end()));
    }
    std::fprintf(stderr, "synchost: unknown command\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 1;
    try {
        code = run(std::vector<std::wstring>(argv, argv + argc));
    } catch (const com::ComError& error) {
        std::fprintf(stderr, "synchost: COM error 0x%08lx %s\n",
                     static_cast<unsigned long>(error.code()), utf8(error.description()).c_str());
    }
    CoUninitialize();
    return code;
}
