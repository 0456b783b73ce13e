#pragma once

#include "AutomationObject.h"
#include "ConverterInterface.h"

#include <memory>

#ifdef SHEAFCONV_BUILDING
#define SHEAFCONV_CLASS __declspec(dllexport)
#else
#define SHEAFCONV_CLASS __declspec(dllimport)
#endif

// A session with the spreadsheet application for converting workbook files,
// or a converter attached to a workbook the caller already has open.
class CConverter {
public:
    // Starts the application; when that fails a message box says so and the
    // object has no application.
    SHEAFCONV_CLASS CConverter();
    SHEAFCONV_CLASS ~CConverter();
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    // Both throw the automation layer's failures and SheafError.
    SHEAFCONV_CLASS long Excel2Sheaf(const char* workbookPath, const char* sheafPath,
                                     ProgressCallback callback);
    SHEAFCONV_CLASS long Sheaf2Excel(const char* workbookPath, const char* sheafPath,
                                     ProgressCallback callback);

    // A converter on the caller's workbook: it releases neither the workbook
    // nor the application, and does not quit the application.
    static std::unique_ptr<CConverter> attachTo(IDispatch* workbook);
    bool hasApplication() const { return static_cast<bool>(application_); }

    int32_t exportTo(const char* sheafPath, ProgressCallback callback);
    int32_t importFrom(const char* sheafPath, ProgressCallback callback);

private:
    struct Attached {};
    explicit CConverter(Attached);

    sheaf::AutomationObject application_;
    sheaf::AutomationObject workbooks_;
    sheaf::AutomationObject workbook_;
    bool attached_ = false;
};
