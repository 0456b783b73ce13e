#pragma once

#include <windows.h>

namespace quire::window {

// The window class that hosts an ActiveX control, and the two messages it
// answers: one asks for the hosted control's interface, one for the host's.
inline constexpr const wchar_t* kAxHostClass = L"QuireAxHost";

struct AxHostMessages {
    UINT getControl = 0;
    UINT getHost = 0;
};

// Registers the class and the messages once per process; false on failure.
bool RegisterAxHostWindow(HINSTANCE instance);
const AxHostMessages& AxHostRegisteredMessages();

} // namespace quire::window
