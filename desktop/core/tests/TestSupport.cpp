#include "TestSupport.h"

#include "Messages.h"

#include <atomic>

namespace quire::sync::test {

namespace {

constexpr wchar_t kWindowClass[] = L"QuireCoreTestWindow";

std::wstring UniqueSuffix() {
    static std::atomic<int> counter{0};
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L"-" +
           std::to_wstring(GetTickCount());
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L'\\' + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

Scratch::Scratch() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"quirecore-" + UniqueSuffix();
    CreateDirectoryW(folder_.c_str(), nullptr);
    keyPath_ = L"Software\\QuireCoreTests\\" + UniqueSuffix();
}

Scratch::~Scratch() {
    RemoveTree(folder_);
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, keyPath_.c_str());
}

void WriteTextFile(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadTextFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    CloseHandle(file);
    return content;
}

std::string ToNarrow(const std::wstring& text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

RecordingWindow::RecordingWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
}

RecordingWindow::~RecordingWindow() {
    DestroyWindow(window_);
}

LRESULT CALLBACK RecordingWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const bool recorded = message == WM_COMMAND || message == WM_CLOSE ||
                          (message >= MSG_FETCH && message <= MSG_ERASE);
    if (self == nullptr || !recorded) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    Received received{message, wParam, lParam, {}, {}};
    if (message == MSG_PROGRESS && lParam != 0) {
        received.text = reinterpret_cast<const wchar_t*>(lParam);
    }
    if (message == WM_REMOTE_LISTING && lParam == -1) {
        received.listing = reinterpret_cast<const RemoteListing*>(wParam)->entries;
    }
    if (self->onMessage) {
        self->onMessage(received);
    }
    self->received_.push_back(std::move(received));
    // A close request never destroys the stand-in.
    return 0;
}

bool RecordingWindow::PumpUntil(const std::function<bool(const Received&)>& match,
                                DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (; matchedUpTo_ < received_.size(); ++matchedUpTo_) {
            if (match(received_[matchedUpTo_])) {
                ++matchedUpTo_;
                return true;
            }
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(50, timeoutMs - elapsed),
                                  QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

bool RecordingWindow::PumpUntilMessage(UINT message, DWORD timeoutMs) {
    return PumpUntil([message](const Received& received) { return received.message == message; },
                     timeoutMs);
}

int RecordingWindow::Count(UINT message) const {
    int count = 0;
    for (const Received& received : received_) {
        count += received.message == message ? 1 : 0;
    }
    return count;
}

const Received* RecordingWindow::Last(UINT message) const {
    for (auto it = received_.rbegin(); it != received_.rend(); ++it) {
        if (it->message == message) {
            return &*it;
        }
    }
    return nullptr;
}

std::vector<WORD> RecordingWindow::Commands(WORD id) const {
    std::vector<WORD> words;
    for (const Received& received : received_) {
        if (received.message == WM_COMMAND && LOWORD(received.wParam) == id) {
            words.push_back(HIWORD(received.wParam));
        }
    }
    return words;
}

int ScriptedPrompter::Show(HWND owner, const std::wstring& text, const std::wstring& caption,
                           UINT style) {
    std::lock_guard lock(mutex_);
    prompts_.push_back(Prompt{owner, text, caption, style});
    if (onPrompt_) {
        onPrompt_();
    }
    if (answers_.empty()) {
        return IDOK;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

RunningWorker::RunningWorker(const WorkerEnvironment& environment)
    : threadId_(StartTransferWorker(environment)) {
    if (threadId_ != 0) {
        thread_ = OpenThread(SYNCHRONIZE, FALSE, threadId_);
    }
}

RunningWorker::~RunningWorker() {
    if (thread_ == nullptr) {
        return;
    }
    PostToWorker(threadId_, WM_QUIT, 0, 0);
    while (MsgWaitForMultipleObjects(1, &thread_, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    CloseHandle(thread_);
}

} // namespace quire::sync::test
