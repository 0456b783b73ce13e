#include "TransferWorker.h"

#include "Conversion.h"
#include "FileChecks.h"
#include "MessagePrompts.h"
#include "Messages.h"
#include "Resource.h"
#include "SyncFolder.h"

#include <objbase.h>
#include <shellapi.h>

namespace quire::sync {

namespace {

constexpr DWORD kIdleWaitMs = 500;
constexpr DWORD kPostRetryMs = 100;
// A worker that has no queue after this many pauses is not coming.
constexpr int kPostAttempts = 100;

UINT FailureStringOf(UINT message) {
    switch (message) {
    case MSG_FETCH:
        return IDS_FILE_DOWNLOAD_FAILED;
    case MSG_SEND:
        return IDS_FILE_UPLOAD_FAILED;
    default:
        return IDS_FAILED_TO_DELETE_FILE;
    }
}

// The sync folder path of a step's remote name; nothing when it does not fit.
std::optional<std::wstring> SyncPathOf(const wchar_t* name) {
    return SyncFolderPathOfName(SyncFolderRoot, RemoteFolder(), name);
}

// A name that would leave the folder, or a path that does not fit, is refused
// rather than turned into another path.
int RefusePath(const wchar_t* name, std::wstring& failure) {
    const DWORD error = IsPlainEntryName(name) ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME;
    failure = SystemErrorText(error);
    return static_cast<int>(error);
}

// Copies beside the target and moves the copy over it, so that a copy that
// fails part way (a full disk) leaves the old file whole and no part of the
// new one.  A folder too long for a scratch name gets a plain copy.
BOOL CopyReplacing(const std::wstring& from, const std::wstring& to) {
    const std::wstring folder = to.substr(0, to.find_last_of(L'\\') + 1);
    wchar_t scratch[MAX_PATH] = {};
    if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"~qs", 0, scratch)) {
        return CopyFileW(from.c_str(), to.c_str(), FALSE);
    }
    if (CopyFileW(from.c_str(), scratch, FALSE) &&
        MoveFileExW(scratch, to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return TRUE;
    }
    const DWORD error = GetLastError();
    SetFileAttributesW(scratch, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(scratch);
    SetLastError(error);
    return FALSE;
}

int CopyWithSystemText(const std::wstring& from, const std::wstring& to, std::wstring& failure) {
    // Asked first, so that the user hears what a direct copy would meet: a
    // read-only copy, which is never replaced, or one another program holds.
    if (const DWORD refused = ProbeFileWrite(to); refused != 0) {
        failure = SystemErrorText(refused);
        return static_cast<int>(refused);
    }
    if (CopyReplacing(from, to)) {
        return 0;
    }
    const DWORD error = GetLastError();
    failure = SystemErrorText(error);
    return error == 0 ? 1 : static_cast<int>(error);
}

DWORD WINAPI WorkerThread(LPVOID parameter) noexcept {
    try {
        TransferWorker worker(*static_cast<const WorkerEnvironment*>(parameter));
        return worker.Run();
    } catch (...) {
        return 1;
    }
}

bool CarriesStep(UINT message) {
    return message == MSG_FETCH || message == MSG_SEND || message == MSG_ERASE ||
           message == MSG_IMPORT_CONVERT || message == MSG_EXPORT_CONVERT;
}

} // namespace

TransferWorker::TransferWorker(const WorkerEnvironment& environment)
    : environment_(environment),
      wireless_(*environment.wireless, *environment.credentials, environment.mainWindow) {}

DWORD TransferWorker::Run() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MSG message = {};
    // Make the queue now, so that posts to this thread succeed from here on.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (DispatchQueued()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kIdleWaitMs, QS_ALLINPUT);
    }
    wireless_.Disconnect();
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}

bool TransferWorker::DispatchQueued() {
    // The wait wakes only for input that arrived since the queue was last looked
    // at, so every message already queued is taken before waiting again.
    MSG message = {};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            return false;
        }
        DispatchGuarded(message);
    }
    return true;
}

// A request that fails by an exception ends its job, so that the job does not
// wait for a reply that never comes; the worker takes the next request.
void TransferWorker::DispatchGuarded(const MSG& message) {
    try {
        Dispatch(message);
    } catch (...) {
        CurrentStep.store(nullptr);
        auto* step = reinterpret_cast<TransferStep*>(message.lParam);
        if (CarriesStep(message.message) && step != nullptr) {
            CloseJob(*step);
        }
    }
}

void TransferWorker::Dispatch(const MSG& message) {
    auto* step = reinterpret_cast<TransferStep*>(message.lParam);
    switch (message.message) {
    case WM_COMMAND:
        RunCommand(LOWORD(message.wParam));
        break;
    case MSG_FETCH:
    case MSG_SEND:
    case MSG_ERASE:
        if (step != nullptr) {
            RunCopyStep(message.message, step);
        }
        break;
    case MSG_IMPORT_CONVERT:
    case MSG_EXPORT_CONVERT:
        if (step != nullptr) {
            RunConversionStep(message.message, step);
        }
        break;
    default:
        break;
    }
}

void TransferWorker::RunCommand(WORD command) {
    switch (command) {
    case CMD_REFRESH_REMOTE:
        RefreshRemote();
        break;
    case CMD_CONNECT_WIRELESS:
        wireless_.Connect();
        break;
    case CMD_DISCONNECT_WIRELESS:
        wireless_.Disconnect();
        break;
    default:
        break;
    }
}

