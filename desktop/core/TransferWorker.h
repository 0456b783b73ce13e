#pragma once

#include "ConverterTable.h"
#include "SharedState.h"
#include "WirelessBackend.h"
#include "WirelessLink.h"

#include <windows.h>

#include <string>

namespace quire::sync {

// What the transfer worker works with.  It must outlive the worker thread.
struct WorkerEnvironment {
    HWND mainWindow = nullptr;
    const ConverterTable* converters = nullptr;
    const WirelessLink* wireless = nullptr;
    const WirelessCredentials* credentials = nullptr;
};

// The thread that does every remote listing, connection, copy, conversion and
// delete.  It takes thread messages one at a time: the commands of the main window
// and the transfer steps of a transfer job, each answered with SendMessageW.
class TransferWorker {
public:
    explicit TransferWorker(const WorkerEnvironment& environment);

    // The thread body: runs until WM_QUIT, then disconnects.
    DWORD Run();

private:
    // Works through the queued messages; false once WM_QUIT is taken.
    bool DispatchQueued();
    void DispatchGuarded(const MSG& message);
    void Dispatch(const MSG& message);
    void RunCommand(WORD command);
    void RefreshRemote();
    void RunCopyStep(UINT message, TransferStep* step);
    void RunConversionStep(UINT message, TransferStep* step);

    // 0 on success; otherwise the failure's detail text is in failure.
    int FetchFile(const TransferStep& step, std::wstring& failure);
    int SendFile(const TransferStep& step, std::wstring& failure);
    int EraseRemote(const TransferStep& step, std::wstring& failure);
    int RunCopy(UINT message, const TransferStep& step, std::wstring& failure);
    int AskAfterFailure(UINT message, const TransferStep& step, const std::wstring& failure);

    void Reconnect();
    static void CloseJob(const TransferStep& step);

    WorkerEnvironment environment_;
    WirelessBackend wireless_;
};

// Starts the worker thread on an environment and returns its thread identifier,
// 0 when the thread could not be made.  The thread's handle is closed at once.
DWORD StartTransferWorker(const WorkerEnvironment& environment);

// Posts a thread message to the worker, again every 100 ms while the thread has no
// message queue yet.
bool PostToWorker(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace quire::sync
