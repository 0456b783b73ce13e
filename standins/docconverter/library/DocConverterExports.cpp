// The library's exported entry points (named in DocConverter.def).  No
// exception leaves them: every failure becomes a result code, and the text of
// the last one is kept.
#include "ConversionSession.h"
#include "ConverterInterface.h"
#include "DocumentConversion.h"
#include "LastError.h"

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
    try {
        return quire::CopyErrorText(docconv::lastError(), buffer, size);
    } catch (...) {
        return quire::CopyErrorText({}, buffer, size);
    }
}

} // extern "C"
