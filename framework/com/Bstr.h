#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace quire::com {

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    ~Bstr() { SysFreeString(s_); }

    BSTR get() const { return s_; }
    BSTR* put() {
        SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    BSTR detach() { return std::exchange(s_, nullptr); }
    std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};

// Replaces a caller's string in place, as [in, out] BSTR parameters require.
// Throws std::bad_alloc when no memory is left.
void reassign(BSTR* target, std::wstring_view text);

} // namespace quire::com
