// The library's exported entry points.  No exception leaves them: every
// failure becomes a result code, and the text of the last one is kept.
#include "SheafConv.h"

#include "ApplicationSession.h"
#include "AutomationFailure.h"
#include "CConverter.h"
#include "LastError.h"
#include "SheafError.h"

#include <memory>
#include <new>

namespace {

// Runs a conversion on the caller's workbook and maps whatever it throws.
template <typename Conversion> int convertAttached(IDispatch* workbook, Conversion conversion) {
    try {
        if (!workbook) {
            return sheaf::SHEAF_E_UNEXPECTED;
        }
        const std::unique_ptr<CConverter> converter = CConverter::attachTo(workbook);
        if (!converter->hasApplication()) {
            return sheaf::SHEAF_E_UNEXPECTED;
        }
        return conversion(*converter);
    } catch (const sheaf::SheafError& error) {
        return error.code();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const sheaf::AutomationFailure& failure) {
        if (failure.kind() == sheaf::AutomationFailure::Kind::Dispatch &&
            !failure.description().empty()) {
            sheaf::setLastError(failure.description());
            return sheaf::SHEAF_E_FAILED;
        }
        return failure.code();
    } catch (...) {
        return sheaf::SHEAF_E_UNEXPECTED;
    }
}

template <typename Session> int runSession(Session session) {
    try {
        return session();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return sheaf::SHEAF_E_UNEXPECTED;
    }
}

} // namespace

extern "C" {

__declspec(dllexport) int SHEAF_CALL
    Sheaf_ExportTo(IDispatch* workbook, const char* sheafPath, ProgressCallback callback, void*) {
    return convertAttached(
        workbook, [&](CConverter& converter) { return converter.exportTo(sheafPath, callback); });
}

__declspec(dllexport) int SHEAF_CALL
    Sheaf_ImportFrom(const char* sheafPath, IDispatch* workbook, ProgressCallback callback, void*) {
    return convertAttached(
        workbook, [&](CConverter& converter) { return converter.importFrom(sheafPath, callback); });
}

__declspec(dllexport) int SHEAF_CALL
    DeviceExport(const char* sourcePath, const char* destinationPath, ProgressCallback callback,
                 void*) {
    return runSession([&] {
        return sheaf::ApplicationSession(callback).exportWorkbook(sourcePath, destinationPath);
    });
}

__declspec(dllexport) int SHEAF_CALL
    DeviceImport(const char* sourcePath, const char* destinationPath, ProgressCallback callback,
                 void*) {
    return runSession([&] {
        return sheaf::ApplicationSession(callback).importWorkbook(sourcePath, destinationPath);
    });
}

__declspec(dllexport) int SHEAF_CALL GetLastErrorString(char* buffer, int size) {
    try {
        return quire::CopyErrorText(sheaf::lastError(), buffer, size);
    } catch (...) {
        return quire::CopyErrorText({}, buffer, size);
    }
}

} // extern "C"
