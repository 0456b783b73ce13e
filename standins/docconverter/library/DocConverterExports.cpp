// The library's exported entry points (named in DocConverter.def).  No
// exception leaves them: every failure becomes a result code, and the text of
// the last one is kept.
#include "ConversionSession.h"
#include "ConverterInterface.h"
#include "DocumentConversion.h"
#include "LastError.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kLastErrorLimit = 1023;

} // namespace

extern "C" {

int SHEAF_CALL DeviceExport(const char* sourcePath, const char* destinationPath,
                            ProgressCallback callback, void*) {
    return docconv::ConversionSession(callback).run(docconv::wordToHandheld, sourcePath,
                                                    destinationPath);
}

int SHEAF_CALL DeviceImport(const char* sourcePath, const char* destinationPath,
                            ProgressCallback callback, void*) {
    return docconv::ConversionSession(callback).run(docconv::handheldToWord, sourcePath,
                                                    destinationPath);
}

int SHEAF_CALL GetLastErrorString(char* buffer, int size) {
    if (!buffer || size < 1) {
        return 0;
    }
    try {
        const std::string text = docconv::lastError();
        const int count = std::min({size - 1, kLastErrorLimit, static_cast<int>(text.size())});
        std::memcpy(buffer, text.data(), static_cast<size_t>(count));
        buffer[count] = '\0';
        return count;
    } catch (...) {
        buffer[0] = '\0';
        return 0;
    }
}

} // extern "C"
