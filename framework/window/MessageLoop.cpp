#include "MessageLoop.h"

#include <algorithm>

namespace quire::window {

namespace {

constexpr UINT kCaretBlink = 0x0118;

BOOL GetFromQueue(MSG* message) {
    return GetMessageW(message, nullptr, 0, 0);
}

bool QueueHasMessage() {
    MSG message;
    return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

template <typename T> void Remove(std::vector<T*>& items, T* item) {
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

} // namespace

MessageLoop::MessageLoop() : MessageLoop(Queue{&GetFromQueue, &QueueHasMessage}) {}

MessageLoop::MessageLoop(const Queue& queue) : queue_(queue) {}

void MessageLoop::AddMessageFilter(MessageFilter* filter) {
    filters_.push_back(filter);
}

void MessageLoop::RemoveMessageFilter(MessageFilter* filter) {
    Remove(filters_, filter);
}

void MessageLoop::AddIdleHandler(IdleHandler* handler) {
    idleHandlers_.push_back(handler);
}

void MessageLoop::RemoveIdleHandler(IdleHandler* handler) {
    Remove(idleHandlers_, handler);
}

bool MessageLoop::RearmsIdle(UINT message) {
    return message != WM_MOUSEMOVE && message != WM_NCMOUSEMOVE && message != WM_PAINT &&
           message != kCaretBlink;
}

bool MessageLoop::PreTranslate(MSG& message) {
    // A filter may unregister itself while handling; walk a copy.
    const std::vector<MessageFilter*> filters(filters_.rbegin(), filters_.rend());
    for (MessageFilter* filter : filters) {
        if (filter->PreTranslateMessage(message)) {
            return true;
        }
    }
    return false;
}

bool MessageLoop::RunIdleHandlers(int idleCount) {
    bool again = false;
    const std::vector<IdleHandler*> handlers = idleHandlers_;
    for (IdleHandler* handler : handlers) {
        again = handler->OnIdle(idleCount) || again;
    }
    return again;
}

int MessageLoop::Run() {
    bool idleArmed = true;
    int idleCount = 0;
    MSG message{};
    for (;;) {
        while (idleArmed && !queue_.hasMessage()) {
            if (!RunIdleHandlers(idleCount++)) {
                idleArmed = false;
            }
        }
        const BOOL got = queue_.get(&message);
        if (got == -1) {
            continue;
        }
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (!PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (RearmsIdle(message.message)) {
            idleArmed = true;
            idleCount = 0;
        }
    }
}

DWORD WaitAnsweringSentMessages(DWORD count, const HANDLE* handles, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        const DWORD left = waited >= milliseconds ? 0 : milliseconds - waited;
        const DWORD woken = MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + count) {
            return woken;
        }
        // Peeking answers the sent messages; nothing is taken off the queue.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (left == 0) {
            return WAIT_TIMEOUT;
        }
    }
}

} // namespace quire::window
