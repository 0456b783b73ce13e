#pragma once

#include <stdexcept>
#include <string>

namespace docconv {

// Why a conversion stopped.  Each kind reaches the caller as its own text.
enum class FailureKind {
    NotWordDocument,
    Encrypted,
    UnsupportedVersion,
    DamagedDocument,
    DamagedHandheldDocument,
    Cancelled,
};

class DocumentError : public std::runtime_error {
public:
    DocumentError(FailureKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    FailureKind kind() const { return kind_; }

private:
    FailureKind kind_;
};

[[noreturn]] inline void fail(FailureKind kind, const std::string& message) {
    throw DocumentError(kind, message);
}

} // namespace docconv
