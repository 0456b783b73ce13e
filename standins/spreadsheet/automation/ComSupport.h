#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

namespace spreadsheet::automation {

// The application's own failure code for a member that cannot do its work.
inline constexpr HRESULT kApplicationError = static_cast<HRESULT>(0x800A03EC);
inline constexpr wchar_t kErrorSource[] = L"Excel.Application";

// A failure the application reports as an exception: Invoke answers
// DISP_E_EXCEPTION and fills EXCEPINFO with the code and the description.
struct AutomationFailure {
    HRESULT code;
    std::wstring description;
};

// A failure reported by the status code alone (DISP_E_TYPEMISMATCH and the like).
struct StatusFailure {
    HRESULT code;
    UINT argument = 0; // for DISP_E_TYPEMISMATCH and DISP_E_PARAMNOTFOUND
};

[[noreturn]] void failGet(const wchar_t* member, const wchar_t* className);
[[noreturn]] void failSet(const wchar_t* member, const wchar_t* className);
[[noreturn]] void failMethod(const wchar_t* member, const wchar_t* className);
[[noreturn]] void failWith(const std::wstring& description);

std::string toUtf8(const wchar_t* text, size_t length);
std::string toUtf8(BSTR text);
std::wstring toWide(const std::string& utf8);

// One call's arguments, given first to last (DISPPARAMS holds them last to first).
class Invocation {
public:
    Invocation(WORD flags, DISPPARAMS* params, VARIANT* result)
        : flags_(flags), params_(params), result_(result) {}

    bool isPut() const { return (flags_ & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
    bool isGetOrCall() const { return (flags_ & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0; }

    // Positional arguments, without the property-put value.
    UINT count() const;
    // Argument i (0 = first) with references followed; null when it is absent
    // or passed as the "parameter not found" error variant.
    const VARIANT* arg(UINT i) const;
    // The value of a property put: the named DISPID_PROPERTYPUT argument.
    const VARIANT& putValue() const;

    bool boolArg(UINT i, bool fallback) const;
    int32_t intArg(UINT i, int32_t fallback) const;
    std::string stringArg(UINT i) const; // required
    bool putBool() const;
    int32_t putInt() const;
    std::string putString() const;

    // The result, when the caller asked for one.
    void setEmpty();
    void setBool(bool value);
    void setInt(int32_t value);
    void setDouble(double value);
    void setString(const std::string& utf8);
    void setNull();
    // Takes over the one reference of a fresh object.
    void setObject(IDispatch* object);
    VARIANT* result() const { return result_; }

private:
    UINT positionOf(UINT i) const;
    bool coerce(const VARIANT& in, VARTYPE type, VARIANT& out) const;

    WORD flags_;
    DISPPARAMS* params_;
    VARIANT* result_;
};

// Coercions shared by the argument readers: throw DISP_E_TYPEMISMATCH.
bool variantToBool(const VARIANT& v, UINT argument);
int32_t variantToInt(const VARIANT& v, UINT argument);
std::string variantToString(const VARIANT& v, UINT argument);

} // namespace spreadsheet::automation
