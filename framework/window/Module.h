#pragma once

#include "MessageLoop.h"

#include <windows.h>

#include <map>

namespace quire::window {

// The program's module: its instance handle and the message loop of each
// user-interface thread, so that windows can register as filters of the loop
// that runs them.
class Module {
public:
    bool Init(HINSTANCE instance);
    void Term();

    HINSTANCE Instance() const { return instance_; }

    bool AddMessageLoop(MessageLoop* loop);
    void RemoveMessageLoop();
    // The loop of the calling thread, or null.
    MessageLoop* GetMessageLoop() const;

private:
    HINSTANCE instance_ = nullptr;
    std::map<DWORD, MessageLoop*> loops_;
};

// The one module object of the process.
Module& TheModule();

} // namespace quire::window
