// Worksheets and Charts collections, and the Worksheet object.
#include "Objects.h"

#include "CellAddress.h"

#include <optional>

namespace spreadsheet::automation {

// {5C1E0D3A-7B4F-4E8A-9D61-2F0B8C3A5E17}
const IID IID_SpreadsheetObject = {
    0x5c1e0d3a, 0x7b4f, 0x4e8a, {0x9d, 0x61, 0x2f, 0x0b, 0x8c, 0x3a, 0x5e, 0x17}};

bool SheetRef::alive() const {
    return book && sheet && book->book.indexOf(*sheet) >= 0;
}

Sheet& SheetRef::get() const {
    if (!alive())
        failWith(L"Object required: the sheet has been deleted.");
    return *sheet;
}

Chart& ChartRef::get() const {
    Sheet& s = sheet.get();
    if (embedded < 0)
        return s.chart();
    if (embedded >= static_cast<int32_t>(s.chartObjects().size()))
        failWith(L"Object required: the chart has been deleted.");
    return s.chartObjects()[embedded].chart;
}

std::string ChartRef::name() const {
    return embedded < 0 ? sheet.get().name() : get().name;
}

HRESULT STDMETHODCALLTYPE SheetObjectBase::QueryInterface(REFIID iid, void** object) {
    if (object && IsEqualIID(iid, IID_SpreadsheetObject) && standsForSheet()) {
        AddRef();
        *object = static_cast<DispatchObject*>(this);
        return S_OK;
    }
    return DispatchObject::QueryInterface(iid, object);
}

namespace {

constexpr int32_t kSheetTypeWorksheet = -4167;
constexpr int32_t kSheetTypeChart = -4109;

class SheetsObject : public DispatchObject {
public:
    SheetsObject(std::shared_ptr<WorkbookState> book, SheetsKind kind)
        : book_(std::move(book)), kind_(kind) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        switch (id) {
        case 0xAA:
        case DISPID_VALUE:
            return item(call);
        case 0x76:
            call.setInt(count());
            return;
        case 0xB5:
            return add(call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Item", 0xAA}, {nullptr, DISPID_VALUE}, {L"Count", 0x76}, {L"Add", 0xB5}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override {
        return kind_ == SheetsKind::Worksheets ? L"Sheets" : L"Charts";
    }

private:
    Workbook& book() const { return book_->book; }
    int32_t count() const {
        return kind_ == SheetsKind::Worksheets ? book().worksheetCount() : book().chartSheetCount();
    }

    // Item(Index): a 1-based number or a sheet name.
    void item(Invocation& call) {
        const VARIANT* index = call.arg(0);
        if (!index)
            throw StatusFailure{DISP_E_PARAMNOTFOUND, 0};
        Sheet* sheet = nullptr;
        if (V_VT(index) == VT_BSTR) {
            sheet = book().findSheet(toUtf8(V_BSTR(index)));
            bool wanted = sheet && sheet->isWorksheet() == (kind_ == SheetsKind::Worksheets);
            if (!wanted)
                sheet = nullptr;
        } else {
            int32_t n = variantToInt(*index, 0);
            if (n >= 1 && n <= count())
                sheet = kind_ == SheetsKind::Worksheets ? &book().worksheet(n - 1)
                                                        : &book().chartSheet(n - 1);
        }
        if (!sheet)
            throw StatusFailure{DISP_E_BADINDEX};
        call.setObject(newSheet({book_, sheet}));
    }

    // Add(Before, After, Count, Type): new sheets go before the active sheet
    // unless Before or After names one; the last one added becomes active.
    void add(Invocation& call) {
        const SheetRef* before = sheetOf(call.arg(0));
        const SheetRef* after = sheetOf(call.arg(1));
        if ((call.arg(0) && !before) || (call.arg(1) && !after))
            throw StatusFailure{DISP_E_TYPEMISMATCH, call.count() - 1 - (call.arg(0) ? 0u : 1u)};
        int32_t count = call.intArg(2, 1);
        int32_t type = call.intArg(3, kSheetTypeWorksheet);
        if (count < 1 || count > 255 || (type != kSheetTypeWorksheet && type != kSheetTypeChart))
            failMethod(L"Add", className());
        if ((before && before->book != book_) || (after && after->book != book_))
            failMethod(L"Add", className());
        int32_t position = book().activeSheetIndex();
        if (before)
            position = book().indexOf(before->get());
        else if (after)
            position = book().indexOf(after->get()) + 1;
        Sheet* added = nullptr;
        for (int32_t i = 0; i < count; ++i)
            added = &book().insertSheet(
                position + i, type == kSheetTypeChart ? SheetType::Chart : SheetType::Worksheet);
        book().activate(book().indexOf(*added));
        call.setObject(newSheet({book_, added}));
    }

    std::shared_ptr<WorkbookState> book_;
    SheetsKind kind_;
};

class WorksheetObject : public SheetObjectBase {
public:
    using SheetObjectBase::SheetObjectBase;

protected:
    void invoke(DISPID id, Invocation& call) override {
        Sheet& sheet = sheet_.get();
        Workbook& book = sheet_.book->book;
        switch (id) {
        case 0x6E: // Name
            if (call.isPut()) {
                if (!book.renameSheet(sheet, call.putString()))
                    failSet(L"Name", className());
            } else {
                call.setString(sheet.name());
            }
            return;
        case 0x6C: // Type
            call.setInt(kSheetTypeWorksheet);
            return;
        case 0x130: // Activate
            book.activate(book.indexOf(sheet));
            return;
        case 0x75: // Delete
            if (!book.removeSheet(book.indexOf(sheet)))
                failMethod(L"Delete", className());
            call.setBool(true);
            return;
        case 0x19C: // UsedRange
            call.setObject(newRange(sheet_, {sheet.usedRange()}, RangeMode::Cells));
            return;
        case 0xC5: // Range(Cell1, Cell2)
            return range(call);
        case 0x424: // ChartObjects
            return chartObjects(call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Name", 0x6E, true}, {L"Type", 0x6C},  {L"Activate", 0x130},    {L"Delete", 0x75},
            {L"UsedRange", 0x19C}, {L"Range", 0xC5}, {L"ChartObjects", 0x424}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Worksheet"; }

private:
    // A Cell argument: an address text ("A1", "A1:B2", "A1,C3") or a Range of
    // this sheet; each area in turn to `take`.
    template <typename Take> void forEachAreaOf(const VARIANT* cell, UINT argument, Take take) {
        if (const SheetRef* other = sheetOf(cell)) {
            (void)other;
            failGet(L"Range", className());
        }
        std::string text = variantToString(*cell, argument);
        size_t start = 0;
        for (;;) {
            size_t comma = text.find(',', start);
            auto area = parseAreaAddress(text.substr(start, comma - start));
            if (!area)
                failGet(L"Range", className());
            take(*area);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }

    std::vector<CellArea> areasOf(const VARIANT* cell, UINT argument) {
        std::vector<CellArea> areas;
        forEachAreaOf(cell, argument, [&](const CellArea& area) { areas.push_back(area); });
        return areas;
    }

    void range(Invocation& call) {
        const VARIANT* cell1 = call.arg(0);
        if (!cell1)
            throw StatusFailure{DISP_E_PARAMNOTFOUND, 0};
        std::vector<CellArea> areas = areasOf(cell1, call.count() - 1);
        if (const VARIANT* cell2 = call.arg(1)) {
            // Two corners: the rectangle that holds both.  The second is
            // read in place, since a conversion names every cell this way.
            std::optional<CellArea> second;
            forEachAreaOf(cell2, call.count() - 2, [&](const CellArea& area) {
                if (!second)
                    second = area;
            });
            CellArea a = areas.front(), b = *second;
            areas = {
                {{std::min(a.first.row, b.first.row), std::min(a.first.column, b.first.column)},
                 {std::max(a.last.row, b.last.row), std::max(a.last.column, b.last.column)}}};
        }
        call.setObject(newRange(sheet_, std::move(areas), RangeMode::Cells));
    }

    // ChartObjects([Index]): the collection, or one of its items.
    void chartObjects(Invocation& call) {
        if (const VARIANT* index = call.arg(0)) {
            int32_t n = variantToInt(*index, call.count() - 1);
            if (n < 1 || n > static_cast<int32_t>(sheet_.get().chartObjects().size()))
                throw StatusFailure{DISP_E_BADINDEX};
            call.setObject(newChartObject(sheet_, n - 1));
            return;
        }
        call.setObject(newChartObjects(sheet_));
    }
};

} // namespace

const SheetRef* sheetOf(const VARIANT* argument) {
    if (!argument || V_VT(argument) != VT_DISPATCH || !V_DISPATCH(argument))
        return nullptr;
    void* object = nullptr;
    if (FAILED(V_DISPATCH(argument)->QueryInterface(IID_SpreadsheetObject, &object)) || !object)
        return nullptr;
    auto* sheet = static_cast<SheetObjectBase*>(static_cast<DispatchObject*>(object));
    sheet->Release(); // the argument keeps it alive for the call
    return &sheet->ref();
}

IDispatch* newSheets(std::shared_ptr<WorkbookState> book, SheetsKind kind) {
    return new SheetsObject(std::move(book), kind);
}

IDispatch* newSheet(const SheetRef& sheet) {
    if (sheet.get().isWorksheet())
        return new WorksheetObject(sheet);
    return newChart({sheet, -1});
}

} // namespace spreadsheet::automation
