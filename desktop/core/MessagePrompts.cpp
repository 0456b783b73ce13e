#include "MessagePrompts.h"

#include "ConverterLibrary.h"
#include "Resource.h"
#include "SharedState.h"
#include "TextConversion.h"
#include "base/SystemText.h"

#include <atomic>

namespace quire::sync {

namespace {

std::atomic<MessagePrompter*> installedPrompter{nullptr};

int PromptWithCaption(HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT style) {
    if (MessagePrompter* prompter = installedPrompter.load()) {
        return prompter->Show(owner, text, caption, style);
    }
    return MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

int Prompt(HWND owner, const std::wstring& text, UINT style) {
    return PromptWithCaption(owner, text, ApplicationTitle(), style);
}

std::wstring WithDetail(UINT stringId, const std::wstring& detail) {
    std::wstring text = ResourceText(stringId);
    if (!detail.empty()) {
        text += L'\n';
        text += detail;
    }
    return text;
}

// The last error text of SheafConv when another part of the process has it loaded.
std::wstring LoadedSheafConvErrorText() {
    HMODULE module = GetModuleHandleW(L"SheafConv.dll");
    auto lastError = module ? reinterpret_cast<GetLastErrorStringFunction>(
                                  GetProcAddress(module, "GetLastErrorString"))
                            : nullptr;
    if (lastError == nullptr) {
        return SystemErrorText(static_cast<DWORD>(E_FAIL));
    }
    char buffer[kPathChars] = {};
    lastError(buffer, static_cast<int>(kPathChars));
    buffer[kPathChars - 1] = '\0';
    return FromAnsi(buffer);
}

} // namespace

int ShowCaptionedMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                         UINT style) {
    return PromptWithCaption(owner, text, caption, style);
}

void SetMessagePrompter(MessagePrompter* prompter) {
    installedPrompter.store(prompter);
}

std::wstring ResourceText(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero size LoadStringW lends the resource's own read-only text.
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring ApplicationTitle() {
    return ResourceText(IDS_APPLICATION_TITLE);
}

std::wstring SystemErrorText(DWORD code) {
    return SystemMessageText(code);
}

std::wstring ConverterErrorText(int32_t code, const ConverterLibrary* source) {
    switch (code) {
    case SHEAF_E_DATA:
        return ResourceText(IDS_INVALID_SHEAF_FILE);
    case SHEAF_E_EXCEL:
        return ResourceText(IDS_EXCEL_ERROR);
    case SHEAF_E_CANCELLED:
        return ResourceText(IDS_INTERRUPTED_BY_USER);
    case SHEAF_E_FAILED:
        return source ? source->LastErrorText() : LoadedSheafConvErrorText();
    default:
        return SystemErrorText(static_cast<DWORD>(code));
    }
}

int ShowMessage(HWND owner, UINT stringId, UINT style) {
    std::wstring text = ResourceText(stringId);
    if (text.size() >= kPathChars) {
        text.resize(kPathChars - 1);
    }
    return Prompt(owner, text, style);
}

int ShowTextMessage(HWND owner, UINT stringId, const std::wstring& text, UINT style) {
    return Prompt(owner, ResourceText(stringId) + L'\n' + text, style);
}

int ShowCodeMessage(HWND owner, int32_t code, UINT stringId, UINT style,
                    const ConverterLibrary* source) {
    return Prompt(owner, WithDetail(stringId, ConverterErrorText(code, source)), style);
}

} // namespace quire::sync
