#pragma once

#include "AutomationObject.h"
#include "CellStream.h"
#include "Progress.h"
#include "SheafDocument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sheaf {

// Walks a workbook that the spreadsheet application has open into a handheld
// document: each worksheet's used range cell by cell, the charts embedded in
// worksheets, then the chart sheets.  Automation failures and SheafError are
// thrown out of the walk; nothing is saved then.
class WorkbookExporter {
public:
    WorkbookExporter(const AutomationObject& application, const AutomationObject& workbook,
                     ProgressCallback callback);

    // Converts and saves to `sheafPath`; returns the save's result.
    int32_t exportTo(const char* sheafPath);

    // The walk alone, for callers that keep the document.
    SheafDocument convert();

private:
    struct CellReading {
        CellKind kind = CellKind::Empty;
        std::string text;
        std::string display;
        std::string precedents;
    };

    void convertWorksheet(const AutomationObject& sheet, uint32_t lo, uint32_t hi);
    void appendColumnWidths(const AutomationObject& sheet, int32_t firstColumn,
                            int32_t columnCount);
    CellReading readCell(const AutomationObject& cell) const;
    void readFormula(const AutomationObject& cell, CellReading& reading) const;
    CellFormat readFormat(const AutomationObject& cell) const;
    void convertEmbeddedCharts(const AutomationObject& sheet, uint32_t lo, uint32_t hi);
    void convertChart(const AutomationObject& chart, const Progress& progress, uint32_t lo,
                      uint32_t hi);
    void quoteSheetNames(std::string& formula, bool& namesSheet) const;

    const AutomationObject& application_;
    const AutomationObject& workbook_;
    Progress progress_;
    SheafDocument document_;
    std::vector<std::string> sheetNames_;
    uint32_t sheetsConverted_ = 0;
    uint32_t chartsConverted_ = 0;
};

// Sheet and cell references as the application writes them.
std::string cellAddress(int64_t column, int64_t row);

} // namespace sheaf
