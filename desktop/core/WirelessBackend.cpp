#include "WirelessBackend.h"

#include "MessagePrompts.h"
#include "Messages.h"
#include "RemoteListing.h"
#include "Resource.h"
#include "SharedState.h"
#include "TextConversion.h"

#include <algorithm>

namespace quire::sync {

namespace {

// The error text buffer of the library, in bytes.
constexpr int kErrorTextBytes = 260;

} // namespace

std::optional<std::string> WirelessFolderPath(const std::wstring& remoteFolder) {
    return ToUtf8Path(remoteFolder.empty() ? std::wstring(L"/") : remoteFolder);
}

std::optional<std::string> WirelessPathOfName(const std::wstring& remoteFolder,
                                              const std::wstring& name) {
    if (!IsWirelessEntryName(name)) {
        return std::nullopt;
    }
    return ToUtf8Path(remoteFolder + L'/' + name);
}

// The callbacks run inside the client library: nothing may leave them as an
// exception.  An entry that cannot be kept stops the listing rather than
// leaving a listing that silently lacks it.
int __stdcall AddListedEntry(const char* name, uint32_t size, int32_t kind,
                             void* context) noexcept {
    try {
        auto* listing = static_cast<RemoteListing*>(context);
        const std::optional<std::wstring> wide = FromUtf8Name(name);
        if (listing != nullptr && wide && IsWirelessEntryName(*wide) && IsRemoteEntryKind(kind)) {
            listing->Add(size, static_cast<RemoteEntryKind>(kind), *wide);
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

int __stdcall ReportTransferProgress(uint32_t bytesDone) noexcept {
    // The library calls back for every block it moves; the dialog hears of
    // each new percentage once, since every report is a round trip to it.
    thread_local const TransferStep* lastStep = nullptr;
    thread_local uint64_t lastPercent = 0;
    thread_local uint32_t lastBytes = 0;
    if (TransferStep* step = CurrentStep.load()) {
        const uint64_t percent =
            step->size == 0 ? 100 : std::min<uint64_t>(100, uint64_t{bytesDone} * 100 / step->size);
        // A new step, or a copy started again, reports from its beginning.
        const bool fresh = step != lastStep || bytesDone < lastBytes;
        if (fresh || percent != lastPercent) {
            SendMessageW(step->dialog, MSG_PROGRESS, static_cast<WPARAM>(percent), 0);
        }
        lastStep = step;
        lastPercent = percent;
        lastBytes = bytesDone;
    }
    return ContinueFlag.load();
}

WirelessBackend::WirelessBackend(const WirelessLink& link, const WirelessCredentials& credentials,
                                 HWND mainWindow)
    : link_(link), credentials_(credentials), mainWindow_(mainWindow) {}

void WirelessBackend::SendState(WORD state) const {
    SendMessageW(mainWindow_, WM_COMMAND, MAKEWPARAM(CMD_CONNECTION_STATE, state), 0);
}

void WirelessBackend::Connect() {
    LastLinkKind.store(TARGET_WIRELESS);
    if (WirelessConnected.load() != 0) {
        return;
    }
    SendState(CONNECTION_CONNECTING);
    const bool connected =
        link_.IsLoaded() && link_.Calls().connect(ToAnsi(credentials_.server).c_str(),
                                                  ToAnsi(credentials_.user).c_str(),
                                                  ToAnsi(credentials_.password).c_str()) != 0;
    if (connected) {
        WirelessConnected.store(1);
    } else {
        ShowTextMessage(mainWindow_, IDS_CANNOT_CONNECT_WIRELESS, ErrorText(), kErrorStyle);
    }
    SendState(connected ? CONNECTION_OPEN : CONNECTION_NONE);
    if (connected) {
        List(RemoteFolder());
    }
}

void WirelessBackend::Disconnect() {
    if (WirelessConnected.load() == 0) {
        return;
    }
    if (link_.IsLoaded()) {
        link_.Calls().disconnect();
    }
    WirelessConnected.store(0);
    SendState(CONNECTION_NONE);
}

void WirelessBackend::List(const std::wstring& remoteFolder) {
    if (WirelessConnected.load() == 0 || !link_.IsLoaded()) {
        return;
    }
    SendMessageW(mainWindow_, WM_COMMAND,
                 MAKEWPARAM(CMD_STATUS_TEXT, IDS_READING_WIRELESS_DIRECTORY), 0);
    const std::optional<std::string> folder = WirelessFolderPath(remoteFolder);
    if (!folder) {
        // The connection is sound; only this folder cannot be named to the server.
        ShowMessage(mainWindow_, IDS_REMOTE_PATH_TOO_LONG, kErrorStyle);
        SendMessageW(mainWindow_, WM_COMMAND, MAKEWPARAM(CMD_STATUS_TEXT, 0), 0);
        return;
    }
    RemoteListing listing;
    if (link_.Calls().getFileList(folder->c_str(), AddListedEntry, &listing) != 0) {
        listing.Sort();
        DeliverListing(mainWindow_, listing);
        return;
    }
    ShowTextMessage(mainWindow_, IDS_WIRELESS_CONNECTION_BROKEN, ErrorText(), kErrorStyle);
    Disconnect();
}

bool WirelessBackend::Fetch(const std::wstring& remoteFolder, const std::wstring& name,
                            const std::wstring& pcPath, std::wstring& failure) {
    return OnRemotePath(remoteFolder, name, failure, [&](const char* remote) {
        return link_.Calls().getFile(remote, pcPath.c_str(), ReportTransferProgress);
    });
}

bool WirelessBackend::Send(const std::wstring& pcPath, const std::wstring& remoteFolder,
                           const std::wstring& name, std::wstring& failure) {
    return OnRemotePath(remoteFolder, name, failure, [&](const char* remote) {
        return link_.Calls().sendFile(pcPath.c_str(), remote, ReportTransferProgress);
    });
}

bool WirelessBackend::Erase(const std::wstring& remoteFolder, const std::wstring& name,
                            std::wstring& failure) {
    return OnRemotePath(remoteFolder, name, failure,
                        [&](const char* remote) { return link_.Calls().delFile(remote); });
}

bool WirelessBackend::OnRemotePath(const std::wstring& remoteFolder, const std::wstring& name,
                                   std::wstring& failure,
                                   const std::function<int(const char*)>& call) const {
    const std::optional<std::string> remote = WirelessPathOfName(remoteFolder, name);
    if (!remote) {
        failure = IsWirelessEntryName(name) ? ResourceText(IDS_REMOTE_PATH_TOO_LONG)
                                            : SystemErrorText(ERROR_INVALID_NAME);
        return false;
    }
    if (link_.IsLoaded() && call(remote->c_str()) != 0) {
        return true;
    }
    failure = ErrorText();
    return false;
}

std::wstring WirelessBackend::ErrorText() const {
    return WirelessErrorText(link_);
}

std::wstring WirelessErrorText(const WirelessLink& link) {
    char buffer[kErrorTextBytes] = {};
    if (!link.IsLoaded() || link.Calls().getLastError(buffer, kErrorTextBytes) == 0) {
        return ResourceText(IDS_UNKNOWN_WIRELESS_ERROR);
    }
    buffer[kErrorTextBytes - 1] = '\0';
    return FromAnsi(buffer);
}

} // namespace quire::sync