void TransferWorker::RefreshRemote() {
    if (RemoteTarget() == TARGET_WIRELESS) {
        wireless_.List(RemoteFolder());
    } else if (RemoteTarget() == TARGET_SYNC_FOLDER) {
        RemoteListing listing = ListSyncFolder(SyncFolderRoot, RemoteFolder());
        DeliverListing(environment_.mainWindow, listing);
    }
}

void TransferWorker::CloseJob(const TransferStep& step) {
    SendMessageW(step.dialog, WM_CLOSE, CLOSE_MAGIC, 0);
}

void TransferWorker::Reconnect() {
    if (LastLinkKind.load() == TARGET_WIRELESS) {
        wireless_.Connect();
    }
}

int TransferWorker::FetchFile(const TransferStep& step, std::wstring& failure) {
    if (RemoteTarget() == TARGET_WIRELESS) {
        return wireless_.Fetch(RemoteFolder(), step.firstPath, step.secondPath, failure) ? 0 : 1;
    }
    const std::optional<std::wstring> source = SyncPathOf(step.firstPath);
    return source ? CopyWithSystemText(*source, step.secondPath, failure)
                  : RefusePath(step.firstPath, failure);
}

int TransferWorker::SendFile(const TransferStep& step, std::wstring& failure) {
    if (RemoteTarget() == TARGET_WIRELESS) {
        return wireless_.Send(step.firstPath, RemoteFolder(), step.secondPath, failure) ? 0 : 1;
    }
    const std::optional<std::wstring> target = SyncPathOf(step.secondPath);
    return target ? CopyWithSystemText(step.firstPath, *target, failure)
                  : RefusePath(step.secondPath, failure);
}

int TransferWorker::EraseRemote(const TransferStep& step, std::wstring& failure) {
    if (RemoteTarget() == TARGET_WIRELESS) {
        return wireless_.Erase(RemoteFolder(), step.firstPath, failure) ? 0 : 1;
    }
    const std::optional<std::wstring> target = SyncPathOf(step.firstPath);
    // A failed delete in the sync folder shows its message alone.
    failure.clear();
    if (!target) {
        return ERROR_INVALID_NAME;
    }
    // The shell takes a list of paths, each zero-terminated, ended by an empty one.
    std::wstring list = *target;
    list.append(2, L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = step.dialog;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_NOCONFIRMATION;
    const int result = SHFileOperationW(&operation);
    return result != 0 ? result : (operation.fAnyOperationsAborted ? 1 : 0);
}

int TransferWorker::RunCopy(UINT message, const TransferStep& step, std::wstring& failure) {
    switch (message) {
    case MSG_FETCH:
        return FetchFile(step, failure);
    case MSG_SEND:
        return SendFile(step, failure);
    default:
        return EraseRemote(step, failure);
    }
}

int TransferWorker::AskAfterFailure(UINT message, const TransferStep& step,
                                    const std::wstring& failure) {
    const UINT stringId = FailureStringOf(message);
    if (failure.empty()) {
        return ShowMessage(step.dialog, stringId, kRetryStyle);
    }
    return ShowTextMessage(step.dialog, stringId, failure, kRetryStyle);
}

void TransferWorker::RunCopyStep(UINT message, TransferStep* step) {
    if (ContinueFlag.load() == 0) {
        CloseJob(*step);
        return;
    }
    CurrentStep.store(step);
    for (;;) {
        std::wstring failure;
        const int result = RunCopy(message, *step, failure);
        if (ContinueFlag.load() == 0) {
            CloseJob(*step);
            return;
        }
        if (result == 0) {
            break;
        }
        const int answer = AskAfterFailure(message, *step, failure);
        if (answer == IDABORT) {
            wireless_.Disconnect();
            CloseJob(*step);
            return;
        }
        if (answer == IDRETRY) {
            wireless_.Disconnect();
            Reconnect();
            continue;
        }
        Reconnect();
        break;
    }
    if (message == MSG_SEND && step->kind != DocumentKind::None) {
        DeleteFileW(step->firstPath);
    }
    SendMessageW(step->dialog, message, 0, 0);
}

void TransferWorker::RunConversionStep(UINT message, TransferStep* step) {
    if (ContinueFlag.load() == 0) {
        CloseJob(*step);
        return;
    }
    CurrentStep.store(step);
    if (step->kind != DocumentKind::None) {
        const ConverterTable& converters = *environment_.converters;
        if (message == MSG_IMPORT_CONVERT) {
            ConvertToPc(converters, step->kind, *step);
        } else if (ConvertToHandheld(converters, step->kind, *step) == 0) {
            // The job sends only the files that exist: a failed conversion's
            // file, empty or partial, must never reach the handheld's copy.
            DeleteFileW(step->secondPath);
        }
    }
    if (ContinueFlag.load() == 1) {
        SendMessageW(step->dialog, message, 0, 0);
    } else {
        CloseJob(*step);
    }
}

DWORD StartTransferWorker(const WorkerEnvironment& environment) {
    DWORD threadId = 0;
    KernelHandle thread(CreateThread(nullptr, 0, WorkerThread,
                                     const_cast<WorkerEnvironment*>(&environment), 0, &threadId));
    return thread ? threadId : 0;
}

bool PostToWorker(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    for (int attempt = 0; attempt < kPostAttempts; ++attempt) {
        if (PostThreadMessageW(threadId, message, wParam, lParam)) {
            return true;
        }
        if (GetLastError() != ERROR_INVALID_THREAD_ID) {
            return false;
        }
        Sleep(kPostRetryMs);
    }
    return false;
}

} // namespace quire::sync
