#pragma once

#include "com/DispatchObject.h"
#include "log/AddinLog.h"
#include "pass/AddinEnvironment.h"
#include "store/LocalSyncFolder.h"

#include "desktopapi.h"

namespace quire::addin {

// What every QuireSynch object of one library shares: its surroundings, the
// cached sync folder and the log.
struct AddinServices {
    AddinEnvironment environment;
    LocalSyncFolder folder{environment.userRoot};
    AddinLog log;
};

// The extension-information block the host reads from GetInfo.
extern const wchar_t kExtensionInfo[];

// The extension type information from the host's type library.
HRESULT desktopTypeInfo(REFIID iid, ITypeInfo** info);

// The add-in object the host creates: it keeps nothing between calls; every
// Process is a complete pass.
class QuireSynch : public com::DispatchObject<IDesktopExtension, desktopTypeInfo> {
public:
    explicit QuireSynch(AddinServices& services) : services_(services) {}

    HRESULT STDMETHODCALLTYPE GetInfo(BSTR* info) override;
    HRESULT STDMETHODCALLTYPE Process(IDispatch* utility, IHostDatabase* database) override;
    HRESULT STDMETHODCALLTYPE Configure(long parentWindow, IDispatch* utility) override;
    HRESULT STDMETHODCALLTYPE GetErrorString(long code, BSTR* text) override;

private:
    AddinServices& services_;
};

// Creates an object for the class table.
HRESULT createQuireSynch(AddinServices& services, REFIID iid, void** out);

} // namespace quire::addin
