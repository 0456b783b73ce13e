#pragma once

#include <windows.h>

#include <string>

namespace quire::com {

// A failed COM call: the status code and, when the callee set one, the
// description from its error object.
class ComError {
public:
    explicit ComError(HRESULT hr, std::wstring description = {})
        : hr_(hr), description_(std::move(description)) {}

    HRESULT code() const { return hr_; }
    const std::wstring& description() const { return description_; }

private:
    HRESULT hr_;
    std::wstring description_;
};

// Throws ComError for a failing status, picking up the thread's error object.
void check(HRESULT hr);

// Throws ComError when a call that must hand back an object gave none.
template <typename T> T* checkNotNull(T* p, HRESULT hr = E_POINTER) {
    if (!p) {
        throw ComError(hr);
    }
    return p;
}

// Sets the thread's error object so that a caller sees the text.
HRESULT reportError(HRESULT hr, const std::wstring& description);

} // namespace quire::com
