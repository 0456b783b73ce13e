#pragma once

#include "ComPtr.h"
#include "ComObject.h"

#include <windows.h>

#include <oleauto.h>

#include <new>

namespace quire::com {

// Supplies the type information of one dual interface, or null when it
// cannot be had; IDispatch then answers with the reason.
using TypeInfoSource = HRESULT (*)(REFIID iid, ITypeInfo** info);

// A type-information driven IDispatch for an object that implements one dual
// interface.
template <typename Interface, TypeInfoSource Source>
class DispatchObject : public ComObject<Interface> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        ComPtr<ITypeInfo> info;
        *count = SUCCEEDED(Source(__uuidof(Interface), info.put())) ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) {
            return E_POINTER;
        }
        *info = nullptr;
        if (index != 0) {
            return DISP_E_BADINDEX;
        }
        return Source(__uuidof(Interface), info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        ComPtr<ITypeInfo> info;
        HRESULT hr = Source(__uuidof(Interface), info.put());
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        ComPtr<ITypeInfo> info;
        HRESULT hr = Source(__uuidof(Interface), info.put());
        return FAILED(hr) ? hr
                          : DispInvoke(static_cast<Interface*>(this), info.get(), id, flags, params,
                                       result, exception, badArgument);
    }
};

// Creates an object and hands out its interface, or nothing on failure.
template <typename Derived, typename... Args>
ComPtr<typename Derived::InterfaceType> makeObject(Args&&... args) {
    Derived* object = new (std::nothrow) Derived(std::forward<Args>(args)...);
    return ComPtr<typename Derived::InterfaceType>(object);
}

// Loads a registered type library, falling back to a file of the given name
// (searched beside the program and on the path), and finds one interface.
HRESULT loadTypeInfo(REFGUID libraryId, WORD major, WORD minor, const wchar_t* fileName, REFIID iid,
                     ITypeInfo** info);

} // namespace quire::com
