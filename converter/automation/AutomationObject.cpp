#include "AutomationObject.h"

#include "AnsiText.h"
#include "WorkbookMembers.h"

#include <utility>
#include <vector>

namespace sheaf {
namespace {

constexpr size_t kArgumentsOffHeap = 4;

} // namespace

AutomationObject::AutomationObject(AutomationObject&& other) noexcept
    : dispatch_(std::exchange(other.dispatch_, nullptr)), owns_(other.owns_) {}

AutomationObject& AutomationObject::operator=(AutomationObject&& other) noexcept {
    if (this != &other) {
        release();
        dispatch_ = std::exchange(other.dispatch_, nullptr);
        owns_ = other.owns_;
    }
    return *this;
}

bool AutomationObject::create(const char* progId) {
    release();
    CLSID clsid;
    std::wstring wide = ansiToWide(progId ? progId : "");
    if (FAILED(CLSIDFromProgID(wide.c_str(), &clsid)))
        return false;
    IDispatch* dispatch = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr) || !dispatch)
        return false;
    attach(dispatch, true);
    return true;
}

void AutomationObject::attach(IDispatch* dispatch, bool owns) {
    release();
    dispatch_ = dispatch;
    owns_ = owns;
}

IDispatch* AutomationObject::detach() {
    return std::exchange(dispatch_, nullptr);
}

void AutomationObject::release() {
    IDispatch* dispatch = std::exchange(dispatch_, nullptr);
    if (dispatch && owns_)
        dispatch->Release();
}

LCID AutomationObject::localeFor(DISPID id) {
    return id == DISPID_XL_NUMBER_FORMAT ? 1033 : 0;
}

AutomationValue AutomationObject::invoke(WORD flags, DISPID id, const AutomationValue* args,
                                         size_t count, bool put) const {
    if (!dispatch_)
        throw AutomationFailure::status(E_POINTER);
    // The dispatch interface takes its arguments last to first.  Members take
    // a few at most: those stay off the heap, which costs more than the call
    // itself in a conversion that makes a dozen calls per cell.
    VARIANT few[kArgumentsOffHeap];
    std::vector<VARIANT> many;
    VARIANT* reversed = few;
    if (count > kArgumentsOffHeap) {
        many.resize(count);
        reversed = many.data();
    }
    for (size_t i = 0; i < count; ++i)
        reversed[count - 1 - i] = args[i].get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{count == 0 ? nullptr : reversed, put ? &named : nullptr,
                      static_cast<UINT>(count), put ? 1u : 0u};
    AutomationValue result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, localeFor(id), flags, &params,
                                   put ? nullptr : result.put(), &exception, &argumentError);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        HRESULT code = exception.scode ? exception.scode : hr;
        std::string description =
            exception.bstrDescription
                ? wideToAnsi(exception.bstrDescription, SysStringLen(exception.bstrDescription))
                : std::string();
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        throw AutomationFailure::dispatch(code, std::move(description));
    }
    if (FAILED(hr))
        throw AutomationFailure::status(hr);
    return result;
}

// The object of a result, taken over with its reference; an empty handle when
// the application gave no object.
AutomationObject AutomationObject::takeObject(AutomationValue value) {
    AutomationObject object;
    const VARIANT& v = value.get();
    if (V_VT(&v) == VT_EMPTY || (V_VT(&v) == VT_DISPATCH && !V_DISPATCH(&v)))
        return object;
    if (V_VT(&v) != VT_DISPATCH)
        throw AutomationFailure::status(DISP_E_TYPEMISMATCH);
    IDispatch* dispatch = V_DISPATCH(&v);
    dispatch->AddRef();
    object.attach(dispatch, true);
    return object;
}

AutomationValue AutomationObject::getVariant(DISPID id, Arguments args) const {
    return invoke(DISPATCH_PROPERTYGET, id, args.begin(), args.size(), false);
}

AutomationObject AutomationObject::getObject(DISPID id, Arguments args) const {
    return takeObject(getVariant(id, args));
}

int32_t AutomationObject::getInt32(DISPID id, Arguments args) const {
    return getVariant(id, args).toInt32();
}

bool AutomationObject::getBool(DISPID id, Arguments args) const {
    return getVariant(id, args).toBool();
}

std::string AutomationObject::getString(DISPID id, Arguments args) const {
    return getVariant(id, args).toString();
}

void AutomationObject::put(DISPID id, const AutomationValue& value) const {
    invoke(DISPATCH_PROPERTYPUT, id, &value, 1, true);
}

AutomationValue AutomationObject::call(DISPID id, Arguments args) const {
    return invoke(DISPATCH_METHOD, id, args.begin(), args.size(), false);
}

AutomationObject AutomationObject::callObject(DISPID id, Arguments args) const {
    return takeObject(call(id, args));
}

} // namespace sheaf
