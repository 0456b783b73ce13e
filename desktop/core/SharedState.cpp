#include "SharedState.h"

#include <algorithm>

#include <cwchar>

namespace quire::sync {

std::atomic<LONG> ContinueFlag{1};
std::atomic<LONG> WirelessConnected{0};
std::atomic<wchar_t> LastLinkKind{TARGET_SYNC_FOLDER};
std::atomic<TransferStep*> CurrentStep{nullptr};

wchar_t RemoteLocation[kPathChars] = {};
wchar_t SyncFolderRoot[kPathChars] = {};

wchar_t RemoteTarget() {
    return RemoteLocation[0];
}

std::wstring RemoteFolder() {
    return RemoteLocation[0] == L'\0' ? std::wstring() : std::wstring(RemoteLocation + 1);
}

bool StoreFixedText(wchar_t (&buffer)[kPathChars], const std::wstring& text) {
    if (text.size() >= kPathChars || text.find(L'\0') != std::wstring::npos) {
        return false;
    }
    wmemcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

void StoreCutText(wchar_t (&buffer)[kPathChars], const std::wstring& text) {
    const size_t length = std::min(text.size(), kPathChars - 1);
    std::wmemcpy(buffer, text.c_str(), length);
    buffer[length] = L'\0';
}

} // namespace quire::sync
