#pragma once

#include <windows.h>

namespace quire::com {

// The library-wide count of live objects and server locks; the library may
// unload only when it is zero.
class ModuleLock {
public:
    static void lock() { InterlockedIncrement(&count_); }
    static void unlock() { InterlockedDecrement(&count_); }
    static LONG count() { return count_; }

private:
    static inline volatile LONG count_ = 0;
};

} // namespace quire::com
