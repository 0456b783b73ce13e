// Range and Font.
#include "Objects.h"

#include "DisplayText.h"
#include "Evaluator.h"
#include "FormulaParser.h"
#include "Precedents.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace spreadsheet::automation {

namespace {

constexpr int32_t kReferenceA1 = 1;
constexpr int32_t kReferenceR1C1 = -4150;
// Error variants carry 0x800A0000 | (2000 + the error's code).
constexpr HRESULT kErrorVariantBase = static_cast<HRESULT>(0x800A0000);

HRESULT errorVariantCode(ErrorCode e) {
    return kErrorVariantBase | (2000 + static_cast<int>(e));
}

bool isKnownError(int code, ErrorCode& e) {
    for (ErrorCode c : {ErrorCode::Null, ErrorCode::Div0, ErrorCode::Value, ErrorCode::Ref,
                        ErrorCode::Name, ErrorCode::Num, ErrorCode::NA}) {
        if (static_cast<int>(c) == code) {
            e = c;
            return true;
        }
    }
    return false;
}

bool isAlignment(int32_t value) {
    for (HorizontalAlignment a :
         {HorizontalAlignment::General, HorizontalAlignment::Left, HorizontalAlignment::Center,
          HorizontalAlignment::Right, HorizontalAlignment::Fill, HorizontalAlignment::Justify,
          HorizontalAlignment::CenterAcrossSelection, HorizontalAlignment::Distributed}) {
        if (static_cast<int32_t>(a) == value)
            return true;
    }
    return false;
}

bool isUnderlineStyle(int32_t value) {
    return value == kUnderlineNone || value == kUnderlineSingle || value == kUnderlineDouble ||
           value == kUnderlineSingleAccounting || value == kUnderlineDoubleAccounting;
}

void writeValue(VARIANT& out, const CellValue& v) {
    VariantInit(&out);
    switch (v.kind) {
    case ValueKind::Empty:
        break;
    case ValueKind::Number:
        V_VT(&out) = VT_R8;
        V_R8(&out) = v.number;
        break;
    case ValueKind::Text: {
        std::wstring wide = toWide(v.text);
        V_VT(&out) = VT_BSTR;
        V_BSTR(&out) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        break;
    }
    case ValueKind::Boolean:
        V_VT(&out) = VT_BOOL;
        V_BOOL(&out) = v.boolean ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case ValueKind::Error:
        V_VT(&out) = VT_ERROR;
        V_ERROR(&out) = errorVariantCode(v.error);
        break;
    }
}

// The text a constant shows in the Formula property.
std::string constantText(const CellValue& v) {
    return v.kind == ValueKind::Number ? numberText(v.number) : toText(v);
}

// Reads a typed-in number: sign, digits, point, exponent, and a trailing %.
std::optional<double> typedNumber(const std::string& text, bool& percent) {
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos)
        return std::nullopt;
    std::string t = text.substr(b, e - b + 1);
    percent = t.back() == '%';
    if (percent)
        t.pop_back();
    if (t.empty() || t.find_first_not_of("0123456789.+-eE") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    double n = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(n))
        return std::nullopt;
    return percent ? n / 100 : n;
}

