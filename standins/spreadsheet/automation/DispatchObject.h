#pragma once

#include "ComSupport.h"

#include <atomic>
#include <cstddef>

namespace spreadsheet::automation {

// One member of a class: its name for GetIDsOfNames (null when it has none
// here) and whether it may be written.
struct MemberName {
    const wchar_t* name;
    DISPID id;
    bool writable = false;
};

// IDispatch for one automation object: reference counting, name lookup from
// the class's member table, and an Invoke that turns every failure into the
// status code or EXCEPINFO the caller expects, so nothing is thrown across it.
class DispatchObject : public IDispatch {
public:
    DispatchObject();
    virtual ~DispatchObject();
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // A conversion makes and drops several objects for every cell it reads
    // (a Range, its Font): they come from the engine's block pools rather than
    // the process heap.
    static void* operator new(size_t size);
    static void operator delete(void* object, size_t size) noexcept;

protected:
    // Carries out one member of the class's table (Invoke refuses others, and
    // writes to members that are not writable); throws AutomationFailure or
    // StatusFailure.
    virtual void invoke(DISPID id, Invocation& call) = 0;
    virtual const MemberName* members(size_t& count) const = 0;
    virtual const wchar_t* className() const = 0;

    [[noreturn]] static void noSuchMember() { throw StatusFailure{DISP_E_MEMBERNOTFOUND}; }

private:
    std::atomic<long> references_{1};
};

template <size_t N> const MemberName* memberTable(const MemberName (&table)[N], size_t& count) {
    count = N;
    return table;
}

} // namespace spreadsheet::automation
