#pragma once

#include "WirelessLink.h"

#include <functional>
#include <optional>
#include <string>

namespace quire::sync {

// Remote paths on the wireless server: '/'-separated, in UTF-8.  Nothing when the
// path does not fit the library's 259 bytes, or the name is not a plain entry name.
std::optional<std::string> WirelessFolderPath(const std::wstring& remoteFolder);
std::optional<std::string> WirelessPathOfName(const std::wstring& remoteFolder,
                                              const std::wstring& name);

// The wireless server as the transfer worker uses it.  State changes, listings and
// status texts go to the main window; failures are shown owned by it.
class WirelessBackend {
public:
    WirelessBackend(const WirelessLink& link, const WirelessCredentials& credentials,
                    HWND mainWindow);

    void Connect();
    // Clears the connected flag before it reports the new state: the main window
    // polls that flag while it waits.
    void Disconnect();
    void List(const std::wstring& remoteFolder);

    // Each returns false on failure and then gives the text to show after the
    // failure's message.
    bool Fetch(const std::wstring& remoteFolder, const std::wstring& name,
               const std::wstring& pcPath, std::wstring& failure);
    bool Send(const std::wstring& pcPath, const std::wstring& remoteFolder,
              const std::wstring& name, std::wstring& failure);
    bool Erase(const std::wstring& remoteFolder, const std::wstring& name, std::wstring& failure);

    // The library's last error text, or "Unknown wireless server error".
    std::wstring ErrorText() const;

private:
    void SendState(WORD state) const;
    // Runs a library call on the UTF-8 path of a name.
    bool OnRemotePath(const std::wstring& remoteFolder, const std::wstring& name,
                      std::wstring& failure, const std::function<int(const char*)>& call) const;

    const WirelessLink& link_;
    const WirelessCredentials& credentials_;
    HWND mainWindow_;
};

// The library's last error text, or "Unknown wireless server error".
std::wstring WirelessErrorText(const WirelessLink& link);

// The callbacks handed to the library.
int __stdcall AddListedEntry(const char* name, uint32_t size, int32_t kind, void* context) noexcept;
int __stdcall ReportTransferProgress(uint32_t bytesDone) noexcept;

} // namespace quire::sync
