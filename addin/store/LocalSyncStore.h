#pragma once

#include "LocalSyncFolder.h"
#include "log/AddinLog.h"
#include "records/SyncEntry.h"

#include <string>

namespace quire::addin {

// Files and folders of the device sync folder as entries.  Failures throw
// CSynchException with the system's text.
class LocalSyncStore {
public:
    LocalSyncStore(LocalSyncFolder& folder, const AddinLog& log) : folder_(folder), log_(log) {}

    EntrySet ScanFolder();
    std::wstring FullPath(const SyncEntry& entry);
    bool EntryExists(const SyncEntry& entry);
    void LoadContent(SyncEntry& entry);
    // A file is written beside its place first and moved over the old copy
    // only when complete, so a failed write leaves the old copy whole.
    void SaveContent(SyncEntry& entry);
    // The same for a file that the folder's scan did not find: it is moved
    // in only while its name is still free.  False when a file of that name
    // has come since, which is left as it is.
    bool SaveNewContent(SyncEntry& entry);

private:
    void scan(std::wstring relative, EntrySet& entries);
    void makeFolder(SyncEntry& entry);
    bool saveFile(const SyncEntry& entry, bool mayReplace);

    LocalSyncFolder& folder_;
    const AddinLog& log_;
};

// Renames ".xls"/".doc" to ".shf"/".pgd" and back; folders keep their names.
void ToDesktopName(SyncEntry& entry);
void ToHandheldName(SyncEntry& entry);

// The system's text for the thread's last error.
std::string Win32ErrorText();

} // namespace quire::addin
