#pragma once

#include "base/UniqueHandle.h"

#include <windows.h>
#include <winhttp.h>

namespace skylink {

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { WinHttpCloseHandle(handle); }
};

// WinHTTP session, connection and request handles.
using InternetHandle = quire::UniqueHandle<InternetHandleTraits>;

} // namespace skylink
