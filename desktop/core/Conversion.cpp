#include "Conversion.h"

#include "MessagePrompts.h"
#include "Messages.h"
#include "Resource.h"
#include "TextConversion.h"

#include <optional>

namespace quire::sync {

namespace {

// Called from inside the converter library: nothing may leave it as an
// exception.  A report that cannot be made is dropped; the conversion goes on.
// Converters report many times a second: a report within kReportIntervalMs
// of the last one sent is dropped, each report sent costing a round trip to
// the window's thread while the conversion waits.  The marks of the end of a
// conversion (codes 100 and beyond) are always sent.
constexpr DWORD kReportIntervalMs = 50;

// When the last report of the conversion running on this thread was sent;
// nothing before its first.
thread_local std::optional<DWORD> lastReportSentAt;

bool WorthSending(int32_t code) {
    const DWORD now = GetTickCount();
    if (code < PROGRESS_CONVERTED && lastReportSentAt &&
        now - *lastReportSentAt < kReportIntervalMs) {
        return false;
    }
    lastReportSentAt = now;
    return true;
}

int32_t ReportProgress(int32_t code, int32_t position, const char* text) noexcept {
    TransferStep* step = CurrentStep.load();
    if (step != nullptr && WorthSending(code)) {
        try {
            const std::wstring wide = text ? FromAnsi(text) : std::wstring();
            SendMessageW(step->dialog, MSG_PROGRESS, static_cast<WPARAM>(position),
                         text ? reinterpret_cast<LPARAM>(wide.c_str()) : 0);
        } catch (...) {
        }
    }
    return ContinueFlag.load();
}

int32_t ImportBarPosition(int32_t code) {
    if (code == PROGRESS_CONVERTED) {
        return 98;
    }
    if (code == PROGRESS_SAVING) {
        return 99;
    }
    return code > PROGRESS_CONVERTED ? 100 : code;
}

void ShowConversionFailure(const ConverterLibrary* library, int32_t code, HWND owner) {
    if (library != nullptr && code == CONVERTER_E_NOT_BOUND) {
        ShowTextMessage(owner, IDS_ERROR_CONVERTING_FILE, library->LastErrorText(), kErrorStyle);
    } else {
        ShowCodeMessage(owner, code, IDS_ERROR_CONVERTING_FILE, kErrorStyle, library);
    }
}

using ConvertFunction = int32_t (ConverterLibrary::*)(const std::wstring&, const std::wstring&,
                                                      ProgressCallback, DWORD);

int32_t RunConverter(const ConverterTable& converters, DocumentKind kind, ConvertFunction convert,
                     ProgressCallback progress, const TransferStep& step) {
    lastReportSentAt.reset();
    ConverterLibrary* library = converters.Find(kind);
    const int32_t result =
        library ? (library->*convert)(step.firstPath, step.secondPath, progress, step.context)
                : CONVERTER_E_NOT_BOUND;
    if (result < 0 && ContinueFlag.load() == 1) {
        ShowConversionFailure(library, result, step.dialog);
    }
    return result;
}

} // namespace

int32_t SHEAF_CALL ImportProgress(int32_t code, const char* text, void*) noexcept {
    return ReportProgress(code, ImportBarPosition(code), text);
}

int32_t SHEAF_CALL ExportProgress(int32_t code, const char* text, void*) noexcept {
    return ReportProgress(code, code, text);
}

int ConvertToPc(const ConverterTable& converters, DocumentKind kind, const TransferStep& step) {
    const int32_t result =
        RunConverter(converters, kind, &ConverterLibrary::DeviceImport, ImportProgress, step);
    if (result >= 0) {
        char saving[kPathChars] = {};
        if (LoadStringA(GetModuleHandleW(nullptr), IDS_SAVING_FILE, saving,
                        static_cast<int>(kPathChars)) > 0) {
            ImportProgress(PROGRESS_SAVING, saving, nullptr);
        }
    }
    ImportProgress(PROGRESS_IMPORT_DONE, "", nullptr);
    return result >= 0 ? 1 : 0;
}

int ConvertToHandheld(const ConverterTable& converters, DocumentKind kind,
                      const TransferStep& step) {
    const int32_t result =
        RunConverter(converters, kind, &ConverterLibrary::DeviceExport, ExportProgress, step);
    ExportProgress(PROGRESS_CONVERTED, "", nullptr);
    return result >= 0 ? 1 : 0;
}

} // namespace quire::sync
