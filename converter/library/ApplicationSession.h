#pragma once

#include "AutomationValue.h"
#include "ConverterInterface.h"
#include "com/ComPtr.h"

#include <windows.h>

#include <cstdint>
#include <initializer_list>

namespace sheaf {

// One run of the spreadsheet application for a file-to-file conversion.  The
// steps call the application's dispatch interface directly and look at each
// status code instead of catching failures; each step's code is written to
// standard output as "Operation Result = <code>".
// The application's class: {00024500-0000-0000-C000-000000000046}.
inline constexpr CLSID kApplicationClass = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class ApplicationSession {
public:
    explicit ApplicationSession(ProgressCallback callback,
                                const CLSID& applicationClass = kApplicationClass)
        : callback_(callback), applicationClass_(applicationClass) {}
    ~ApplicationSession();
    ApplicationSession(const ApplicationSession&) = delete;
    ApplicationSession& operator=(const ApplicationSession&) = delete;

    // Workbook file to handheld file, and back.
    int32_t exportWorkbook(const char* sourcePath, const char* destinationPath);
    int32_t importWorkbook(const char* sourcePath, const char* destinationPath);

private:
    bool sourceIsReadable(const char* sourcePath);
    HRESULT startApplication();
    int32_t openWorkbooks(bool exporting);
    int32_t finish(int32_t result, const char* destinationPath);
    HRESULT invoke(IDispatch* object, DISPID id, WORD flags,
                   std::initializer_list<AutomationValue> args, VARIANT* result = nullptr);
    HRESULT getObject(IDispatch* object, DISPID id, quire::com::ComPtr<IDispatch>& target,
                      std::initializer_list<AutomationValue> args = {},
                      WORD flags = DISPATCH_PROPERTYGET);
    void closeWorkbook(bool save, const char* path);
    void closeAll();
    int32_t fail(int32_t code, const char* text);
    int32_t checkDestination(int32_t result, const char* destinationPath);
    void say(const char* text) const;
    static void printResult(long code);

    ProgressCallback callback_;
    CLSID applicationClass_;
    bool comInitialised_ = false;
    quire::com::ComPtr<IDispatch> application_;
    quire::com::ComPtr<IDispatch> workbooks_;
    quire::com::ComPtr<IDispatch> workbook_;
};

// True when the file can be opened for reading, others allowed to read.
bool fileIsReadable(const char* path);

} // namespace sheaf
