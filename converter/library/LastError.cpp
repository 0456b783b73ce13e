#include "LastError.h"

#include <mutex>

namespace sheaf {
namespace {

// Conversions may run on several threads at once; the lock keeps a reader
// from seeing a string half-replaced.
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

} // namespace sheaf
