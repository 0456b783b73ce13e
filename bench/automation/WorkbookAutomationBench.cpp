// Fills a 100,000-cell sheet of the spreadsheet application stand-in and reads
// every cell back (Value2, HasFormula, Formula, Font, HorizontalAlignment,
// NumberFormat), once through the converters' automation layer and once with
// bare IDispatch::Invoke calls, and prints cells per second for each.
// Usage: workbook_automation_bench.exe <server dll> [cells]
#include "AutomationObject.h"
#include "WorkbookMembers.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace sheaf;
using V = AutomationValue;

namespace {

constexpr int kColumns = 100;

std::string columnName(int column) {
    std::string name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    return name;
}

struct CellPlan {
    std::string address;
    std::string formula;
    bool bold;
    bool centred;
    bool fixed;
};

// Numbers, texts and formulas referring to the cell on the left; some cells
// bold, centred or with two decimals.
std::vector<CellPlan> planCells(int count) {
    std::vector<CellPlan> plan;
    plan.reserve(count);
    for (int i = 0; i < count; ++i) {
        int row = i / kColumns + 1, column = i % kColumns;
        CellPlan cell;
        cell.address = columnName(column) + std::to_string(row);
        switch (i % 4) {
        case 0:
            cell.formula = std::to_string(i) + ".25";
            break;
        case 1:
            cell.formula = "text " + std::to_string(i);
            break;
        case 2:
            cell.formula = "=" + columnName(column - 2) + std::to_string(row) + "*2";
            break;
        default:
            cell.formula = "=SUM(" + columnName(column - 3) + std::to_string(row) + ",1)";
            break;
        }
        cell.bold = i % 7 == 0;
        cell.centred = i % 5 == 0;
        cell.fixed = i % 3 == 0;
        plan.push_back(std::move(cell));
    }
    return plan;
}

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

struct Timing {
    double fill = 0, read = 0;
};

AutomationObject newSheet(AutomationObject& app) {
    AutomationObject book =
        app.getObject(DISPID_XL_WORKBOOKS).callObject(DISPID_XL_ADD, {V::int32(XL_WORKSHEET)});
    return book.getObject(DISPID_XL_WORKSHEETS).getObject(DISPID_XL_ITEM, {V::int32(1)});
}

Timing throughLayer(AutomationObject& app, const std::vector<CellPlan>& plan, long& checksum) {
    AutomationObject sheet = newSheet(app);
    Timing t;
    auto start = Clock::now();
    for (const CellPlan& c : plan) {
        AutomationObject range =
            sheet.getObject(DISPID_XL_RANGE, {V::string(c.address), V::omitted()});
        range.put(DISPID_XL_FORMULA, V::string(c.formula));
        if (c.fixed)
            range.put(DISPID_XL_NUMBER_FORMAT, V::string("0.00"));
        if (c.bold)
            range.getObject(DISPID_XL_FONT).put(DISPID_XL_BOLD, V::boolean(true));
        if (c.centred)
            range.put(DISPID_XL_HORIZONTAL_ALIGNMENT, V::int32(XL_HALIGN_CENTER));
    }
    t.fill = seconds(start);
    start = Clock::now();
    for (const CellPlan& c : plan) {
        AutomationObject range =
            sheet.getObject(DISPID_XL_RANGE, {V::string(c.address), V::omitted()});
        AutomationValue value = range.getVariant(DISPID_XL_VALUE2);
        checksum += value.type();
        if (range.getVariant(DISPID_XL_HAS_FORMULA).toBool())
            checksum += static_cast<long>(range.getVariant(DISPID_XL_FORMULA).toString().size());
        AutomationObject font = range.getObject(DISPID_XL_FONT);
        checksum += font.getVariant(DISPID_XL_BOLD).toBool();
        checksum += font.getVariant(DISPID_XL_ITALIC).toBool();
        checksum += font.getVariant(DISPID_XL_UNDERLINE).toInt32();
        checksum += range.getVariant(DISPID_XL_HORIZONTAL_ALIGNMENT).toInt32();
        checksum += static_cast<long>(range.getVariant(DISPID_XL_NUMBER_FORMAT).toString().size());
    }
    t.read = seconds(start);
    return t;
}

// The same calls with prepared wide strings and no layer in between.
class Raw {
public:
    explicit Raw(IDispatch* d) : d_(d) {}

    void get(DISPID id, VARIANT* result, VARIANT* args = nullptr, UINT count = 0,
             LCID locale = 0) const {
        DISPPARAMS params{args, nullptr, count, 0};
        VariantInit(result);
        check(d_->Invoke(id, IID_NULL, locale, DISPATCH_PROPERTYGET, &params, result, nullptr,
                         nullptr));
    }
    void put(DISPID id, VARIANT value, LCID locale = 0) const {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        check(d_->Invoke(id, IID_NULL, locale, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                         nullptr));
    }
    IDispatch* object(DISPID id, VARIANT* args = nullptr, UINT count = 0) const {
        VARIANT result;
        get(id, &result, args, count);
        return V_DISPATCH(&result);
    }

private:
    static void check(HRESULT hr) {
        if (FAILED(hr)) {
            std::fprintf(stderr, "call failed: 0x%08lX\n", static_cast<unsigned long>(hr));
            std::exit(1);
        }
    }
    IDispatch* d_;
};

VARIANT bstrVariant(const std::string& ascii) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    std::wstring wide(ascii.begin(), ascii.end());
    V_BSTR(&v) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return v;
}

