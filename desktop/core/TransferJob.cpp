#include "TransferJob.h"

#include "DeviceNameCodec.h"
#include "DocumentKind.h"
#include "FileChecks.h"
#include "MessagePrompts.h"
#include "Messages.h"
#include "Resource.h"
#include "TransferWorker.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace quire::sync {

namespace {

constexpr DWORD kCloseDelayMs = 100;
constexpr DWORD kProgressIntervalMs = 50;
constexpr UINT_PTR kProgressTimerId = 1;
constexpr size_t kVerbChars = 29;

// The device link's context release, when another component has loaded it.
void ReleaseThroughDeviceLink(DWORD context) {
    HMODULE link = GetModuleHandleW(L"SheafLink.dll");
    if (!link) {
        return;
    }
    using CleanUpFunction = void(__stdcall*)(DWORD);
    auto cleanUp = reinterpret_cast<CleanUpFunction>(GetProcAddress(link, "_CleanUpContext@4"));
    if (cleanUp) {
        cleanUp(context);
    }
}

UINT CaptionId(TransferJob::Operation operation, wchar_t target) {
    const bool wireless = target == TARGET_WIRELESS;
    switch (operation) {
    case TransferJob::Operation::Delete:
        return wireless ? IDS_DELETING_WIRELESS : IDS_DELETING_SYNC_FOLDER;
    case TransferJob::Operation::Export:
        return wireless ? IDS_EXPORTING_WIRELESS : IDS_EXPORTING_SYNC_FOLDER;
    default:
        return wireless ? IDS_IMPORTING_WIRELESS : IDS_IMPORTING_SYNC_FOLDER;
    }
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

uint32_t FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return data.nFileSizeHigh != 0 ? UINT32_MAX : data.nFileSizeLow;
}

} // namespace

TransferJob::TransferJob(Operation operation, bool unconverted, TransferJobEnvironment environment)
    : operation_(operation), unconverted_(unconverted), environment_(std::move(environment)) {
    if (!environment_.releaseContext) {
        environment_.releaseContext = &ReleaseThroughDeviceLink;
    }
}

void TransferJob::AddDocument(const std::wstring& pcPath, const std::wstring& remoteName,
                              uint32_t size) {
    pcPaths_.push_back(pcPath);
    remoteNames_.push_back(remoteName);
    sizes_.push_back(size);
    contexts_.push_back(0);
    total_ += size;
}

void TransferJob::AddRemoteName(const std::wstring& remoteName) {
    remoteNames_.push_back(remoteName);
    contexts_.push_back(0);
}

INT_PTR TransferJob::Run(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    return runModal(instance, IDD_TRANSFER, owner);
}

BOOL TransferJob::onInitDialog() {
    SetCaption();
    for (int bar : {IDC_TRANSFER_DOCUMENT_BAR, IDC_TRANSFER_OVERALL_BAR}) {
        SendMessageW(item(bar), PBM_SETRANGE32, 0, 100);
    }
    status_.clear();
    ContinueFlag = 1;
    weight_ = unconverted_ ? 100 : 50;
    if (environment_.temporaryFolder.empty()) {
        wchar_t folder[kPathChars] = {};
        const DWORD length = GetTempPathW(static_cast<DWORD>(kPathChars), folder);
        if (length > 0 && length < kPathChars) {
            environment_.temporaryFolder = folder;
        }
    }
    index_ = -1;
    if (Delete()) {
        ShrinkForDelete();
    }
    OpenClip(Delete()                    ? IDR_CLIP_DELETE
             : Export() && !unconverted_ ? IDR_CLIP_CONVERSION
                                         : IDR_CLIP_TRANSFER);
    centreOverOwner();
    switch (operation_) {
    case Operation::Delete:
        NextErase();
        break;
    case Operation::Export:
        NextExportConversion();
        break;
    case Operation::Import:
        NextFetch();
        break;
    }
    return TRUE;
}

void TransferJob::SetCaption() {
    SetWindowTextW(handle(), ResourceText(CaptionId(operation_, RemoteTarget())).c_str());
}

