#pragma once

#include <windows.h>

#include <utility>

namespace quire {

// Owns one handle and closes it once.  Traits give the invalid value and the
// closing function, since Win32 handles disagree on both.
template <typename Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }

    Type release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Type handle = Traits::invalid()) {
        if (handle_ != Traits::invalid()) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

private:
    Type handle_ = Traits::invalid();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) { CloseHandle(handle); }
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { CloseHandle(handle); }
};

struct ModuleHandleTraits {
    using Type = HMODULE;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { FreeLibrary(handle); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { RegCloseKey(handle); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) { FindClose(handle); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { DeleteObject(handle); }
};

struct ChangeNotificationTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) { FindCloseChangeNotification(handle); }
};

// CreateFile and FindFirstFile return INVALID_HANDLE_VALUE on failure; threads,
// events and mappings return NULL.
using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using ModuleHandle = UniqueHandle<ModuleHandleTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;

} // namespace quire
