// Times one synchronisation through the host stand-in and the add-in against a
// plain copy of the same files, in both directions.
//
//   synch_bench <scratch folder> <synchost.exe> <QuireAddin.dll> [files] [total MB]
//               [microseconds of a log line without Wine]
//
// The add-in is the bench's build of it, whose log times its own lines.
#include "HandheldDatabase.h"
#include "base/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace quire;
using namespace quire::synchost;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<uint8_t> content(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

bool writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    return file &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find.get(), &data));
    }
    RemoveDirectoryW(folder.c_str());
}

size_t countFiles(const std::wstring& folder) {
    size_t count = 0;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        } while (FindNextFileW(find.get(), &data));
    }
    return count;
}

double plainCopy(const std::wstring& from, const std::wstring& to, size_t files) {
    removeTree(to);
    CreateDirectoryW(to.c_str(), nullptr);
    Clock::time_point start = Clock::now();
    for (size_t i = 0; i < files; ++i) {
        std::wstring name = L"\\doc" + std::to_wstring(i) + L".txt";
        CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE);
    }
    return secondsSince(start);
}

double runSynchost(const std::wstring& command, const std::wstring& folder) {
    std::wstring line = command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Clock::time_point start = Clock::now();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double seconds = secondsSince(start);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? seconds : -1;
}

void setSyncFolder(const std::wstring& userRoot, const std::wstring& folder) {
    std::wstring key = userRoot + L"\\SOFTWARE\\Halvorn\\QuireSync";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"local synch folder", REG_SZ, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"last synch date");
}

// The last run as the host and the bench's build of the add-in account for
// it: the add-in's Process call, the loading and saving of the database and
// the log's lines inside the pass, in seconds, and the peak memory.
struct PassTimings {
    double load = -1;
    double process = -1;
    double save = -1;
    double peak = 0; // the process's peak working set, bytes
    double log = -1;
    double lines = 0;
};

// Adds the "name value" lines of a timings file to `timings`, then deletes it.
void readTimings(const std::wstring& path, PassTimings& timings) {
    FILE* file = _wfopen(path.c_str(), L"r");
    if (!file) {
        return;
    }
    char name[16];
    double seconds = 0;
    while (std::fscanf(file, "%15s %lf", name, &seconds) == 2) {
        const std::string key = name;
        if (key == "load") {
            timings.load = seconds;
        } else if (key == "process") {
            timings.process = seconds;
        } else if (key == "save") {
            timings.save = seconds;
        } else if (key == "peak") {
            timings.peak = seconds;
        } else if (key == "log") {
            timings.log = seconds;
        } else if (key == "lines") {
            timings.lines = seconds;
        }
    }
    std::fclose(file);
    DeleteFileW(path.c_str());
}

PassTimings readPassTimings(const std::wstring& hostFile, const std::wstring& logFile) {
    PassTimings timings;
    readTimings(hostFile, timings);
    readTimings(logFile, timings);
    return timings;
}

