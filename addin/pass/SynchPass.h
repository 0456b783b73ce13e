#pragma once

#include "AddinEnvironment.h"
#include "records/HandheldRecords.h"
#include "store/LocalSyncStore.h"

#include "desktopapi.h"

namespace quire::addin {

// Title of the desktop program's main window and the command that makes it
// list its remote side again.
constexpr const wchar_t* kDesktopWindowTitle = L"Quire Desktop";
constexpr WORD CMD_REFRESH_REMOTE = 122;

// One synchronisation: brings the handheld's "Quire" table and the device
// sync folder into step.  Every step and failure goes to the log; only a
// missing table is reported to the host.
class SynchPass {
public:
    SynchPass(const AddinEnvironment& environment, LocalSyncFolder& folder, const AddinLog& log)
        : environment_(environment), log_(log), records_(log), store_(folder, log) {}

    // S_OK when the pass ran, also after a logged failure; S_FALSE when the
    // host offers no "Quire" table.
    HRESULT Process(IDispatch* utility, IHostDatabase* database);

private:
    struct Sets {
        EntrySet incoming;
        EntrySet desktop;
        EntrySet toSend;
        EntrySet inConflict;
        // A host call failed while the handheld's records were read, so what
        // the handheld holds is not fully known in this pass.
        bool handheldUnread = false;
    };

    HRESULT run(IDispatch* utility, IHostDatabase* database);
    void readIncoming(IHostUtility* utility, IHostRecords* records, long count, Sets& sets);
    void findConflicts(uint64_t last, Sets& sets);
    void receive(SyncEntry& entry, Sets& sets);
    // False when a file that the folder's scan did not find has come since
    // and the handheld's copy is not marked as changed: the desktop's stays.
    bool save(SyncEntry& entry, bool scanned);
    // False when a file that did not arrive whole is to be left alone.
    bool acceptIncomplete(const SyncEntry& entry, Sets& sets);
    // False when the user keeps the desktop copy or skips the file.
    bool settleConflict(SyncEntry& entry, Sets& sets);
    // False when a document was held back or could not be read.
    bool send(IHostRecords* records, const Sets& sets);
    void notifyDesktopProgram();

    const AddinEnvironment& environment_;
    const AddinLog& log_;
    HandheldRecords records_;
    LocalSyncStore store_;
};

} // namespace quire::addin
