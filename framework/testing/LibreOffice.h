#pragma once

// LibreOffice as the oracle of the native tests: one headless conversion with
// a profile of the test's own.  LibreOffice now and then ends with a failure
// at the very start of a new profile, converting nothing; such a start is
// tried once more.  What it printed comes back with a failure, so that a
// failing run says why.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quire::testing {

inline std::string ShellQuoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : path.string()) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Converts `files` into `filter` files in `outdir`; empty on success, else the
// command and what LibreOffice printed.
inline std::string ConvertWithLibreOffice(const std::filesystem::path& profile,
                                          const std::string& filter,
                                          const std::filesystem::path& outdir,
                                          const std::vector<std::filesystem::path>& files) {
    namespace fs = std::filesystem;
    fs::create_directories(outdir);
    const fs::path log = outdir / "libreoffice.log";
    std::string command = "soffice --headless --norestore -env:UserInstallation=file://" +
                          profile.string() + " --convert-to '" + filter + "' --outdir " +
                          ShellQuoted(outdir);
    for (const fs::path& file : files) {
        command += " " + ShellQuoted(file);
    }
    command += " > " + ShellQuoted(log) + " 2>&1";
    std::string printed;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const int status = std::system(command.c_str());
        std::ifstream in(log, std::ios::binary);
        const std::string output((std::istreambuf_iterator<char>(in)), {});
        in.close();
        fs::remove(log);
        if (status == 0) {
            return {};
        }
        printed += "attempt " + std::to_string(attempt) + ", status " + std::to_string(status) +
                   ":\n" + output;
    }
    return command + "\n" + printed;
}

} // namespace quire::testing
