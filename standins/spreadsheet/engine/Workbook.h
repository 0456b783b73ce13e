#pragma once

#include "DefinedName.h"
#include "Sheet.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace spreadsheet {

// Array formulas give up with #NUM! on operands of more elements than this,
// unless the workbook is given another limit.
inline constexpr int64_t kMaxArrayElements = 1 << 18;

// Serial day number (1900 date system, day 1 = 1 January 1900, with the
// application's phantom 29 February 1900) and fraction of the day.
using Clock = std::function<double()>;
// The local time now as a serial number.
double systemClock();

// An ordered list of sheets (worksheets and chart sheets) with one active sheet.
class Workbook {
public:
    explicit Workbook(std::string name = "Book1");
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    int32_t sheetCount() const { return static_cast<int32_t>(sheets_.size()); }
    Sheet& sheet(int32_t index) const { return *sheets_.at(index); }
    int32_t indexOf(const Sheet& sheet) const;       // -1 when not in this workbook
    Sheet* findSheet(const std::string& name) const; // case-insensitive; null when absent

    // Worksheets only, in order (chart sheets are not counted).
    int32_t worksheetCount() const;
    Sheet& worksheet(int32_t index) const; // index among worksheets
    int32_t chartSheetCount() const;
    Sheet& chartSheet(int32_t index) const; // index among chart sheets

    // Inserts a new sheet at the index (0..sheetCount) named after the next
    // free "Sheet<n>" or "Chart<n>"; does not activate it.
    Sheet& insertSheet(int32_t index, SheetType type);
    // Appends a sheet with the given name (file readers).  Throws
    // std::invalid_argument when the name is invalid or taken.
    Sheet& appendSheet(SheetType type, const std::string& name);
    // Removes the sheet; the active sheet moves to a neighbour.  Returns false
    // (changing nothing) when it is the last worksheet or last sheet.
    bool removeSheet(int32_t index);
    // Renames the sheet.  Returns false when the name is invalid (empty, too
    // long, one of : \ / ? * [ ] or a leading/trailing ') or used by another sheet.
    bool renameSheet(Sheet& sheet, const std::string& name);
    static bool isValidSheetName(const std::string& name);

    int32_t activeSheetIndex() const { return activeSheet_; }
    Sheet& activeSheet() const { return sheet(activeSheet_); }
    void activate(int32_t index);

    // Recalculation: every change marks the workbook; recalculate() computes
    // every formula cell again once it is marked.
    void markChanged() { changed_ = true; }
    bool needsRecalculation() const { return changed_; }
    void recalculate();

    // Defined names, in the order they were defined.
    const std::vector<DefinedName>& names() const { return names_; }
    // Defines the name, or replaces the definition of the one with the same
    // spelling and scope.  False (changing nothing) for an invalid name, a
    // null definition or a scope that is not a sheet of this workbook.
    bool defineName(const std::string& name, FormulaPtr refersTo, const Sheet* scope = nullptr);
    // False when no name has that spelling and scope.
    bool removeName(const std::string& name, const Sheet* scope);
    // The name as a formula on `from` sees it: the sheet's own first, then
    // the workbook's.  Null when there is none.
    const DefinedName* findName(const std::string& name, const Sheet* from) const;

    void setClock(Clock clock) { clock_ = std::move(clock); }
    double now() const { return clock_ ? clock_() : systemClock(); }

    void setArrayElementLimit(int64_t limit) { arrayElementLimit_ = limit; }
    int64_t arrayElementLimit() const { return arrayElementLimit_; }

private:
    std::string nextSheetName(SheetType type) const;

    std::string name_;
    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::vector<DefinedName> names_;
    int32_t activeSheet_ = 0;
    bool changed_ = false;
    Clock clock_;
    int64_t arrayElementLimit_ = kMaxArrayElements;
};

} // namespace spreadsheet
