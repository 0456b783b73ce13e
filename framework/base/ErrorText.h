#pragma once

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace quire {

// The longest text that a converter library's GetLastErrorString hands out,
// and that the desktop program reads, whatever the buffer.
inline constexpr int kConverterErrorTextLimit = 1023;

// Copies as much of text as fits a caller's buffer of size characters with
// its terminator; a buffer without room for the terminator gets nothing.
// Returns the number of characters copied.
inline int CopyErrorText(const std::string& text, char* buffer, int size) {
    if (buffer == nullptr || size < 1) {
        return 0;
    }
    const int count = std::min({size - 1, kConverterErrorTextLimit, static_cast<int>(text.size())});
    std::memcpy(buffer, text.data(), static_cast<size_t>(count));
    buffer[count] = '\0';
    return count;
}

// The text of a module's most recent failure, one for the whole module and
// never cleared, so that it always explains the last failure.  Conversions may
// run on several threads at once; the lock keeps a reader from seeing a text
// half-replaced.
class ModuleErrorText {
public:
    static void Set(const std::string& value) {
        std::lock_guard lock(mutex());
        text() = value;
    }
    static std::string Get() {
        std::lock_guard lock(mutex());
        return text();
    }

private:
    static std::mutex& mutex() {
        static std::mutex guard;
        return guard;
    }
    static std::string& text() {
        static std::string last;
        return last;
    }
};

} // namespace quire