void TransferJob::ShrinkForDelete() {
    HWND overall = item(IDC_TRANSFER_OVERALL_BAR);
    const int lift =
        RectInParent(overall).bottom - RectInParent(item(IDC_TRANSFER_DOCUMENT_BAR)).bottom;
    ShowWindow(overall, SW_HIDE);
    ShowWindow(item(IDC_TRANSFER_OVERALL_LABEL), SW_HIDE);
    HWND cancel = item(IDCANCEL);
    const RECT place = RectInParent(cancel);
    SetWindowPos(cancel, nullptr, place.left, place.top - lift, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{};
    GetWindowRect(handle(), &frame);
    SetWindowPos(handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top - lift,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(item(IDC_TRANSFER_DOCUMENT_BAR), PBM_SETRANGE32, 0,
                 static_cast<LPARAM>(remoteNames_.size()));
}

void TransferJob::OpenClip(UINT clipId) {
    HWND animation = item(IDC_TRANSFER_ANIMATION);
    SendMessageW(animation, ACM_OPENW, reinterpret_cast<WPARAM>(instance_),
                 reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(clipId)));
    SendMessageW(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
}

bool TransferJob::onCommand(UINT id, UINT, HWND) {
    if (id == IDCANCEL) {
        ContinueFlag = 0;
        EnableWindow(item(IDCANCEL), FALSE);
        return true;
    }
    return false;
}

bool TransferJob::onClose(WPARAM wParam) {
    if (wParam == CLOSE_MAGIC) {
        Finish();
    }
    return true;
}

bool TransferJob::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    result = TRUE;
    if (message >= MSG_FETCH && message <= MSG_ERASE && message != MSG_PROGRESS) {
        // A report of the step just ended must not show over the next one.
        progressPending_ = false;
        pendingPercent_ = 0;
    }
    switch (message) {
    case WM_TIMER:
        if (wParam != kProgressTimerId) {
            return false;
        }
        StopProgressTimer();
        FlushProgress();
        return true;
    case MSG_FETCH:
        NextFetch();
        return true;
    case MSG_IMPORT_CONVERT:
        NextImportConversion();
        return true;
    case MSG_EXPORT_CONVERT:
        NextExportConversion();
        return true;
    case MSG_SEND:
        NextSend();
        return true;
    case MSG_ERASE:
        NextErase();
        return true;
    case MSG_PROGRESS:
        ShowProgress(wParam, reinterpret_cast<const wchar_t*>(lParam));
        return true;
    default:
        return false;
    }
}

bool TransferJob::IndexWithin(size_t count) const {
    return index_ >= 0 && static_cast<size_t>(index_) < count;
}

PhaseProgress TransferJob::Phase() const {
    return PhaseProgress{phase_ == 0 ? 0u : 100u - weight_, weight_, total_};
}

void TransferJob::UpdateOverallBar(bool redraw) {
    if (total_ == 0) {
        return;
    }
    HWND bar = item(IDC_TRANSFER_OVERALL_BAR);
    SendMessageW(bar, PBM_SETPOS, OverallAtStepStart(Phase(), doneSize_), 0);
    if (redraw) {
        UpdateWindow(bar);
    }
}

void TransferJob::SetDocumentBar(UINT position) {
    documentPosition_ = position;
    SendMessageW(item(IDC_TRANSFER_DOCUMENT_BAR), PBM_SETPOS, position, 0);
}

void TransferJob::ShowStatus(UINT verbId, const std::wstring& name) {
    std::wstring verb = ResourceText(verbId);
    if (verb.size() > kVerbChars) {
        verb.resize(kVerbChars);
    }
    status_ = verb + L' ' + name + L"...";
    if (status_.size() >= kPathChars) {
        status_.resize(kPathChars - 1);
    }
    ShowLine(status_);
}

void TransferJob::ShowLine(const std::wstring& text) {
    SetDlgItemTextW(handle(), IDC_TRANSFER_STATUS, text.c_str());
}

std::wstring TransferJob::NewTemporaryFile() {
    wchar_t name[kPathChars] = {};
    if (!GetTempFileNameW(environment_.temporaryFolder.c_str(), L"~qs", 0, name)) {
        name[0] = L'\0';
    }
    temporaryFiles_.emplace_back(name);
    return name;
}

void TransferJob::PostStep(UINT message) {
    step_.dialog = handle();
    step_.context = IndexWithin(contexts_.size()) ? contexts_[index_] : 0;
    // Without a worker the step would never come back: the job ends here.
    if (environment_.worker == 0 ||
        !PostToWorker(environment_.worker, message, 0, reinterpret_cast<LPARAM>(&step_))) {
        PostMessageW(handle(), WM_CLOSE, CLOSE_MAGIC, 0);
    }
}

void TransferJob::NextFetch() {
    ++index_;
    UpdateOverallBar(false);
    if (IndexWithin(sizes_.size())) {
        doneSize_ += sizes_[index_];
    }
    if (!IndexWithin(pcPaths_.size())) {
        SetDocumentBar(100);
        status_.clear();
        ShowLine(status_);
        index_ = -1;
        SendMessageW(item(IDC_TRANSFER_ANIMATION), ACM_STOP, 0, 0);
        if (!unconverted_) {
            OpenClip(IDR_CLIP_CONVERSION);
        }
        doneSize_ = 0;
        phase_ = 1;
        NextImportConversion();
        return;
    }
    SetDocumentBar(0);
    const std::wstring& name = remoteNames_[index_];
    step_.size = sizes_[index_];
    step_.kind = unconverted_ ? DocumentKind::None : DocumentKindOfHandheldName(name);
    StoreCutText(step_.firstPath, name);
    if (step_.kind == DocumentKind::None) {
        StoreCutText(step_.secondPath, pcPaths_[index_]);
        temporaryFiles_.emplace_back();
    } else {
        StoreCutText(step_.secondPath, NewTemporaryFile());
    }
    ShowStatus(IDS_DOWNLOADING, name);
    PostStep(MSG_FETCH);
}

void TransferJob::NextImportConversion() {
    if (unconverted_) {
        EndTransfer();
        return;
    }
    for (;;) {
        ++index_;
        UpdateOverallBar(true);
        if (IndexWithin(sizes_.size())) {
            doneSize_ += sizes_[index_];
        }
        if (!IndexWithin(pcPaths_.size())) {
            EndTransfer();
            return;
        }
        SetDocumentBar(0);
        const std::wstring& temporary = temporaryFiles_[index_];
        StoreCutText(step_.secondPath, pcPaths_[index_]);
        StoreCutText(step_.firstPath, temporary);
        ShowStatus(IDS_CONVERTING, std::wstring(NamePart(pcPaths_[index_])));
        if (!temporary.empty() && ExistingName(temporary)) {
            step_.size = sizes_[index_];
            step_.kind = DocumentKindOfHandheldName(remoteNames_[index_]);
            PostStep(MSG_IMPORT_CONVERT);
            return;
        }
    }
}

void TransferJob::NextExportConversion() {
    if (unconverted_) {
        NextSend();
        return;
    }
    ++index_;
    UpdateOverallBar(false);
    if (IndexWithin(pcPaths_.size())) {
        doneSize_ += sizes_[index_];
        SetDocumentBar(0);
        const std::wstring& source = pcPaths_[index_];
        step_.kind = DocumentKindOfPcName(source);
        StoreCutText(step_.secondPath, NewTemporaryFile());
        StoreCutText(step_.firstPath, source);
        ShowStatus(IDS_CONVERTING, std::wstring(NamePart(source)));
        step_.size = sizes_[index_];
        PostStep(MSG_EXPORT_CONVERT);
        return;
    }
    SetDocumentBar(100);
    status_.clear();
    ShowLine(status_);
    index_ = -1;
    OpenClip(IDR_CLIP_TRANSFER);
    doneSize_ = 0;
    if (!(environment_.capabilities & CAP_KEEP_GIVEN_SIZES)) {
        total_ = 0;
        for (size_t document = 0; document < sizes_.size(); ++document) {
            sizes_[document] =
                document < temporaryFiles_.size() ? FileSizeOf(temporaryFiles_[document]) : 0;
            total_ += sizes_[document];
        }
    }
    phase_ = 1;
    NextSend();
}

void TransferJob::NextSend() {
    for (;;) {
        ++index_;
        UpdateOverallBar(true);
        if (!IndexWithin(pcPaths_.size())) {
            EndTransfer();
            return;
        }
        doneSize_ += sizes_[index_];
        SetDocumentBar(0);
        const std::wstring& source = pcPaths_[index_];
        step_.kind = unconverted_ ? DocumentKind::None : DocumentKindOfPcName(source);
        StoreCutText(step_.secondPath, remoteNames_[index_]);
        const std::wstring first =
            step_.kind == DocumentKind::None ? source : temporaryFiles_[index_];
        StoreCutText(step_.firstPath, first);
        if (!first.empty() && ExistingName(first)) {
            step_.size = sizes_[index_];
            ShowStatus(IDS_UPLOADING, remoteNames_[index_]);
            PostStep(MSG_SEND);
            return;
        }
    }
}

void TransferJob::NextErase() {
    ++index_;
    SetDocumentBar(static_cast<UINT>(index_));
    if (IndexWithin(remoteNames_.size())) {
        step_.size = 0;
        step_.kind = DocumentKind::None;
        StoreCutText(step_.firstPath, remoteNames_[index_]);
        step_.secondPath[0] = L'\0';
        ShowStatus(IDS_ERASING, remoteNames_[index_]);
        PostStep(MSG_ERASE);
        return;
    }
    status_.clear();
    ShowLine(status_);
    PostMessageW(handle(), WM_CLOSE, CLOSE_MAGIC, 0);
}

void TransferJob::EndTransfer() {
    SetDocumentBar(100);
    SendMessageW(item(IDC_TRANSFER_OVERALL_BAR), PBM_SETPOS, 100, 0);
    status_.clear();
    ShowLine(status_);
    PostMessageW(handle(), WM_CLOSE, CLOSE_MAGIC, 0);
}

// Converters report many times a second; each report is kept, and the dialog
// shows the latest at most every kProgressIntervalMs, so that neither the
// window nor the worker waiting on it spends its time redrawing.
void TransferJob::ShowProgress(WPARAM percent, const wchar_t* text) {
    // Converters also report lines of text at position 0 while they close:
    // within one document the bars never move back.
    pendingPercent_ = std::max(static_cast<uint32_t>(std::min<WPARAM>(percent, 100)),
                               std::max(pendingPercent_, documentPosition_));
    pendingText_ = text ? std::optional<std::wstring>(text) : std::nullopt;
    progressPending_ = true;
    if (GetTickCount() - progressShownAt_ >= kProgressIntervalMs) {
        FlushProgress();
    } else if (!progressTimer_) {
        progressTimer_ = SetTimer(handle(), kProgressTimerId, kProgressIntervalMs, nullptr) != 0;
    }
}

void TransferJob::FlushProgress() {
    if (!progressPending_) {
        return;
    }
    progressPending_ = false;
    progressShownAt_ = GetTickCount();
    SetDocumentBar(pendingPercent_);
    if (total_ != 0 && IndexWithin(sizes_.size())) {
        SendMessageW(item(IDC_TRANSFER_OVERALL_BAR), PBM_SETPOS,
                     OverallDuringStep(Phase(), doneSize_, step_.size, pendingPercent_), 0);
    }
    if (pendingText_) {
        ShowLine(status_ + L" - " + *pendingText_);
        return;
    }
    wchar_t shown[kPathChars] = {};
    GetDlgItemTextW(handle(), IDC_TRANSFER_STATUS, shown, static_cast<int>(kPathChars));
    if (status_ != shown) {
        ShowLine(status_);
    }
}

void TransferJob::StopProgressTimer() {
    if (progressTimer_) {
        KillTimer(handle(), kProgressTimerId);
        progressTimer_ = false;
    }
}

void TransferJob::Finish() {
    if (closing_) {
        return;
    }
    closing_ = true;
    StopProgressTimer();
    for (const std::wstring& temporary : temporaryFiles_) {
        if (!temporary.empty()) {
            DeleteFileW(temporary.c_str());
        }
    }
    for (const DWORD context : contexts_) {
        environment_.releaseContext(context);
    }
    SendMessageW(item(IDC_TRANSFER_ANIMATION), ACM_STOP, 0, 0);
    Sleep(kCloseDelayMs);
    endDialog(TRANSFER_JOB_ENDED);
}

} // namespace quire::sync
