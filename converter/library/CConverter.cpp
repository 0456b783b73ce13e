#include "CConverter.h"

#include "WorkbookExporter.h"
#include "WorkbookImporter.h"
#include "WorkbookMembers.h"

using sheaf::AutomationValue;

CConverter::CConverter() {
    if (!application_.create(sheaf::EXCEL_PROG_ID)) {
        MessageBoxA(nullptr, "Couldn't start Excel and get Application object.", nullptr,
                    MB_OK | MB_TASKMODAL);
        return;
    }
    try {
        application_.put(sheaf::DISPID_XL_ASK_TO_UPDATE_LINKS, AutomationValue::boolean(false));
        application_.put(sheaf::DISPID_XL_DISPLAY_ALERTS, AutomationValue::boolean(false));
        workbooks_ = application_.getObject(sheaf::DISPID_XL_WORKBOOKS);
    } catch (const sheaf::AutomationFailure&) {
        // Conversions report the missing collection when they need it.
    }
}

CConverter::CConverter(Attached) : attached_(true) {}

CConverter::~CConverter() {
    if (!attached_) {
        try {
            if (workbooks_) {
                workbooks_.call(sheaf::DISPID_XL_CLOSE);
            }
            if (application_) {
                application_.call(sheaf::DISPID_XL_QUIT);
            }
        } catch (const sheaf::AutomationFailure&) {
            // Nothing more can be done for an application that will not close.
        }
    }
}

std::unique_ptr<CConverter> CConverter::attachTo(IDispatch* workbook) {
    // Owned from the start: the application lookup below may throw.
    std::unique_ptr<CConverter> converter(new CConverter(Attached{}));
    converter->workbook_.attach(workbook, false);
    // Our own reference to the caller's application, released with the
    // converter; the application itself is left running.
    converter->application_ = converter->workbook_.getObject(sheaf::DISPID_XL_APPLICATION);
    return converter;
}

int32_t CConverter::exportTo(const char* sheafPath, ProgressCallback callback) {
    return sheaf::WorkbookExporter(application_, workbook_, callback).exportTo(sheafPath);
}

int32_t CConverter::importFrom(const char* sheafPath, ProgressCallback callback) {
    return sheaf::WorkbookImporter(application_, workbook_, callback).importFrom(sheafPath);
}

long CConverter::Excel2Sheaf(const char* workbookPath, const char* sheafPath,
                             ProgressCallback callback) {
    workbook_ =
        workbooks_.callObject(sheaf::DISPID_XL_OPEN, {AutomationValue::string(workbookPath)});
    return exportTo(sheafPath, callback);
}

long CConverter::Sheaf2Excel(const char* workbookPath, const char* sheafPath,
                             ProgressCallback callback) {
    workbook_ =
        workbooks_.callObject(sheaf::DISPID_XL_ADD, {AutomationValue::int32(sheaf::XL_WORKSHEET)});
    const int32_t result = importFrom(sheafPath, callback);
    workbook_.call(sheaf::DISPID_XL_CLOSE,
                   {AutomationValue::boolean(true), AutomationValue::string(workbookPath),
                    AutomationValue::boolean(false)});
    workbook_.release();
    return result;
}
