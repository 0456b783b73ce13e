#include "ConversionSession.h"

#include "DocumentError.h"
#include "FileAccess.h"
#include "LastError.h"

#include <windows.h>

#include <new>

namespace docconv {

namespace {

constexpr int kFailed = -10000;
constexpr int kCancelled = -9000;
constexpr const char* kStoppedText = "Conversion stopped by the user";

std::string systemText(DWORD error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? std::string(buffer, length) : "error " + std::to_string(error);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

} // namespace

int ConversionSession::run(Conversion conversion, const char* sourcePath,
                           const char* destinationPath) {
    try {
        return convert(conversion, sourcePath, destinationPath);
    } catch (const DocumentError& error) {
        return failure(error.kind() == FailureKind::Cancelled ? kCancelled : kFailed, error.what());
    } catch (const std::bad_alloc&) {
        return failure(E_OUTOFMEMORY, "Not enough memory to convert the document");
    } catch (...) {
        return failure(E_FAIL, "Unexpected failure while converting the document");
    }
}

int ConversionSession::convert(Conversion conversion, const char* sourcePath,
                               const char* destinationPath) {
    std::vector<uint8_t> source;
    const DWORD readError =
        sourcePath ? readWholeFile(sourcePath, source) : ERROR_INVALID_PARAMETER;
    if (readError == ERROR_FILE_NOT_FOUND || readError == ERROR_PATH_NOT_FOUND ||
        readError == ERROR_INVALID_PARAMETER || readError == ERROR_INVALID_NAME) {
        return failure(kFailed, "Cannot find source file");
    }
    if (readError != 0) {
        return failure(kFailed, "Cannot read source file: " + systemText(readError));
    }
    const auto progress = [this](int percent) { return report(percent, "Converting document..."); };
    if (!progress(0)) {
        return failure(kCancelled, kStoppedText);
    }
    const std::vector<uint8_t> result = conversion(source, progress);
    if (!report(100, "Saving result file...")) {
        return failure(kCancelled, kStoppedText);
    }
    const DWORD writeError =
        destinationPath ? replaceFile(destinationPath, result) : ERROR_INVALID_PARAMETER;
    if (writeError != 0) {
        return failure(kFailed, "Cannot write result file: " + systemText(writeError));
    }
    report(100, "Result file is present");
    return 0;
}

int ConversionSession::failure(int code, const std::string& text) {
    setLastError(text);
    report(0, text.c_str());
    return code;
}

bool ConversionSession::report(int32_t position, const char* text) {
    return callback_ == nullptr || callback_(position, text, nullptr) != 0;
}

} // namespace docconv
