#include "ApplicationSession.h"

#include "LastError.h"
#include "SheafConv.h"
#include "SheafError.h"
#include "WorkbookMembers.h"
#include "base/UniqueHandle.h"

#include <cstdio>
#include <vector>

namespace sheaf {
namespace {

// Sessions speak to the application in its English form.
constexpr LCID kSessionLocale = 1033;

} // namespace

bool fileIsReadable(const char* path) {
    if (!path) {
        return false;
    }
    quire::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

ApplicationSession::~ApplicationSession() {
    // Every reference goes before COM is uninitialised.
    workbook_.reset();
    workbooks_.reset();
    application_.reset();
    if (comInitialised_) {
        CoUninitialize();
    }
}

void ApplicationSession::say(const char* text) const {
    if (callback_) {
        callback_(0, text, nullptr);
    }
}

void ApplicationSession::printResult(long code) {
    std::printf("Operation Result = %ld\n", code);
    std::fflush(stdout);
}

int32_t ApplicationSession::fail(int32_t code, const char* text) {
    setLastError(text);
    return code;
}

HRESULT ApplicationSession::invoke(IDispatch* object, DISPID id, WORD flags,
                                   std::initializer_list<AutomationValue> args, VARIANT* result) {
    std::vector<VARIANT> reversed(args.size());
    size_t i = args.size();
    for (const AutomationValue& arg : args) {
        reversed[--i] = arg.get();
    }
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &named : nullptr,
                      static_cast<UINT>(reversed.size()), put ? 1u : 0u};
    EXCEPINFO exception{};
    const HRESULT hr =
        object->Invoke(id, IID_NULL, kSessionLocale, flags, &params, result, &exception, nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

HRESULT ApplicationSession::getObject(IDispatch* object, DISPID id,
                                      quire::com::ComPtr<IDispatch>& target,
                                      std::initializer_list<AutomationValue> args, WORD flags) {
    AutomationValue result;
    HRESULT hr = invoke(object, id, flags, args, result.put());
    if (SUCCEEDED(hr) && V_VT(&result.get()) == VT_DISPATCH && V_DISPATCH(&result.get())) {
        target = quire::com::ComPtr<IDispatch>(V_DISPATCH(&result.get()));
    } else if (SUCCEEDED(hr)) {
        hr = E_POINTER; // the application gave no object
    }
    return hr;
}

HRESULT ApplicationSession::startApplication() {
    comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
    say("Starting MS Excel...");
    const HRESULT hr =
        CoCreateInstance(applicationClass_, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         IID_IDispatch, application_.putVoid());
    printResult(hr);
    if (SUCCEEDED(hr) && !application_) {
        return E_POINTER;
    }
    return hr;
}

void ApplicationSession::closeWorkbook(bool save, const char* path) {
    const HRESULT hr = save ? invoke(workbook_.get(), DISPID_XL_CLOSE, DISPATCH_METHOD,
                                     {AutomationValue::boolean(true), AutomationValue::string(path),
                                      AutomationValue::boolean(false)})
                            : invoke(workbook_.get(), DISPID_XL_CLOSE, DISPATCH_METHOD,
                                     {AutomationValue::boolean(false)});
    printResult(hr);
    if (SUCCEEDED(hr) || !save) {
        workbook_.reset();
    }
}

void ApplicationSession::closeAll() {
    if (workbooks_) {
        say("Closing workbooks...");
        printResult(invoke(workbooks_.get(), DISPID_XL_CLOSE, DISPATCH_METHOD, {}));
    }
    if (application_) {
        say("Exiting MS Excel...");
        printResult(invoke(application_.get(), DISPID_XL_QUIT, DISPATCH_METHOD, {}));
    }
    workbooks_.reset();
    application_.reset();
}

int32_t ApplicationSession::checkDestination(int32_t result, const char* destinationPath) {
    if (!fileIsReadable(destinationPath)) {
        setLastError("Result file is not exist");
        say("Result file is not exist");
        return SHEAF_E_FAILED;
    }
    say("Result file is present");
    return result;
}

bool ApplicationSession::sourceIsReadable(const char* sourcePath) {
    if (fileIsReadable(sourcePath)) {
        return true;
    }
    setLastError("Cannot find source file");
    say("Cannot find source file");
    return false;
}

// The steps both sessions begin with: the application, its options and its
// Workbooks collection.  Returns 0, or the session's failure code.
int32_t ApplicationSession::openWorkbooks(bool exporting) {
    if (FAILED(startApplication())) {
        return fail(SHEAF_E_FAILED, "Error starting MS Excel");
    }
    invoke(application_.get(), DISPID_XL_DISPLAY_ALERTS, DISPATCH_PROPERTYPUT,
           {AutomationValue::boolean(false)});
    if (exporting) {
        invoke(application_.get(), DISPID_XL_ASK_TO_UPDATE_LINKS, DISPATCH_PROPERTYPUT,
               {AutomationValue::boolean(false)});
    }
    say("Getting workbooks properties...");
    const HRESULT hr = getObject(application_.get(), DISPID_XL_WORKBOOKS, workbooks_);
    printResult(hr);
    return FAILED(hr) ? fail(SHEAF_E_FAILED, "Error communicating to MSExcel") : 0;
}

// The steps both sessions end with, whatever happened before.
int32_t ApplicationSession::finish(int32_t result, const char* destinationPath) {
    closeAll();
    if (comInitialised_) {
        CoUninitialize();
        comInitialised_ = false;
    }
    return checkDestination(result, destinationPath);
}

int32_t ApplicationSession::exportWorkbook(const char* sourcePath, const char* destinationPath) {
    if (!sourceIsReadable(sourcePath)) {
        return SHEAF_E_FAILED;
    }
    int32_t result = openWorkbooks(true);
    if (result == 0) {
        say("Opening workbooks...");
        const AutomationValue omitted = AutomationValue::omitted();
        const HRESULT hr =
            getObject(workbooks_.get(), DISPID_XL_OPEN, workbook_,
                      {AutomationValue::string(sourcePath), AutomationValue::int32(0),
                       AutomationValue::boolean(true), omitted, omitted, omitted, omitted, omitted,
                       omitted, AutomationValue::boolean(false), omitted, omitted, omitted},
                      DISPATCH_METHOD);
        printResult(hr);
        if (FAILED(hr)) {
            result = fail(SHEAF_E_FAILED, "Error communicating to MSExcel");
        } else {
            say("Exporting data...");
            result = Sheaf_ExportTo(workbook_.get(), destinationPath, callback_, nullptr);
            printResult(result);
        }
    }
    if (workbook_) {
        say("Closing Workbook...");
        closeWorkbook(false, nullptr);
    }
    return finish(result, destinationPath);
}

int32_t ApplicationSession::importWorkbook(const char* sourcePath, const char* destinationPath) {
    if (!sourceIsReadable(sourcePath)) {
        return SHEAF_E_FAILED;
    }
    int32_t result = openWorkbooks(false);
    if (result == 0) {
        say("Adding new workbook...");
        const HRESULT hr =
            getObject(workbooks_.get(), DISPID_XL_ADD, workbook_, {}, DISPATCH_METHOD);
        printResult(hr);
        if (FAILED(hr)) {
            result = fail(SHEAF_E_FAILED, "Cannot add new workbook");
        } else {
            say("Importing data...");
            result = Sheaf_ImportFrom(sourcePath, workbook_.get(), callback_, nullptr);
            printResult(result);
            if (result >= 0) {
                say("Saving changes...");
                closeWorkbook(true, destinationPath);
                if (workbook_) {
                    result = fail(SHEAF_E_FAILED, "Cannot save MS Excel file");
                }
            }
        }
    }
    if (workbook_) {
        say("Closing workbook...");
        closeWorkbook(false, nullptr);
    }
    printResult(result);
    return finish(result, destinationPath);
}

} // namespace sheaf
