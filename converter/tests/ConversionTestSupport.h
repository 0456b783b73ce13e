#pragma once

#include "AutomationObject.h"
#include "ConverterInterface.h"
#include "WorkbookMembers.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Shared by the conversion and library tests: a scratch folder, a workbook in
// the spreadsheet application stand-in, and a progress recorder.
namespace sheaf::testing {

using V = AutomationValue;

// Every progress report of the running conversion, in order.
class ProgressLog {
public:
    // The callback answers 0 (stop) at the report whose text is `stopAt`.
    static void start(std::string stopAt = {});
    static const std::vector<std::pair<int32_t, std::string>>& reports();
    static std::vector<std::string> texts();
    static int32_t __stdcall callback(int32_t position, const char* text, void* reserved);
};

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string path(const char* name) const { return folder_ + "\\" + name; }
    static bool exists(const std::string& path);

private:
    std::string folder_;
};

// A running application with one new workbook of one worksheet.
class WorkbookSession {
public:
    WorkbookSession();
    ~WorkbookSession();

    AutomationObject worksheet(int32_t index) const;
    AutomationObject addWorksheet(const char* name) const;
    AutomationObject addChartSheet(const char* name) const;
    AutomationObject cell(const AutomationObject& sheet, const char* address) const;
    void enter(const AutomationObject& sheet, const char* address, const char* text) const;
    // A chart on `sheet` (an embedded chart) or a chart sheet, with series.
    static void addSeries(const AutomationObject& chart,
                          std::initializer_list<const char*> formulas);

    AutomationObject application;
    AutomationObject workbooks;
    AutomationObject workbook;
    AutomationObject worksheets;
};

} // namespace sheaf::testing
