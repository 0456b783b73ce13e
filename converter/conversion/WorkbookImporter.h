#pragma once

#include "AutomationObject.h"
#include "CellStream.h"
#include "ChartRecord.h"
#include "Progress.h"
#include "SheafDocument.h"

#include <cstdint>

namespace sheaf {

// The placeholder worksheet's name while a workbook is rebuilt.
inline constexpr char TEMP_SHEET_NAME[] = "~~~~~tmp~~~~~";

// Rebuilds a handheld document inside a workbook that the spreadsheet
// application has open: one new worksheet per sheet group, one new chart sheet
// per chart record, in file order.
class WorkbookImporter {
public:
    WorkbookImporter(const AutomationObject& application, const AutomationObject& workbook,
                     ProgressCallback callback);

    // Loads the file and rebuilds the workbook from it.  Returns the load's
    // code when the file cannot be loaded (the workbook is then untouched),
    // else 0; failures while rebuilding are thrown.
    int32_t importFrom(const char* sheafPath);

    void rebuild(SheafDocument& document);

private:
    void rebuildSheets(SheafDocument& document, const AutomationObject& worksheets,
                       const AutomationObject& placeholder);
    void fillWorksheet(SheafDocument& document, const AutomationObject& sheet, uint32_t lo,
                       uint32_t hi);
    void writeCell(const AutomationObject& sheet, const CellEntry& entry);
    void fillChart(SheafDocument& document, const AutomationObject& chart, uint32_t lo,
                   uint32_t hi);
    void addSeries(const ChartRecord& record, const AutomationObject& seriesCollection, uint32_t lo,
                   uint32_t hi);

    const AutomationObject& application_;
    const AutomationObject& workbook_;
    Progress progress_;
};

} // namespace sheaf
