#pragma once

#include "ModuleLock.h"

#include <windows.h>

#include <oaidl.h>

#include <type_traits>

namespace quire::com {

// Reference counting and QueryInterface for an object that implements one
// interface (and IDispatch when the interface is a dual one).  Every object
// counts towards the module lock, so the library stays while one lives.
template <typename Interface> class ComObject : public Interface {
public:
    using InterfaceType = Interface;

    ComObject() { ModuleLock::lock(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() { ModuleLock::unlock(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (iid == __uuidof(Interface) || iid == IID_IUnknown ||
            (std::is_base_of_v<IDispatch, Interface> && iid == IID_IDispatch)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    volatile LONG refs_ = 0;
};

} // namespace quire::com
