#include "LastError.h"

#include <mutex>

namespace docconv {

namespace {

// Conversions may run on several threads; the lock keeps a reader from seeing
// a text half-replaced.
std::mutex& guard() {
    static std::mutex mutex;
    return mutex;
}

std::string& text() {
    static std::string lastText;
    return lastText;
}

} // namespace

void setLastError(const std::string& value) {
    std::lock_guard lock(guard());
    text() = value;
}

std::string lastError() {
    std::lock_guard lock(guard());
    return text();
}

} // namespace docconv
