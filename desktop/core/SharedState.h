#pragma once

#include "DocumentKind.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <string>

// The process-wide values that the user-interface thread and the transfer worker
// share.  Each is written by one side only, in a fixed order, so no lock guards
// them; the flags are atomic words so that each read sees a whole value.
namespace quire::sync {

// Size of every path and list text buffer of the program, terminator included.
inline constexpr size_t kPathChars = MAX_PATH;

// The step of a transfer in progress, filled by the transfer job between steps
// and read by the worker while it works on the step it was posted for.
struct TransferStep {
    wchar_t firstPath[kPathChars] = {};
    wchar_t secondPath[kPathChars] = {};
    HWND dialog = nullptr;
    DWORD size = 0;
    DWORD context = 0;
    DocumentKind kind = DocumentKind::None;
};

// Remote targets: the first character of the remote location.
inline constexpr wchar_t TARGET_RETIRED = L'0';
inline constexpr wchar_t TARGET_WIRELESS = L'1';
inline constexpr wchar_t TARGET_SYNC_FOLDER = L'2';

// 1 while a transfer may go on, 0 after Cancel.
extern std::atomic<LONG> ContinueFlag;
// 1 while the wireless server is connected; written by the worker only.
extern std::atomic<LONG> WirelessConnected;
// TARGET_WIRELESS once a wireless connect has been attempted, else TARGET_SYNC_FOLDER.
extern std::atomic<wchar_t> LastLinkKind;
// The step the worker works on; progress callbacks report to its dialog.
extern std::atomic<TransferStep*> CurrentStep;

// The remote target character followed by the remote folder ("/A/B", or empty
// for the top folder).
extern wchar_t RemoteLocation[kPathChars];
// Root of the device sync folder on the PC.
extern wchar_t SyncFolderRoot[kPathChars];

wchar_t RemoteTarget();
std::wstring RemoteFolder();

// Copies text into one of the fixed buffers above; false, leaving the buffer as
// it was, when the text does not fit.
bool StoreFixedText(wchar_t (&buffer)[kPathChars], const std::wstring& text);
// Copies as much of the text as fits, always terminated.
void StoreCutText(wchar_t (&buffer)[kPathChars], const std::wstring& text);

} // namespace quire::sync
