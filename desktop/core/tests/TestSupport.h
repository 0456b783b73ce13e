#pragma once

// Scratch space and stand-ins for the windows that talk to the transfer worker.

#include "MessagePrompts.h"
#include "RemoteListing.h"
#include "TransferWorker.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quire::sync::test {

// A folder and a registry key of one test, removed again at its end.
class Scratch {
public:
    Scratch();
    ~Scratch();

    const std::wstring& Folder() const { return folder_; }
    const std::wstring& KeyPath() const { return keyPath_; }
    std::wstring PathOf(const std::wstring& name) const { return folder_ + L'\\' + name; }

private:
    std::wstring folder_;
    std::wstring keyPath_;
};

void WriteTextFile(const std::wstring& path, const std::string& content);
std::string ReadTextFile(const std::wstring& path);
bool FileExists(const std::wstring& path);
// A path in the ANSI code page, as the converters receive it.
std::string ToNarrow(const std::wstring& text);

// One message a recording window received.
struct Received {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::wstring text;                // MSG_PROGRESS text
    std::vector<RemoteEntry> listing; // WM_REMOTE_LISTING entries
};

// A hidden window that stands in for the main window and the transfer job: it
// records what the worker sends and answers as they would.
class RecordingWindow {
public:
    RecordingWindow();
    ~RecordingWindow();

    HWND Handle() const { return window_; }
    const std::vector<Received>& Messages() const { return received_; }
    // Runs on every message before it is recorded, on the window's thread.
    std::function<void(const Received&)> onMessage;

    // Handles messages until one matches or the time is up.
    bool PumpUntil(const std::function<bool(const Received&)>& match, DWORD timeoutMs = 10000);
    bool PumpUntilMessage(UINT message, DWORD timeoutMs = 10000);
    int Count(UINT message) const;
    // The last message of this number received, or null.
    const Received* Last(UINT message) const;
    // The high words of the WM_COMMAND messages with this identifier, in order.
    std::vector<WORD> Commands(WORD id) const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<Received> received_;
    size_t matchedUpTo_ = 0;
};

// Stands in for the message box: records each prompt and answers from a script
// (IDOK once the script runs out).
class ScriptedPrompter : public MessagePrompter {
public:
    struct Prompt {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT style;
    };

    ScriptedPrompter() { SetMessagePrompter(this); }
    ~ScriptedPrompter() override { SetMessagePrompter(nullptr); }

    void Answer(int button) {
        std::lock_guard lock(mutex_);
        answers_.push_back(button);
    }
    // Runs on the prompting thread before the answer is given.
    void OnPrompt(std::function<void()> action) {
        std::lock_guard lock(mutex_);
        onPrompt_ = std::move(action);
    }
    std::vector<Prompt> Prompts() const {
        std::lock_guard lock(mutex_);
        return prompts_;
    }

    int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
             UINT style) override;

private:
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::function<void()> onPrompt_;
    std::vector<Prompt> prompts_;
};

// A transfer worker thread for one test: started on construction, told to
// quit and waited for on destruction, while the caller's thread keeps
// handling the messages the worker may still send (its disconnect report).
class RunningWorker {
public:
    explicit RunningWorker(const WorkerEnvironment& environment);
    ~RunningWorker();
    RunningWorker(const RunningWorker&) = delete;
    RunningWorker& operator=(const RunningWorker&) = delete;

    DWORD ThreadId() const { return threadId_; }
    bool Started() const { return thread_ != nullptr; }

private:
    DWORD threadId_ = 0;
    HANDLE thread_ = nullptr;
};

} // namespace quire::sync::test
