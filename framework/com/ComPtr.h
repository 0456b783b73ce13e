#pragma once

#include <windows.h>

#include <unknwn.h>

#include <utility>

namespace quire::com {

// Owns one reference to a COM interface.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to a borrowed pointer.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already owns.
    static ComPtr attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // For out parameters: drops what is held and hands out the slot.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* old = std::exchange(p_, nullptr)) {
            old->Release();
        }
    }

    template <typename U> ComPtr<U> query() const {
        ComPtr<U> result;
        if (p_) {
            p_->QueryInterface(__uuidof(U), result.putVoid());
        }
        return result;
    }

private:
    T* p_ = nullptr;
};

} // namespace quire::com
