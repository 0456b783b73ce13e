#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

namespace quire::sync {

// What the main window and its folder watcher share.  The watcher thread holds
// its own reference, so the window may go while the watcher still waits.
struct WatchState {
    HWND window = nullptr;
    // The change notification of the shown folder, INVALID_HANDLE_VALUE when none;
    // replaced by the window only.
    std::atomic<HANDLE> notification{INVALID_HANDLE_VALUE};
    std::atomic<bool> stop{false};
    // Set by the window around its own changes: the watcher then signals
    // ownChangeEvent instead of asking for a refresh the window cannot handle.
    std::atomic<bool> ownChangePending{false};
    HANDLE ownChangeEvent = nullptr;
};

// Starts the watcher thread; false when it could not be made.  The thread's
// handle is closed at once.
bool StartFolderWatcher(std::shared_ptr<WatchState> state);

} // namespace quire::sync
