#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

namespace sheaf {

// Owns one VARIANT: an argument on its way to the application or a result
// on its way back.
class AutomationValue {
public:
    AutomationValue() { VariantInit(&v_); }
    AutomationValue(const AutomationValue& other);
    AutomationValue& operator=(const AutomationValue& other);
    AutomationValue(AutomationValue&& other) noexcept;
    AutomationValue& operator=(AutomationValue&& other) noexcept;
    ~AutomationValue() { VariantClear(&v_); }

    // Argument kinds.  A string is converted from the ANSI code page; True is
    // -1 (VARIANT_TRUE); an omitted optional argument is the error variant
    // DISP_E_PARAMNOTFOUND.
    static AutomationValue variant(const VARIANT& value);
    static AutomationValue boolean(bool value);
    static AutomationValue int32(int32_t value);
    static AutomationValue string(const std::string& ansi);
    static AutomationValue omitted();

    const VARIANT& get() const { return v_; }
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }
    // The type without the by-reference flag.
    VARTYPE type() const { return static_cast<VARTYPE>(V_VT(&v_) & ~VT_BYREF); }

    // Coercions; each throws a status AutomationFailure when the value has no
    // such form.
    bool toBool() const;
    int32_t toInt32() const;
    double toDouble() const;
    std::string toString() const;

private:
    VARIANT v_;
};

} // namespace sheaf
