#pragma once

#include "SharedState.h"
#include "TransferProgress.h"
#include "window/Dialog.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quire::sync {

// The result of a job that ran to its end.
inline constexpr INT_PTR TRANSFER_JOB_ENDED = 8;

// Bit of the capability word: the send phase keeps the sizes it was given
// instead of taking those of the converted files.
inline constexpr DWORD CAP_KEEP_GIVEN_SIZES = 2;

// What a job needs besides its documents; tests replace the temporary folder
// and the release of the device link's contexts.
struct TransferJobEnvironment {
    DWORD worker = 0;
    DWORD capabilities = 0;
    // Empty: the user's temporary folder.
    std::wstring temporaryFolder;
    // Releases one context; unset: the device link's own, when it is loaded.
    std::function<void(DWORD context)> releaseContext;
};

// One export, import or remote delete, carried out document by document by the
// transfer worker while this modal progress dialog runs.  The dialog hands the
// worker one step at a time and advances when the worker sends the step's
// message back; it ends only on the worker's (or its own) CLOSE_MAGIC close.
class TransferJob : public window::Dialog {
public:
    enum class Operation { Export, Import, Delete };

    TransferJob(Operation operation, bool unconverted, TransferJobEnvironment environment);

    // Export and import: one document each, in order.
    void AddDocument(const std::wstring& pcPath, const std::wstring& remoteName, uint32_t size);
    // Delete: the remote names only.
    void AddRemoteName(const std::wstring& remoteName);
    bool Empty() const { return remoteNames_.empty(); }
    size_t Count() const { return remoteNames_.size(); }
    const std::vector<std::wstring>& PcPaths() const { return pcPaths_; }
    const std::vector<std::wstring>& RemoteNames() const { return remoteNames_; }

    // Runs the job modally; TRANSFER_JOB_ENDED when it ran to its end or was
    // ended by Cancel or Abort, -1 when the dialog could not be made.
    INT_PTR Run(HINSTANCE instance, HWND owner);

protected:
    BOOL onInitDialog() override;
    bool onCommand(UINT id, UINT notifyCode, HWND control) override;
    bool onClose(WPARAM wParam) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    bool Export() const { return operation_ == Operation::Export; }
    bool Delete() const { return operation_ == Operation::Delete; }
    bool IndexWithin(size_t count) const;
    PhaseProgress Phase() const;

    void SetCaption();
    void ShrinkForDelete();
    void OpenClip(UINT clipId);

    void NextFetch();
    void NextImportConversion();
    void NextExportConversion();
    void NextSend();
    void NextErase();
    void ShowProgress(WPARAM percent, const wchar_t* text);
    void FlushProgress();
    void StopProgressTimer();
    void EndTransfer();
    void Finish();

    void UpdateOverallBar(bool redraw);
    void SetDocumentBar(UINT position);
    void ShowStatus(UINT verbId, const std::wstring& name);
    void ShowLine(const std::wstring& text);
    std::wstring NewTemporaryFile();
    void PostStep(UINT message);

    Operation operation_;
    bool unconverted_;
    TransferJobEnvironment environment_;
    HINSTANCE instance_ = nullptr;

    std::vector<std::wstring> pcPaths_, remoteNames_;
    std::vector<uint32_t> sizes_;
    std::vector<DWORD> contexts_;
    uint64_t total_ = 0;

    std::vector<std::wstring> temporaryFiles_;
    int index_ = -1;
    uint64_t doneSize_ = 0;
    int phase_ = 0;
    uint32_t weight_ = 50;
    std::wstring status_;
    bool closing_ = false;
    uint32_t pendingPercent_ = 0;
    uint32_t documentPosition_ = 0;
    std::optional<std::wstring> pendingText_;
    bool progressPending_ = false;
    bool progressTimer_ = false;
    DWORD progressShownAt_ = 0;
    TransferStep step_;
};

} // namespace quire::sync
