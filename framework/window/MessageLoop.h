#pragma once

#include <windows.h>

#include <vector>

namespace quire::window {

// Sees each message before it is translated and dispatched; returns true when
// it handled the message itself.
class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    virtual bool PreTranslateMessage(MSG& message) = 0;
};

// Called while the queue is empty; returns true to ask for another pass.
class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    virtual bool OnIdle(int idleCount) = 0;
};

// The message loop of one user-interface thread.  Filters are offered each
// message most recently registered first; idle handlers run while the queue is
// empty until none asks for more, and are re-armed by the next message that is
// not mouse movement, painting or the caret blink (0x0118).
class MessageLoop {
public:
    // Tests replace the queue's fetch and peek.
    struct Queue {
        BOOL (*get)(MSG* message);
        bool (*hasMessage)();
    };

    MessageLoop();
    explicit MessageLoop(const Queue& queue);

    void AddMessageFilter(MessageFilter* filter);
    void RemoveMessageFilter(MessageFilter* filter);
    void AddIdleHandler(IdleHandler* handler);
    void RemoveIdleHandler(IdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam.
    int Run();

    // Offers a message to the filters; true when one handled it.
    bool PreTranslate(MSG& message);

    static bool RearmsIdle(UINT message);

private:
    bool RunIdleHandlers(int idleCount);

    Queue queue_;
    std::vector<MessageFilter*> filters_;
    std::vector<IdleHandler*> idleHandlers_;
};

// Waits for one of the handles (or only for the time) while answering what
// other threads send to this thread's windows, so that a thread inside
// SendMessageW to us is never left waiting for the wait to end.  Returns the
// wait's result: WAIT_OBJECT_0 + i for a signalled handle, WAIT_TIMEOUT.
DWORD WaitAnsweringSentMessages(DWORD count, const HANDLE* handles, DWORD milliseconds);

} // namespace quire::window
