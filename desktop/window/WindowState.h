#pragma once

#include "SharedState.h"

#include <atomic>

// Process-wide values of the main window that outlive one window object.
namespace quire::sync {

// The folder of the local pane without a trailing backslash; empty for the
// My Computer view; kNoLastFolder until the settings are read.
extern wchar_t CurrentLocalFolder[kPathChars];
inline constexpr wchar_t kNoLastFolder = L'\x01';

// Set by a remote refresh request; the next listing reselects and clears it.
extern std::atomic<bool> KeepRemoteSelection;

} // namespace quire::sync
