#include "DispatchObject.h"

#include "BlockPool.h"
#include "com/ModuleLock.h"

#include <new>

namespace spreadsheet::automation {

// Every object keeps the module loaded.
DispatchObject::DispatchObject() {
    quire::com::ModuleLock::lock();
}
DispatchObject::~DispatchObject() {
    quire::com::ModuleLock::unlock();
}

void* DispatchObject::operator new(size_t size) {
    return allocatePooled(size);
}

void DispatchObject::operator delete(void* object, size_t size) noexcept {
    releasePooled(object, size);
}

HRESULT STDMETHODCALLTYPE DispatchObject::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DispatchObject::AddRef() {
    return ++references_;
}

ULONG STDMETHODCALLTYPE DispatchObject::Release() {
    long left = --references_;
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                        DISPID* ids) {
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    size_t memberCount = 0;
    const MemberName* table = members(memberCount);
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {
            // Argument names are not supported.
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        for (size_t m = 0; m < memberCount; ++m) {
            if (names[i] && table[m].name && _wcsicmp(names[i], table[m].name) == 0) {
                ids[i] = table[m].id;
                break;
            }
        }
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                                 DISPPARAMS* params, VARIANT* result,
                                                 EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (result)
        VariantInit(result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Invocation call(flags, params ? params : &none, result);
    try {
        if (call.isPut() && (!params || params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
                             params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
            return DISP_E_PARAMNOTOPTIONAL;
        size_t memberCount = 0;
        const MemberName* table = members(memberCount);
        const MemberName* member = nullptr;
        for (size_t m = 0; m < memberCount && !member; ++m) {
            if (table[m].id == id)
                member = &table[m];
        }
        if (!member || (call.isPut() && !member->writable))
            return DISP_E_MEMBERNOTFOUND;
        invoke(id, call);
        return S_OK;
    } catch (const AutomationFailure& failure) {
        if (result)
            VariantClear(result);
        if (exception) {
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(kErrorSource);
            exception->bstrDescription = SysAllocString(failure.description.c_str());
            exception->scode = failure.code;
        }
        return DISP_E_EXCEPTION;
    } catch (const StatusFailure& failure) {
        if (result)
            VariantClear(result);
        if (argumentError &&
            (failure.code == DISP_E_TYPEMISMATCH || failure.code == DISP_E_PARAMNOTFOUND))
            *argumentError = failure.argument;
        return failure.code;
    } catch (const std::bad_alloc&) {
        if (result)
            VariantClear(result);
        return E_OUTOFMEMORY;
    } catch (...) {
        if (result)
            VariantClear(result);
        return E_UNEXPECTED;
    }
}

} // namespace spreadsheet::automation
