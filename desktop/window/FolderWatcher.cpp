#include "FolderWatcher.h"

#include "Resource.h"
#include "base/UniqueHandle.h"

namespace quire::sync {

namespace {

constexpr DWORD kSliceMs = 500;

bool GoOn(const WatchState& state) {
    return !state.stop.load() && IsWindow(state.window);
}

void Watch(WatchState& state) {
    while (GoOn(state)) {
        HANDLE notification = state.notification.load();
        if (notification == INVALID_HANDLE_VALUE) {
            Sleep(kSliceMs);
            continue;
        }
        if (WaitForSingleObject(notification, kSliceMs) != WAIT_OBJECT_0) {
            continue;
        }
        if (state.ownChangePending.load()) {
            SetEvent(state.ownChangeEvent);
        } else {
            if (!GoOn(state)) {
                return;
            }
            SendMessageW(state.window, WM_COMMAND, MAKEWPARAM(ID_LOCAL_REFRESH, 0), 0);
        }
        const HANDLE current = state.notification.load();
        if (current != INVALID_HANDLE_VALUE) {
            FindNextChangeNotification(current);
        }
    }
}

DWORD WINAPI WatcherThread(LPVOID parameter) {
    std::unique_ptr<std::shared_ptr<WatchState>> state(
        static_cast<std::shared_ptr<WatchState>*>(parameter));
    try {
        Watch(**state);
    } catch (...) {
    }
    return 0;
}

} // namespace

bool StartFolderWatcher(std::shared_ptr<WatchState> state) {
    auto* parameter = new std::shared_ptr<WatchState>(std::move(state));
    KernelHandle thread(CreateThread(nullptr, 0, WatcherThread, parameter, 0, nullptr));
    if (!thread) {
        delete parameter;
        return false;
    }
    return true;
}

} // namespace quire::sync