Timing bare(AutomationObject& app, const std::vector<CellPlan>& plan, long& checksum) {
    AutomationObject sheetHandle = newSheet(app);
    Raw sheet(sheetHandle.get());
    VARIANT omitted;
    V_VT(&omitted) = VT_ERROR;
    V_ERROR(&omitted) = DISP_E_PARAMNOTFOUND;
    std::vector<VARIANT> addresses, formulas;
    for (const CellPlan& c : plan) {
        addresses.push_back(bstrVariant(c.address));
        formulas.push_back(bstrVariant(c.formula));
    }
    VARIANT fixed = bstrVariant("0.00"), yes, centre;
    V_VT(&yes) = VT_BOOL;
    V_BOOL(&yes) = VARIANT_TRUE;
    V_VT(&centre) = VT_I4;
    V_I4(&centre) = XL_HALIGN_CENTER;
    Timing t;
    auto start = Clock::now();
    for (size_t i = 0; i < plan.size(); ++i) {
        VARIANT args[2] = {omitted, addresses[i]};
        IDispatch* range = sheet.object(DISPID_XL_RANGE, args, 2);
        Raw r(range);
        r.put(DISPID_XL_FORMULA, formulas[i]);
        if (plan[i].fixed)
            r.put(DISPID_XL_NUMBER_FORMAT, fixed, 1033);
        if (plan[i].bold) {
            IDispatch* font = r.object(DISPID_XL_FONT);
            Raw(font).put(DISPID_XL_BOLD, yes);
            font->Release();
        }
        if (plan[i].centred)
            r.put(DISPID_XL_HORIZONTAL_ALIGNMENT, centre);
        range->Release();
    }
    t.fill = seconds(start);
    start = Clock::now();
    for (size_t i = 0; i < plan.size(); ++i) {
        VARIANT args[2] = {omitted, addresses[i]};
        IDispatch* range = sheet.object(DISPID_XL_RANGE, args, 2);
        Raw r(range);
        VARIANT v;
        r.get(DISPID_XL_VALUE2, &v);
        checksum += V_VT(&v);
        VariantClear(&v);
        r.get(DISPID_XL_HAS_FORMULA, &v);
        if (V_BOOL(&v)) {
            r.get(DISPID_XL_FORMULA, &v);
            checksum += static_cast<long>(SysStringLen(V_BSTR(&v)));
            VariantClear(&v);
        }
        IDispatch* font = r.object(DISPID_XL_FONT);
        Raw f(font);
        f.get(DISPID_XL_BOLD, &v);
        checksum += V_BOOL(&v) != 0;
        f.get(DISPID_XL_ITALIC, &v);
        checksum += V_BOOL(&v) != 0;
        f.get(DISPID_XL_UNDERLINE, &v);
        checksum += V_I4(&v);
        font->Release();
        r.get(DISPID_XL_HORIZONTAL_ALIGNMENT, &v);
        checksum += V_I4(&v);
        r.get(DISPID_XL_NUMBER_FORMAT, &v, nullptr, 0, 1033);
        checksum += static_cast<long>(SysStringLen(V_BSTR(&v)));
        VariantClear(&v);
        range->Release();
    }
    t.read = seconds(start);
    for (VARIANT& v : addresses)
        VariantClear(&v);
    for (VARIANT& v : formulas)
        VariantClear(&v);
    VariantClear(&fixed);
    return t;
}

void report(const char* name, const Timing& t, int cells) {
    std::printf("%s fill %.0f read %.0f total %.0f cells/s (%.2f s)\n", name, cells / t.fill,
                cells / t.read, cells / (t.fill + t.read), t.fill + t.read);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: workbook_automation_bench <server dll> [cells]\n");
        return 2;
    }
    int cells = argc > 2 ? _wtoi(argv[2]) : 100000;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE server = LoadLibraryW(argv[1]);
    auto registerServer = server ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                                       GetProcAddress(server, "DllRegisterServer"))
                                 : nullptr;
    if (!registerServer || FAILED(registerServer())) {
        std::fprintf(stderr, "cannot register the automation server\n");
        return 1;
    }
    std::vector<CellPlan> plan = planCells(cells);
    long layerSum = 0, bareSum = 0;
    Timing layer, raw;
    try {
        AutomationObject app;
        if (!app.create(EXCEL_PROG_ID)) {
            std::fprintf(stderr, "cannot start the application\n");
            return 1;
        }
        layer = throughLayer(app, plan, layerSum);
        raw = bare(app, plan, bareSum);
        app.call(DISPID_XL_QUIT);
    } catch (const AutomationFailure& failure) {
        std::fprintf(stderr, "automation failure 0x%08lX %s\n",
                     static_cast<unsigned long>(failure.code()), failure.description().c_str());
        return 1;
    }
    if (layerSum != bareSum) {
        std::fprintf(stderr, "read-back differs: %ld against %ld\n", layerSum, bareSum);
        return 1;
    }
    report("layer", layer, cells);
    report("bare", raw, cells);
    CoUninitialize();
    return 0;
}
