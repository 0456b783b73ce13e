// What one line of the add-in's log costs where no Wine server stands between
// the program and the file system: the file opened for appending, the line
// written, the file closed, as the log does it for every line.  Prints the
// microseconds of one line.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const std::string path =
        std::string(argc > 1 ? argv[1] : "/tmp") + "/native-log-line-" + std::to_string(getpid());
    const char line[] = "09.12.2026 21:42:09 GetField(fields, FIELD_DATAPART)\r\n";
    constexpr int kLines = 20000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLines; ++i) {
        const int file = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
        if (file < 0) {
            std::perror("native log line");
            return 1;
        }
        const ssize_t written = write(file, line, std::strlen(line));
        close(file);
        if (written != static_cast<ssize_t>(std::strlen(line))) {
            std::perror("native log line");
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    unlink(path.c_str());
    std::printf("%.2f\n", seconds / kLines * 1e6);
    return 0;
}
