#pragma once

#include "DispatchObject.h"

#include "Workbook.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace spreadsheet::automation {

struct WorkbookState {
    explicit WorkbookState(std::string name) : book(std::move(name)) {}
    Workbook book;
    std::filesystem::path path; // empty until opened from or saved to a file
};

// What one application instance holds: its options and its open workbooks.
struct ApplicationState {
    std::string userName;
    bool displayAlerts = true;
    bool askToUpdateLinks = true;
    bool option3A2 = true;
    std::vector<std::shared_ptr<WorkbookState>> workbooks;
    int nextBookNumber = 1;
    IDispatch* applicationObject = nullptr; // weak: the object that owns this state

    std::shared_ptr<WorkbookState> newWorkbook();
    void closeWorkbook(const WorkbookState* book);
};

// A sheet seen from an automation object.  The sheet may have been deleted
// meanwhile; get() then fails as the application does for a dead object.
struct SheetRef {
    std::shared_ptr<WorkbookState> book;
    Sheet* sheet = nullptr;

    bool alive() const;
    Sheet& get() const;
};

// A chart sheet's chart (embedded < 0) or a worksheet's embedded chart.
struct ChartRef {
    SheetRef sheet;
    int32_t embedded = -1;

    Chart& get() const;
    std::string name() const;
};

// The module's private identity query: any of its objects answers it, so that
// an argument such as Before can be recognised as one of our sheets.
extern const IID IID_SpreadsheetObject;
const SheetRef* sheetOf(const VARIANT* argument);

// Objects that stand for one sheet answer the module's identity query.
class SheetObjectBase : public DispatchObject {
public:
    explicit SheetObjectBase(SheetRef sheet) : sheet_(std::move(sheet)) {}
    const SheetRef& ref() const { return sheet_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

protected:
    // False for objects that only live on a sheet (an embedded chart).
    virtual bool standsForSheet() const { return true; }

    SheetRef sheet_;
};

enum class RangeMode { Cells, Rows, Columns };
enum class SheetsKind { Worksheets, Charts };

IDispatch* newApplication();
IDispatch* newWorkbooks(std::shared_ptr<ApplicationState> app);
IDispatch* newWorkbook(std::shared_ptr<ApplicationState> app, std::shared_ptr<WorkbookState> book);
IDispatch* newSheets(std::shared_ptr<WorkbookState> book, SheetsKind kind);
IDispatch* newNames(std::shared_ptr<WorkbookState> book);
// A Worksheet object, or a Chart object for a chart sheet.
IDispatch* newSheet(const SheetRef& sheet);
IDispatch* newRange(const SheetRef& sheet, std::vector<CellArea> areas, RangeMode mode);
IDispatch* newChartObjects(const SheetRef& sheet);
IDispatch* newChartObject(const SheetRef& sheet, int32_t index);
IDispatch* newChart(const ChartRef& chart);

} // namespace spreadsheet::automation
