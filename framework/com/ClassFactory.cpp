#include "ClassFactory.h"

#include "ComObject.h"

#include <new>

namespace quire::com {

namespace {

class ClassFactory : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        return entry_.create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ModuleLock::lock() : ModuleLock::unlock();
        return S_OK;
    }

private:
    const ClassEntry& entry_;
};

} // namespace

HRESULT getClassObject(std::span<const ClassEntry> table, REFCLSID clsid, REFIID iid, void** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    for (const ClassEntry& entry : table) {
        if (*entry.clsid == clsid) {
            ClassFactory* factory = new (std::nothrow) ClassFactory(entry);
            if (!factory) {
                return E_OUTOFMEMORY;
            }
            factory->AddRef();
            HRESULT hr = factory->QueryInterface(iid, out);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT canUnloadNow() {
    return ModuleLock::count() == 0 ? S_OK : S_FALSE;
}

} // namespace quire::com
