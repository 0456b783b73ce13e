#include "ComSupport.h"

namespace spreadsheet::automation {

namespace {

std::wstring memberMessage(const wchar_t* pattern, const wchar_t* member,
                           const wchar_t* className) {
    wchar_t buffer[256];
    swprintf(buffer, sizeof buffer / sizeof buffer[0], pattern, member, className);
    return buffer;
}

struct ScopedVariant {
    VARIANT v;
    ScopedVariant() { VariantInit(&v); }
    ~ScopedVariant() { VariantClear(&v); }
};

const VARIANT& followReference(const VARIANT& v) {
    if (V_VT(&v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&v))
        return *V_VARIANTREF(&v);
    return v;
}

} // namespace

void failGet(const wchar_t* member, const wchar_t* className) {
    throw AutomationFailure{
        kApplicationError,
        memberMessage(L"Unable to get the %ls property of the %ls class", member, className)};
}

void failSet(const wchar_t* member, const wchar_t* className) {
    throw AutomationFailure{
        kApplicationError,
        memberMessage(L"Unable to set the %ls property of the %ls class", member, className)};
}

void failMethod(const wchar_t* member, const wchar_t* className) {
    throw AutomationFailure{kApplicationError,
                            memberMessage(L"%ls method of %ls class failed", member, className)};
}

void failWith(const std::wstring& description) {
    throw AutomationFailure{kApplicationError, description};
}

std::string toUtf8(const wchar_t* text, size_t length) {
    if (!text || length == 0)
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::string toUtf8(BSTR text) {
    return toUtf8(text, text ? SysStringLen(text) : 0);
}

std::wstring toWide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

bool variantToBool(const VARIANT& v, UINT argument) {
    ScopedVariant out;
    if (FAILED(VariantChangeType(&out.v, const_cast<VARIANT*>(&v), 0, VT_BOOL)))
        throw StatusFailure{DISP_E_TYPEMISMATCH, argument};
    return V_BOOL(&out.v) != VARIANT_FALSE;
}

int32_t variantToInt(const VARIANT& v, UINT argument) {
    ScopedVariant out;
    if (FAILED(VariantChangeType(&out.v, const_cast<VARIANT*>(&v), 0, VT_I4)))
        throw StatusFailure{DISP_E_TYPEMISMATCH, argument};
    return V_I4(&out.v);
}

std::string variantToString(const VARIANT& v, UINT argument) {
    // Texts nearly always arrive as texts: read in place, not through a copy.
    if (V_VT(&v) == VT_BSTR)
        return toUtf8(V_BSTR(&v));
    ScopedVariant out;
    if (FAILED(VariantChangeTypeEx(&out.v, const_cast<VARIANT*>(&v), 1033, 0, VT_BSTR)))
        throw StatusFailure{DISP_E_TYPEMISMATCH, argument};
    return toUtf8(V_BSTR(&out.v));
}

UINT Invocation::count() const {
    if (!params_)
        return 0;
    UINT named = isPut() ? params_->cNamedArgs : 0;
    return params_->cArgs - (named && params_->cArgs ? 1 : 0);
}

UINT Invocation::positionOf(UINT i) const {
    // rgvarg holds the arguments last to first; a put's named value is rgvarg[0].
    return params_->cArgs - 1 - i;
}

const VARIANT* Invocation::arg(UINT i) const {
    if (i >= count())
        return nullptr;
    const VARIANT& v = followReference(params_->rgvarg[positionOf(i)]);
    if (V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND)
        return nullptr;
    return &v;
}

const VARIANT& Invocation::putValue() const {
    if (!params_ || params_->cArgs == 0)
        throw StatusFailure{DISP_E_PARAMNOTFOUND, 0};
    return followReference(params_->rgvarg[0]);
}

bool Invocation::boolArg(UINT i, bool fallback) const {
    const VARIANT* v = arg(i);
    return v ? variantToBool(*v, positionOf(i)) : fallback;
}

int32_t Invocation::intArg(UINT i, int32_t fallback) const {
    const VARIANT* v = arg(i);
    return v ? variantToInt(*v, positionOf(i)) : fallback;
}

std::string Invocation::stringArg(UINT i) const {
    const VARIANT* v = arg(i);
    if (!v)
        throw StatusFailure{DISP_E_PARAMNOTFOUND, i < count() ? positionOf(i) : 0};
    return variantToString(*v, positionOf(i));
}

bool Invocation::putBool() const {
    return variantToBool(putValue(), 0);
}
int32_t Invocation::putInt() const {
    return variantToInt(putValue(), 0);
}
std::string Invocation::putString() const {
    return variantToString(putValue(), 0);
}

void Invocation::setEmpty() {
    if (result_)
        VariantInit(result_);
}

void Invocation::setBool(bool value) {
    if (!result_)
        return;
    V_VT(result_) = VT_BOOL;
    V_BOOL(result_) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void Invocation::setInt(int32_t value) {
    if (!result_)
        return;
    V_VT(result_) = VT_I4;
    V_I4(result_) = value;
}

void Invocation::setDouble(double value) {
    if (!result_)
        return;
    V_VT(result_) = VT_R8;
    V_R8(result_) = value;
}

void Invocation::setString(const std::string& utf8) {
    if (!result_)
        return;
    // Converted straight into the result, without a wide copy on the way.
    const int length = utf8.empty()
                           ? 0
                           : MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                                 static_cast<int>(utf8.size()), nullptr, 0);
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!text)
        throw StatusFailure{E_OUTOFMEMORY};
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text, length);
    V_VT(result_) = VT_BSTR;
    V_BSTR(result_) = text;
}

void Invocation::setNull() {
    if (result_)
        V_VT(result_) = VT_NULL;
}

void Invocation::setObject(IDispatch* object) {
    if (!result_) {
        object->Release();
        return;
    }
    V_VT(result_) = VT_DISPATCH;
    V_DISPATCH(result_) = object;
}

} // namespace spreadsheet::automation
