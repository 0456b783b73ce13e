#pragma once

#include <windows.h>

#include <unknwn.h>

#include <span>

namespace quire::com {

// One creatable class of a library: its id and how to make an instance that
// answers the given interface.
struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*create)(REFIID iid, void** out);
};

// DllGetClassObject over a library's class table: every class is served by
// the same generic factory.
HRESULT getClassObject(std::span<const ClassEntry> table, REFCLSID clsid, REFIID iid, void** out);

// DllCanUnloadNow: S_OK when no object and no server lock is outstanding.
HRESULT canUnloadNow();

} // namespace quire::com
