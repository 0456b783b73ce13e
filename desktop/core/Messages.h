#pragma once

#include <windows.h>

// Private messages and commands between the main window, the transfer jobs and
// the transfer worker.
namespace quire::sync {

// Transfer steps, posted by a transfer job to the worker with the step's address
// as lParam and answered by the worker with the same message.
inline constexpr UINT MSG_FETCH = WM_USER + 4;
inline constexpr UINT MSG_IMPORT_CONVERT = WM_USER + 5;
inline constexpr UINT MSG_PROGRESS = WM_USER + 6;
inline constexpr UINT MSG_EXPORT_CONVERT = WM_USER + 7;
inline constexpr UINT MSG_SEND = WM_USER + 8;
inline constexpr UINT MSG_ERASE = WM_USER + 9;

// Sent to the main window: wParam the RemoteListing, lParam -1.
inline constexpr UINT WM_REMOTE_LISTING = MSG_FETCH;

// WM_COMMAND identifiers.
inline constexpr WORD CMD_CONNECTION_STATE = 120;
inline constexpr WORD CMD_STATUS_TEXT = 121;
inline constexpr WORD CMD_REFRESH_REMOTE = 122;
inline constexpr WORD CMD_CONNECT_WIRELESS = 127;
inline constexpr WORD CMD_DISCONNECT_WIRELESS = 128;

// The high word of CMD_CONNECTION_STATE.
enum ConnectionState : WORD {
    CONNECTION_NONE = 0,
    CONNECTION_CONNECTING = 1,
    CONNECTION_OPEN = 2,
};

// wParam of the only WM_CLOSE that ends a transfer job.
inline constexpr WPARAM CLOSE_MAGIC = 0xDEADBEAF;

} // namespace quire::sync
