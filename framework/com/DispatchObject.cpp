#include "DispatchObject.h"

namespace quire::com {

HRESULT loadTypeInfo(REFGUID libraryId, WORD major, WORD minor, const wchar_t* fileName, REFIID iid,
                     ITypeInfo** info) {
    if (!info) {
        return E_POINTER;
    }
    *info = nullptr;
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(libraryId, major, minor, LOCALE_NEUTRAL, library.put());
    if (FAILED(hr)) {
        hr = LoadTypeLibEx(fileName, REGKIND_NONE, library.put());
    }
    return FAILED(hr) ? hr : library->GetTypeInfoOfGuid(iid, info);
}

} // namespace quire::com
