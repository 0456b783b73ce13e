#include "DeviceNameCodec.h"
#include "FileChecks.h"
#include "ListControls.h"
#include "MainWindow.h"
#include "MessagePrompts.h"
#include "PaneImages.h"
#include "Resource.h"
#include "WindowState.h"
#include "base/EntryName.h"

#include <cwchar>

// Export, import and remote delete: the window turns the selection into the
// documents of a transfer job, settling names that exist on the other side,
// and runs the job while the worker carries it out.
namespace quire::sync {

namespace {

void ShowIllegalName(HWND owner, UINT formatId, const std::wstring& name) {
    ShowCaptionedMessage(owner, FormatWithName(ResourceText(formatId), name), L"", MB_OK);
}

uint32_t SizeOfItem(HWND list, int index, uint32_t blankSize) {
    const std::wstring text = ListItemSubText(list, index, 1);
    if (text.empty()) {
        return blankSize;
    }
    return ParseSizeText(text).value_or(0);
}

bool IsFolderItem(HWND list, int index) {
    return ListItemImage(list, index) == ImageIndex(ImageRole::Folder);
}

} // namespace

// Rename... gives the new name, unless it changes the extension and the user
// does not confirm that: the name then stays, and is asked about again.
MainWindow::NameChoice MainWindow::AskAboutExisting(const std::wstring& shown, bool cannotReplace,
                                                    std::wstring& name) {
    wchar_t buffer[kPathChars] = {};
    StoreCutText(buffer, shown);
    const INT_PTR answer = environment_.askOverwrite(handle(), buffer, cannotReplace);
    if (answer == IDOK) {
        return NameChoice::Overwrite;
    }
    if (answer != IDC_OVERWRITE_RENAME) {
        return NameChoice::Skip;
    }
    const std::wstring renamed = buffer;
    if (!ExtensionsDiffer(name, renamed) || ConfirmExtensionChange()) {
        name = renamed;
    }
    return NameChoice::Renamed;
}

TransferJob MainWindow::NewJob(TransferJob::Operation operation) const {
    TransferJobEnvironment job;
    job.worker = workerThread_;
    job.capabilities = capabilityWord_;
    job.temporaryFolder = environment_.temporaryFolder;
    return TransferJob(operation, RemoteTarget() == TARGET_WIRELESS, std::move(job));
}

void MainWindow::RunJob(TransferJob& job) {
    job.Run(environment_.instance, GetActiveWindow());
}

bool MainWindow::ConfirmExtensionChange() const {
    return ShowCaptionedMessage(handle(), ResourceText(IDS_CHANGE_EXTENSION), ApplicationTitle(),
                                MB_YESNO | MB_ICONEXCLAMATION | MB_TASKMODAL) == IDYES;
}

std::optional<std::wstring> MainWindow::ExportName(std::wstring name) {
    const bool syncFolder = RemoteTarget() == TARGET_SYNC_FOLDER;
    for (;;) {
        if (syncFolder) {
            name = HandheldNameOfPcName(name);
        }
        if (HasIllegalCharacter(name)) {
            ShowIllegalName(handle(), IDS_ILLEGAL_EXPORT_NAME, name);
            return std::nullopt;
        }
        if (FindListText(remoteList_, name) < 0) {
            return name;
        }
        switch (AskAboutExisting(name, false, name)) {
        case NameChoice::Overwrite:
            return name;
        case NameChoice::Skip:
            return std::nullopt;
        case NameChoice::Renamed:
            break;
        }
    }
}

std::optional<std::wstring> MainWindow::ImportPath(std::wstring name) {
    const bool syncFolder = RemoteTarget() == TARGET_SYNC_FOLDER;
    const std::wstring folder = CurrentLocalFolder;
    for (;;) {
        if (syncFolder) {
            name = PcNameOfHandheldName(name);
        }
        // A device name would send the document to the device, not a file.
        if (HasIllegalCharacter(name) || IsDeviceName(EncodeDeviceName(name))) {
            ShowIllegalName(handle(), IDS_ILLEGAL_IMPORT_NAME, name);
            return std::nullopt;
        }
        const std::wstring path = ChildPath(folder, EncodeDeviceName(name));
        // A cut path would name another file: the document is left out.
        if (path.size() >= kPathChars) {
            ShowMessage(handle(), IDS_REMOTE_PATH_TOO_LONG, kErrorStyle);
            return std::nullopt;
        }
        const std::optional<std::wstring> existing = ExistingName(path);
        if (!existing) {
            return path;
        }
        switch (AskAboutExisting(*existing, !CanReplaceExisting(path), name)) {
        case NameChoice::Overwrite:
            return path;
        case NameChoice::Skip:
            return std::nullopt;
        case NameChoice::Renamed:
            break;
        }
    }
}

void MainWindow::ExportSelection() {
    const std::wstring folder = CurrentLocalFolder;
    // The drives of the My Computer view have no documents to send.
    if (folder.empty()) {
        return;
    }
    TransferJob job = NewJob(TransferJob::Operation::Export);
    for (int index = ListView_GetNextItem(localList_, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(localList_, index, LVNI_SELECTED)) {
        if (IsFolderItem(localList_, index)) {
            continue;
        }
        const std::wstring text = ListItemText(localList_, index);
        const std::optional<std::wstring> name = ExportName(DecodeDeviceName(text));
        if (name) {
            job.AddDocument(ChildPath(folder, text), *name, SizeOfItem(localList_, index, 0));
        }
    }
    if (job.Empty()) {
        return;
    }
    RunJob(job);
    RunCommand(CMD_REFRESH_REMOTE);
    if (RemoteTarget() == TARGET_SYNC_FOLDER && SyncWarningDialog::Wanted(environment_.settings)) {
        SyncWarningDialog warning(environment_.settings);
        warning.Run(environment_.instance, handle());
    }
}

void MainWindow::ImportSelection() {
    if (CurrentLocalFolder[0] == L'\0') {
        return;
    }
    TransferJob job = NewJob(TransferJob::Operation::Import);
    const uint32_t blankSize = (capabilityWord_ & CAP_BLANK_SIZE_IS_ONE) ? 1 : 0;
    for (int index = ListView_GetNextItem(remoteList_, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(remoteList_, index, LVNI_SELECTED)) {
        if (IsFolderItem(remoteList_, index)) {
            continue;
        }
        const std::wstring text = ListItemText(remoteList_, index);
        const std::optional<std::wstring> path = ImportPath(text);
        if (path) {
            job.AddDocument(*path, text, SizeOfItem(remoteList_, index, blankSize));
        }
    }
    if (job.Empty() || !ProbeImportDestinations(job)) {
        return;
    }
    // The pane is listed once at the end, not once for every document that
    // lands in the folder while the job runs.
    watch_->ownChangePending = true;
    RunJob(job);
    watch_->ownChangePending = false;
    RunCommand(ID_LOCAL_RELIST);
}

bool MainWindow::ProbeImportDestinations(const TransferJob& job) {
    const std::vector<std::wstring>& paths = job.PcPaths();
    const std::wstring* chosen = &paths.front();
    for (const std::wstring& path : paths) {
        if (!IsReadOnlyFile(path)) {
            chosen = &path;
            break;
        }
    }
    const DWORD error = ProbeFileWrite(*chosen);
    if (error == 0) {
        return true;
    }
    ShowTextMessage(handle(), IDS_CANNOT_WRITE_TO_DEVICE, SystemErrorText(error), kErrorStyle);
    return false;
}

void MainWindow::DeleteRemoteSelection() {
    TransferJob job = NewJob(TransferJob::Operation::Delete);
    for (int index = ListView_GetNextItem(remoteList_, -1, LVNI_SELECTED); index >= 0;
         index = ListView_GetNextItem(remoteList_, index, LVNI_SELECTED)) {
        job.AddRemoteName(ListItemText(remoteList_, index));
    }
    if (job.Empty()) {
        return;
    }
    std::wstring question;
    if (job.Count() == 1) {
        question = FormatWithName(ResourceText(IDS_CONFIRM_DELETE_ONE), job.RemoteNames().front());
    } else {
        question = ResourceText(IDS_CONFIRM_DELETE_MANY);
        const size_t mark = question.find(L"%d");
        if (mark != std::wstring::npos) {
            question.replace(mark, 2, std::to_wstring(job.Count()));
        }
    }
    if (ShowCaptionedMessage(handle(), question, ApplicationTitle(), MB_YESNO | MB_ICONQUESTION) !=
        IDYES) {
        return;
    }
    RunJob(job);
    RunCommand(CMD_REFRESH_REMOTE);
}

} // namespace quire::sync