void report(const char* what, double synch, double copy) {
    std::printf("%-28s synchronisation %7.2f s   plain copy %7.2f s   ratio %6.2f\n", what, synch,
                copy, copy > 0 ? synch / copy : 0.0);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: synch_bench <scratch> <synchost.exe> <metered QuireAddin.dll> [files] "
                     "[MB] [native us a line]\n");
        return 2;
    }
    const std::wstring scratch = argv[1];
    const std::wstring synchost = argv[2];
    const std::wstring addin = argv[3];
    const size_t files = argc > 4 ? std::wcstoul(argv[4], nullptr, 10) : 1000;
    const size_t totalBytes = (argc > 5 ? std::wcstoul(argv[5], nullptr, 10) : 200) << 20;
    const double nativeLine = argc > 6 ? std::wcstod(argv[6], nullptr) / 1e6 : 0;
    const std::wstring userRoot = L"Software\\QuireSynchBench";

    removeTree(scratch);
    CreateDirectoryW(scratch.c_str(), nullptr);
    const std::wstring source = scratch + L"\\source";
    CreateDirectoryW(source.c_str(), nullptr);

    // Sizes from about half to one and a half of the mean, summing to the total.
    std::vector<Document> documents;
    size_t mean = totalBytes / files;
    size_t written = 0;
    for (size_t i = 0; i < files; ++i) {
        size_t size = i + 1 == files ? totalBytes - written : mean / 2 + (i * 7919) % (mean + 1);
        written += size;
        Document document;
        document.name = "doc" + std::to_string(i) + ".txt";
        document.parent = "Local";
        document.content = content(size, static_cast<uint32_t>(i));
        document.size = static_cast<int32_t>(size);
        document.time = "20040101120000";
        if (!writeFile(source + L"\\doc" + std::to_wstring(i) + L".txt", document.content)) {
            std::fprintf(stderr, "synch_bench: cannot write the source files\n");
            return 1;
        }
        documents.push_back(std::move(document));
    }
    std::printf("%zu files, %.1f MB\n", files, written / 1048576.0);

    // Handheld to desktop: the handheld holds every file, the folder none.
    const std::wstring toDesktop = scratch + L"\\to-desktop";
    const std::wstring handheldFull = scratch + L"\\handheld-full";
    {
        HandheldDatabase handheld(handheldFull);
        handheld.putAll(std::move(documents));
        handheld.save();
    }
    CreateDirectoryW(toDesktop.c_str(), nullptr);
    setSyncFolder(userRoot, toDesktop);
    const std::wstring timingsFile = scratch + L"\\host-timings.txt";
    const std::wstring logTimingsFile = scratch + L"\\log-timings.txt";
    SetEnvironmentVariableW(L"QUIRE_LOG_METER", logTimingsFile.c_str());
    const auto syncCommand = [&](const std::wstring& handheld) {
        return L"\"" + synchost + L"\" sync \"" + handheld + L"\" --addin \"" + addin +
               L"\" --user-root " + userRoot + L" --timings \"" + timingsFile + L"\"";
    };
    double receive = runSynchost(syncCommand(handheldFull), scratch);
    const PassTimings receiveHost = readPassTimings(timingsFile, logTimingsFile);
    size_t received = countFiles(toDesktop);
    double receiveCopy = plainCopy(source, scratch + L"\\copy-1", files);

    // Desktop to handheld: the folder holds every file, the handheld none.
    const std::wstring handheldEmpty = scratch + L"\\handheld-empty";
    setSyncFolder(userRoot, source);
    double send = runSynchost(syncCommand(handheldEmpty), scratch);
    const PassTimings sendHost = readPassTimings(timingsFile, logTimingsFile);
    HandheldDatabase sent(handheldEmpty);
    sent.load();
    size_t sentCount = sent.documents().size();
    double sendCopy = plainCopy(source, scratch + L"\\copy-2", files);

    RegDeleteTreeW(HKEY_CURRENT_USER, userRoot.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, userRoot.c_str());
    if (receiveHost.process < 0 || sendHost.process < 0 || receiveHost.log < 0 ||
        sendHost.log < 0) {
        std::fprintf(stderr, "synch_bench: the host or the add-in wrote no timings\n");
        return 1;
    }
    if (receive < 0 || send < 0 || received != files || sentCount != files) {
        std::fprintf(stderr, "synch_bench: a synchronisation failed (%zu received, %zu sent)\n",
                     received, sentCount);
        return 1;
    }
    report("handheld -> desktop", receive, receiveCopy);
    report("desktop -> handheld", send, sendCopy);
    std::printf("peak working set of the host's process: %.0f MB and %.0f MB, for %.0f MB of "
                "documents\n",
                receiveHost.peak / 1048576.0, sendHost.peak / 1048576.0, written / 1048576.0);
    // The host's process also starts Wine, reads and writes its database and
    // joins the parts it was sent: the pass is the add-in's Process call.
    std::printf("the host's own work: load %.2f s + save %.2f s, and %.2f s + %.2f s; "
                "start and the rest %.2f s and %.2f s\n",
                receiveHost.load, receiveHost.save, sendHost.load, sendHost.save,
                receive - receiveHost.process - receiveHost.load - receiveHost.save,
                send - sendHost.process - sendHost.load - sendHost.save);
    report("  the pass (Process)", receiveHost.process, receiveCopy);
    report("  the pass (Process)", sendHost.process, sendCopy);
    // Most of a pass under Wine is its log: three server calls a line.
    std::printf(
        "log, timed inside the pass: %.2f and %.2f s for %.0f and %.0f lines (%.0f and %.0f "
        "us a line: opened, written, closed)\n",
        receiveHost.log, sendHost.log, receiveHost.lines, sendHost.lines,
        receiveHost.log / std::max(receiveHost.lines, 1.0) * 1e6,
        sendHost.log / std::max(sendHost.lines, 1.0) * 1e6);
    report("  the pass without the log", receiveHost.process - receiveHost.log, receiveCopy);
    report("  the pass without the log", sendHost.process - sendHost.log, sendCopy);
    if (nativeLine > 0) {
        std::printf("log without Wine: %.1f us a line (the same open, append and close natively)\n",
                    nativeLine * 1e6);
        report("  the pass, log without Wine",
               receiveHost.process - receiveHost.log + receiveHost.lines * nativeLine, receiveCopy);
        report("  the pass, log without Wine",
               sendHost.process - sendHost.log + sendHost.lines * nativeLine, sendCopy);
    }
    removeTree(scratch);
    return 0;
}