class RangeObject : public DispatchObject {
public:
    RangeObject(SheetRef sheet, std::vector<CellArea> areas, RangeMode mode)
        : sheet_(std::move(sheet)), areas_(std::move(areas)), mode_(mode) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        Sheet& sheet = sheet_.get();
        switch (id) {
        case 0xF0: // Column
            call.setInt(areas_.front().first.column + 1);
            return;
        case 0x101: // Row
            call.setInt(areas_.front().first.row + 1);
            return;
        case 0xF1: // Columns
            call.setObject(newRange(sheet_, areas_, RangeMode::Columns));
            return;
        case 0x102: // Rows
            call.setObject(newRange(sheet_, areas_, RangeMode::Rows));
            return;
        case 0x76:
            call.setInt(count());
            return;
        case 0x7A: // Width, in points
            return width(sheet, call);
        case 0x56C: // Value2
        case 0x105: // Formula
            if (call.isPut())
                return enter(sheet, call.putValue(), id == 0x105 ? L"Formula" : L"Value2");
            return read(sheet, call, id == 0x105);
        case 0x8A: // Text
            return text(sheet, call);
        case 0x10B: // HasFormula
            return hasFormula(sheet, call);
        case 0x10A: // HasArray
            return hasArray(sheet, call);
        case 0x24A: // FormulaArray
            if (call.isPut())
                return enterArray(sheet, call.putValue());
            return formulaArray(sheet, call);
        case 0x222:
            return directPrecedentsOf(sheet, call);
        case 0xEC:
            return address(sheet, call);
        case 0x92:
            call.setObject(makeFont());
            return;
        case 0x88:
            return alignment(sheet, call);
        case 0xC1:
            return numberFormat(sheet, call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Column", 0xF0},
                                           {L"Row", 0x101},
                                           {L"Columns", 0xF1},
                                           {L"Rows", 0x102},
                                           {L"Count", 0x76},
                                           {L"Width", 0x7A},
                                           {L"Value2", 0x56C, true},
                                           {L"Text", 0x8A},
                                           {L"HasFormula", 0x10B},
                                           {L"HasArray", 0x10A},
                                           {L"Formula", 0x105, true},
                                           {L"FormulaArray", 0x24A, true},
                                           {L"DirectPrecedents", 0x222},
                                           {L"Address", 0xEC},
                                           {L"Font", 0x92},
                                           {L"HorizontalAlignment", 0x88, true},
                                           {L"NumberFormat", 0xC1, true}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Range"; }

public:
    // Font reads and writes the same cells.
    class FontObject;
    IDispatch* makeFont();

private:
    int32_t count() const {
        int64_t n = 0;
        for (const CellArea& a : areas_) {
            n += mode_ == RangeMode::Rows ? a.rowCount()
                 : mode_ == RangeMode::Columns
                     ? a.columnCount()
                     : static_cast<int64_t>(a.rowCount()) * a.columnCount();
        }
        return static_cast<int32_t>(n);
    }

    bool isSingleCell() const {
        return areas_.size() == 1 && areas_.front().first == areas_.front().last;
    }

    // A template rather than a std::function, which would allocate for the
    // visitors' captures at every property read, a dozen times a cell.
    template <typename Visit>
    static void forEachCell(const std::vector<CellArea>& areas, const Visit& visit) {
        for (const CellArea& a : areas) {
            for (int32_t r = a.first.row; r <= a.last.row; ++r) {
                for (int32_t c = a.first.column; c <= a.last.column; ++c)
                    visit({r, c});
            }
        }
    }

    static const Cell& cellOrBlank(const Sheet& sheet, CellPosition p) {
        static const Cell blank;
        const Cell* c = sheet.cell(p);
        return c ? *c : blank;
    }

    void calculate() {
        Workbook& book = sheet_.book->book;
        if (book.needsRecalculation())
            book.recalculate();
    }

    // A property that all cells share gives its value; mixed values give Null.
    template <typename T, typename Get, typename Set>
    static void common(const Sheet& sheet, const std::vector<CellArea>& areas, Invocation& call,
                       Get get, Set set) {
        std::optional<T> shared;
        bool mixed = false;
        forEachCell(areas, [&](CellPosition p) {
            if (mixed)
                return;
            T value = get(cellOrBlank(sheet, p));
            if (shared && !(*shared == value))
                mixed = true;
            shared = value;
        });
        if (mixed || !shared)
            call.setNull();
        else
            set(*shared);
    }

    void width(const Sheet& sheet, Invocation& call) {
        const CellArea& a = areas_.front();
        double points = 0;
        for (int32_t c = a.first.column; c <= a.last.column; ++c)
            points += sheet.columnWidth(c);
        call.setDouble(points);
    }

    // Value2 and Formula reads: one value, or a 2-D array of the first area.
    void read(const Sheet& sheet, Invocation& call, bool formula) {
        if (!call.result())
            return;
        calculate();
        auto one = [&](VARIANT& out, CellPosition p) {
            const Cell& c = cellOrBlank(sheet, p);
            if (formula) {
                VariantInit(&out);
                std::wstring wide =
                    toWide(c.hasFormula() ? c.formula->text : constantText(c.value));
                V_VT(&out) = VT_BSTR;
                V_BSTR(&out) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
            } else {
                writeValue(out, c.value);
            }
        };
        if (isSingleCell())
            return one(*call.result(), areas_.front().first);
        const CellArea& a = areas_.front();
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(a.rowCount()), 1},
                                    {static_cast<ULONG>(a.columnCount()), 1}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (!array)
            throw StatusFailure{E_OUTOFMEMORY};
        for (int32_t r = 0; r < a.rowCount(); ++r) {
            for (int32_t c = 0; c < a.columnCount(); ++c) {
                VARIANT v;
                one(v, {a.first.row + r, a.first.column + c});
                LONG index[2] = {r + 1, c + 1};
                SafeArrayPutElement(array, index, &v);
                VariantClear(&v);
            }
        }
        V_VT(call.result()) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(call.result()) = array;
    }

    // Formula and Value2 writes: a text is entered as typed (a formula when it
    // starts with '=', a number, boolean or error when it reads as one).
    void enter(Sheet& sheet, const VARIANT& value, const wchar_t* member) {
        switch (V_VT(&value)) {
        case VT_EMPTY:
            forEachCell(areas_, [&](CellPosition p) { sheet.setValue(p, {}); });
            return;
        case VT_BSTR:
            return enterText(sheet, toUtf8(V_BSTR(&value)), member);
        case VT_BOOL:
            return setAll(sheet, CellValue::fromBoolean(V_BOOL(&value) != VARIANT_FALSE));
        case VT_ERROR: {
            ErrorCode e;
            int code = static_cast<int>(V_ERROR(&value) & 0xFFFF) - 2000;
            if (!isKnownError(code, e))
                failSet(member, className());
            return setAll(sheet, CellValue::fromError(e));
        }
        default: {
            VARIANT number;
            VariantInit(&number);
            if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&value), 0, VT_R8)))
                throw StatusFailure{DISP_E_TYPEMISMATCH, 0};
            return setAll(sheet, CellValue::fromNumber(V_R8(&number)));
        }
        }
    }

    void setAll(Sheet& sheet, const CellValue& v) {
        forEachCell(areas_, [&](CellPosition p) { sheet.setValue(p, v); });
    }

    void enterText(Sheet& sheet, const std::string& text, const wchar_t* member) {
        if (text.size() > 1 && text[0] == '=') {
            FormulaPtr formula = makeFormula(text);
            if (!formula)
                failSet(member, className());
            // As typed into the first cell and filled across the rest.
            CellPosition origin = areas_.front().first;
            forEachCell(areas_, [&](CellPosition p) {
                sheet.setFormula(p, p == origin ? formula
                                                : offsetFormula(*formula, p.row - origin.row,
                                                                p.column - origin.column));
            });
            return;
        }
        if (text.empty())
            return setAll(sheet, {});
        if (text[0] == '\'')
            return setAll(sheet, CellValue::fromText(text.substr(1)));
        ErrorCode error;
        if (parseErrorText(text, error))
            return setAll(sheet, CellValue::fromError(error));
        std::string upper = text;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper == "TRUE" || upper == "FALSE")
            return setAll(sheet, CellValue::fromBoolean(upper == "TRUE"));
        bool percent = false;
        if (auto number = typedNumber(text, percent)) {
            setAll(sheet, CellValue::fromNumber(*number));
            if (percent) {
                // A typed percentage gives its cell a percent format.
                forEachCell(areas_, [&](CellPosition p) {
                    CellFormat f = cellOrBlank(sheet, p).format;
                    if (f.numberFormat == "General") {
                        f.numberFormat = "0%";
                        sheet.setFormat(p, f);
                    }
                });
            }
            return;
        }
        setAll(sheet, CellValue::fromText(text));
    }

    void text(const Sheet& sheet, Invocation& call) {
        calculate();
        common<std::string>(
            sheet, areas_, call,
            [](const Cell& c) { return displayText(c.value, c.format.numberFormat); },
            [&](const std::string& s) { call.setString(s); });
    }

    void hasFormula(const Sheet& sheet, Invocation& call) {
        common<bool>(
            sheet, areas_, call, [](const Cell& c) { return c.hasFormula(); },
            [&](bool b) { call.setBool(b); });
    }

    void hasArray(const Sheet& sheet, Invocation& call) {
        common<bool>(
            sheet, areas_, call,
            [](const Cell& c) { return c.hasFormula() && c.formula->array.has_value(); },
            [&](bool b) { call.setBool(b); });
    }

    // The formula the cells share, as Formula shows it; Null when they differ.
    void formulaArray(const Sheet& sheet, Invocation& call) {
        common<std::string>(
            sheet, areas_, call,
            [](const Cell& c) { return c.hasFormula() ? c.formula->text : constantText(c.value); },
            [&](const std::string& s) { call.setString(s); });
    }

    // One formula over the whole (single) area, computed element by element.
    void enterArray(Sheet& sheet, const VARIANT& value) {
        if (V_VT(&value) != VT_BSTR)
            return enter(sheet, value, L"FormulaArray");
        const std::string text = toUtf8(V_BSTR(&value));
        if (text.size() < 2 || text[0] != '=')
            return enterText(sheet, text, L"FormulaArray");
        const CellArea area = areas_.front();
        const FormulaPtr parsed = makeFormula(text);
        if (areas_.size() != 1 || !parsed ||
            static_cast<int64_t>(area.rowCount()) * area.columnCount() > kMaxArrayElements)
            failSet(L"FormulaArray", className());
        const FormulaPtr formula = makeArrayFormula(cloneNode(*parsed->root), area);
        forEachCell(areas_, [&](CellPosition p) { sheet.setFormula(p, formula); });
    }

    void directPrecedentsOf(const Sheet& sheet, Invocation& call) {
        std::vector<CellArea> found;
        forEachCell(areas_, [&](CellPosition p) {
            for (const CellArea& a : directPrecedents(sheet, p)) {
                if (std::find(found.begin(), found.end(), a) == found.end())
                    found.push_back(a);
            }
        });
        if (found.empty())
            failWith(L"No cells were found.");
        call.setObject(newRange(sheet_, std::move(found), RangeMode::Cells));
    }

    static std::string areaText(const CellArea& a, bool rowAbsolute, bool columnAbsolute) {
        const char* row = rowAbsolute ? "$" : "";
        const char* column = columnAbsolute ? "$" : "";
        if (a.first.row == 0 && a.last.row == kMaxRows - 1)
            return column + columnLetters(a.first.column) + ":" + column +
                   columnLetters(a.last.column);
        if (a.first.column == 0 && a.last.column == kMaxColumns - 1)
            return row + std::to_string(a.first.row + 1) + ":" + row +
                   std::to_string(a.last.row + 1);
        return areaAddressText(a, rowAbsolute, columnAbsolute);
    }

    static std::string r1c1(CellPosition p, bool rowAbsolute, bool columnAbsolute) {
        auto part = [](const char* letter, int32_t index, bool absolute) {
            if (absolute)
                return letter + std::to_string(index + 1);
            return index == 0 ? std::string(letter)
                              : std::string(letter) + "[" + std::to_string(index) + "]";
        };
        return part("R", p.row, rowAbsolute) + part("C", p.column, columnAbsolute);
    }

    // Address(RowAbsolute, ColumnAbsolute, ReferenceStyle, External, RelativeTo).
    // Relative R1C1 references count from A1.
    void address(const Sheet& sheet, Invocation& call) {
        bool rowAbsolute = call.boolArg(0, true);
        bool columnAbsolute = call.boolArg(1, true);
        int32_t style = call.intArg(2, kReferenceA1);
        bool external = call.boolArg(3, false);
        if (style != kReferenceA1 && style != kReferenceR1C1)
            failGet(L"Address", className());
        std::string text;
        if (external) {
            // Quoted only when the names themselves need it: '[Book 1]My Sheet'!A1.
            const std::string& book = sheet_.book->book.name();
            std::string prefix = "[" + book + "]" + sheet.name();
            bool plain = quoteSheetName(book + sheet.name()) == book + sheet.name();
            text = (plain ? prefix : "'" + prefix + "'") + "!";
        }
        for (size_t i = 0; i < areas_.size(); ++i) {
            const CellArea& a = areas_[i];
            if (i)
                text += ',';
            if (style == kReferenceA1) {
                text += areaText(a, rowAbsolute, columnAbsolute);
            } else {
                text += r1c1(a.first, rowAbsolute, columnAbsolute);
                if (a.first != a.last)
                    text += ":" + r1c1(a.last, rowAbsolute, columnAbsolute);
            }
        }
        call.setString(text);
    }

    template <typename Apply> void format(Sheet& sheet, Apply apply) {
        forEachCell(areas_, [&](CellPosition p) {
            CellFormat f = cellOrBlank(sheet, p).format;
            apply(f);
            sheet.setFormat(p, f);
        });
    }

    void alignment(Sheet& sheet, Invocation& call) {
        if (call.isPut()) {
            int32_t value = call.putInt();
            if (!isAlignment(value))
                failSet(L"HorizontalAlignment", className());
            format(sheet,
                   [&](CellFormat& f) { f.alignment = static_cast<HorizontalAlignment>(value); });
            return;
        }
        common<int32_t>(
            sheet, areas_, call,
            [](const Cell& c) { return static_cast<int32_t>(c.format.alignment); },
            [&](int32_t v) { call.setInt(v); });
    }

    void numberFormat(Sheet& sheet, Invocation& call) {
        if (call.isPut()) {
            std::string text = call.putString();
            if (text.size() > 255)
                failSet(L"NumberFormat", className());
            if (text.empty())
                text = "General";
            format(sheet, [&](CellFormat& f) { f.numberFormat = text; });
            return;
        }
        common<std::string>(
            sheet, areas_, call, [](const Cell& c) { return c.format.numberFormat; },
            [&](const std::string& s) { call.setString(s); });
    }

    SheetRef sheet_;
    std::vector<CellArea> areas_;
    RangeMode mode_;
};

