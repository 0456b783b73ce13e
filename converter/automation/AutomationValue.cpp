#include "AutomationValue.h"

#include "AnsiText.h"
#include "AutomationFailure.h"

#include <utility>

namespace sheaf {

namespace {

void checkStatus(HRESULT hr) {
    if (FAILED(hr))
        throw AutomationFailure::status(hr);
}

} // namespace

AutomationValue::AutomationValue(const AutomationValue& other) {
    VariantInit(&v_);
    checkStatus(VariantCopy(&v_, const_cast<VARIANT*>(&other.v_)));
}

AutomationValue& AutomationValue::operator=(const AutomationValue& other) {
    if (this != &other) {
        AutomationValue copy(other);
        std::swap(v_, copy.v_);
    }
    return *this;
}

AutomationValue::AutomationValue(AutomationValue&& other) noexcept : v_(other.v_) {
    VariantInit(&other.v_);
}

AutomationValue& AutomationValue::operator=(AutomationValue&& other) noexcept {
    std::swap(v_, other.v_);
    return *this;
}

AutomationValue AutomationValue::variant(const VARIANT& value) {
    AutomationValue result;
    checkStatus(VariantCopy(&result.v_, const_cast<VARIANT*>(&value)));
    return result;
}

AutomationValue AutomationValue::boolean(bool value) {
    AutomationValue result;
    V_VT(&result.v_) = VT_BOOL;
    V_BOOL(&result.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

AutomationValue AutomationValue::int32(int32_t value) {
    AutomationValue result;
    V_VT(&result.v_) = VT_I4;
    V_I4(&result.v_) = value;
    return result;
}

AutomationValue AutomationValue::string(const std::string& ansi) {
    AutomationValue result;
    std::wstring wide = ansiToWide(ansi);
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!text)
        throw AutomationFailure::status(E_OUTOFMEMORY);
    V_VT(&result.v_) = VT_BSTR;
    V_BSTR(&result.v_) = text;
    return result;
}

AutomationValue AutomationValue::omitted() {
    AutomationValue result;
    V_VT(&result.v_) = VT_ERROR;
    V_ERROR(&result.v_) = DISP_E_PARAMNOTFOUND;
    return result;
}

bool AutomationValue::toBool() const {
    VARIANT out;
    VariantInit(&out);
    checkStatus(VariantChangeType(&out, const_cast<VARIANT*>(&v_), 0, VT_BOOL));
    return V_BOOL(&out) != VARIANT_FALSE;
}

int32_t AutomationValue::toInt32() const {
    VARIANT out;
    VariantInit(&out);
    checkStatus(VariantChangeType(&out, const_cast<VARIANT*>(&v_), 0, VT_I4));
    return V_I4(&out);
}

double AutomationValue::toDouble() const {
    VARIANT out;
    VariantInit(&out);
    checkStatus(VariantChangeType(&out, const_cast<VARIANT*>(&v_), 0, VT_R8));
    return V_R8(&out);
}

std::string AutomationValue::toString() const {
    // Most results that are read as texts are texts: no converted copy then.
    if (V_VT(&v_) == VT_BSTR)
        return wideToAnsi(V_BSTR(&v_), SysStringLen(V_BSTR(&v_)));
    VARIANT out;
    VariantInit(&out);
    checkStatus(VariantChangeTypeEx(&out, const_cast<VARIANT*>(&v_), 1033, 0, VT_BSTR));
    std::string text = wideToAnsi(V_BSTR(&out), SysStringLen(V_BSTR(&out)));
    VariantClear(&out);
    return text;
}

} // namespace sheaf
