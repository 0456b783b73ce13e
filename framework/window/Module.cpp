#include "Module.h"

namespace quire::window {

bool Module::Init(HINSTANCE instance) {
    instance_ = instance;
    loops_.clear();
    return instance != nullptr;
}

void Module::Term() {
    loops_.clear();
    instance_ = nullptr;
}

bool Module::AddMessageLoop(MessageLoop* loop) {
    return loops_.emplace(GetCurrentThreadId(), loop).second;
}

void Module::RemoveMessageLoop() {
    loops_.erase(GetCurrentThreadId());
}

MessageLoop* Module::GetMessageLoop() const {
    const auto found = loops_.find(GetCurrentThreadId());
    return found == loops_.end() ? nullptr : found->second;
}

Module& TheModule() {
    static Module module;
    return module;
}

} // namespace quire::window