class RangeObject::FontObject : public DispatchObject {
public:
    // Holds its range, for the same cells, rather than a copy of its areas.
    explicit FontObject(RangeObject& range) : range_(range) { range_.AddRef(); }
    ~FontObject() override { range_.Release(); }

protected:
    void invoke(DISPID id, Invocation& call) override {
        Sheet& sheet = range_.sheet_.get();
        switch (id) {
        case 0x60: // Bold
            return flag(sheet, call, &CellFormat::bold);
        case 0x65: // Italic
            return flag(sheet, call, &CellFormat::italic);
        case 0x6A: // Underline
            return underline(sheet, call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Bold", 0x60, true}, {L"Italic", 0x65, true}, {L"Underline", 0x6A, true}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Font"; }

private:
    template <typename Change> void apply(Sheet& sheet, const Change& change) {
        forEachCell(range_.areas_, [&](CellPosition p) {
            CellFormat f = cellOrBlank(sheet, p).format;
            change(f);
            sheet.setFormat(p, f);
        });
    }

    void flag(Sheet& sheet, Invocation& call, bool CellFormat::*member) {
        if (call.isPut()) {
            bool value = call.putBool();
            apply(sheet, [&](CellFormat& f) { f.*member = value; });
            return;
        }
        common<bool>(
            sheet, range_.areas_, call, [&](const Cell& c) { return c.format.*member; },
            [&](bool b) { call.setBool(b); });
    }

    // Underline takes a style constant or a Boolean (True is a single line).
    void underline(Sheet& sheet, Invocation& call) {
        if (call.isPut()) {
            const VARIANT& v = call.putValue();
            int32_t style;
            if (V_VT(&v) == VT_BOOL)
                style = V_BOOL(&v) != VARIANT_FALSE ? kUnderlineSingle : kUnderlineNone;
            else
                style = variantToInt(v, 0);
            if (!isUnderlineStyle(style))
                failSet(L"Underline", className());
            apply(sheet, [&](CellFormat& f) { f.underline = style; });
            return;
        }
        common<int32_t>(
            sheet, range_.areas_, call, [](const Cell& c) { return c.format.underline; },
            [&](int32_t v) { call.setInt(v); });
    }

    RangeObject& range_;
};

IDispatch* RangeObject::makeFont() {
    return new FontObject(*this);
}

} // namespace

IDispatch* newRange(const SheetRef& sheet, std::vector<CellArea> areas, RangeMode mode) {
    return new RangeObject(sheet, std::move(areas), mode);
}

} // namespace spreadsheet::automation
