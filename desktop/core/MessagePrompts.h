#pragma once

#include <windows.h>

#include <string>

// Every failure message of the program goes through these routines.  They show
// a message box with the application title as caption and return the button
// pressed; tests put a MessagePrompter of their own in its place.
namespace quire::sync {

class ConverterLibrary;

class MessagePrompter {
public:
    virtual ~MessagePrompter() = default;
    virtual int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
                     UINT style) = 0;
};

// Replaces the message box for the whole process; null restores it.
void SetMessagePrompter(MessagePrompter* prompter);

// The string resource with this id, or an empty text.
std::wstring ResourceText(UINT id);
std::wstring ApplicationTitle();

// The system's text for a status or error code, without its line end; empty when
// the system has none.
std::wstring SystemErrorText(DWORD code);

// The text that follows a failed conversion's message: the converter codes have
// texts of their own, every other code the system's text.  The last error text of
// a failed converter comes from the library that failed when it is known.
std::wstring ConverterErrorText(int32_t code, const ConverterLibrary* source = nullptr);

int ShowMessage(HWND owner, UINT stringId, UINT style);
// A message under a caption of its own.
int ShowCaptionedMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                         UINT style);
int ShowTextMessage(HWND owner, UINT stringId, const std::wstring& text, UINT style);
int ShowCodeMessage(HWND owner, int32_t code, UINT stringId, UINT style,
                    const ConverterLibrary* source = nullptr);

// The styles of a plain failure and of a failed copy or delete.
inline constexpr UINT kErrorStyle = MB_ICONHAND | MB_TASKMODAL;
inline constexpr UINT kRetryStyle = MB_ABORTRETRYIGNORE | MB_ICONHAND | MB_TASKMODAL;

} // namespace quire::sync
