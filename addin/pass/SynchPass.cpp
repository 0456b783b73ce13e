#include "SynchPass.h"

#include "LastSynchDate.h"
#include "com/Bstr.h"
#include "com/ComError.h"
#include "com/ComPtr.h"
#include "com/Variant.h"
#include "format/RecordParts.h"
#include "ui/ConflictDialog.h"

#include <cwchar>

namespace quire::addin {

using com::check;
using com::ComError;
using com::ComPtr;

namespace {

const wchar_t kTableName[] = L"Quire";

// The current directory, which the host expects back as it was.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() {
        DWORD length = GetCurrentDirectoryW(MAX_PATH, saved_);
        if (length == 0 || length >= MAX_PATH) {
            saved_[0] = 0;
        }
    }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;
    ~CurrentDirectoryGuard() {
        if (saved_[0]) {
            SetCurrentDirectoryW(saved_);
        }
    }

private:
    wchar_t saved_[MAX_PATH] = {};
};

void status(IHostUtility* utility, long code, const wchar_t* text) {
    com::Bstr message(text);
    check(utility->Status(code, message.get()));
}

ComPtr<IHostTable> findQuireTable(IHostTables* tables) {
    long count = 0;
    for (long i = 1; check(tables->get_Count(&count)), i <= count; ++i) {
        com::Variant index(i);
        ComPtr<IHostTable> table;
        check(tables->get_Item(index.ref(), table.put()));
        if (!table) {
            continue;
        }
        com::Bstr name;
        check(table->get_Name(name.put()));
        if (name.str() == kTableName) {
            return table;
        }
    }
    return {};
}

// Whether every part of a file read from the handheld arrived and could be
// read.  The length alone would miss a middle part that is missing: the parts
// after it are placed at their offsets, leaving a gap of zero bytes.
bool arrivedWhole(const SyncEntry& entry) {
    return !entry.unreadParts && entry.content.size() == static_cast<size_t>(entry.size) &&
           entry.partsMerged + 1 >= ExpectedPartCount(entry.size);
}

} // namespace

HRESULT SynchPass::Process(IDispatch* utility, IHostDatabase* database) {
    CurrentDirectoryGuard directory;
    log_.write("=== process called");
    log_.write("Unicode Version");
    HRESULT result = S_OK;
    try {
        result = run(utility, database);
        if (result == S_FALSE) {
            return result;
        }
    } catch (const ComError& error) {
        std::string line =
            "!!! process: com exception occured [" + std::to_string(error.code() & 0xFFFF) + "]";
        if (!error.description().empty()) {
            line += " " + toAnsi(error.description());
        }
        log_.write(line);
    } catch (const CSynchException& error) {
        log_.write("!!! process: exception occured " + error.message());
    } catch (...) {
        log_.write("!!! process: unknown exception occured ");
    }
    log_.write("=== process exiting...");
    return S_OK;
}

HRESULT SynchPass::run(IDispatch* utilityArgument, IHostDatabase* database) {
    ComPtr<IHostUtility> utility;
    if (utilityArgument) {
        check(utilityArgument->QueryInterface(__uuidof(IHostUtility), utility.putVoid()));
    }
    com::checkNotNull(utility.get(), E_NOINTERFACE);
    com::checkNotNull(database);
    ComPtr<IHostTables> tables;
    check(database->get_Tables(tables.put()));
    log_.write(tables ? "tables!=null" : "tables==null");
    com::checkNotNull(tables.get());
    long tableCount = 0;
    check(tables->get_Count(&tableCount));
    log_.write("tables count = " + std::to_string(tableCount));

    ComPtr<IHostTable> table = findQuireTable(tables.get());
    if (!table) {
        log_.write("Quire table is NOT found");
        return S_FALSE;
    }
    log_.write("Quire table is found");
    check(utility->Progress(100, 0, 0));
    status(utility.get(), 200, L"Quire Progress");
    status(utility.get(), 201, L"Processing files...");

    ComPtr<IHostRecords> records;
    check(table->LoadRecords(RIM_Mode_ReadWrite, records.put()));
    log_.write("files = filesTable->LoadRecords(RIM_Mode_ReadWrite)");
    com::checkNotNull(records.get());
    long count = 0;
    check(records->get_Count(&count));
    log_.write("processing incoming " + std::to_string(count) + " files");

    uint64_t last = ReadLastSynchDate(environment_.userRoot);
    log_.write("Last synch was at " + logTime(last));

    // The date is taken before the folder is read: a document edited while
    // the pass runs is newer than it and counts as changed at the next pass.
    const uint64_t passStarted = environment_.now();
    Sets sets;
    sets.desktop = store_.ScanFolder();
    if (count < 0) {
        log_.write("no incoming files to process");
        sets.toSend = sets.desktop;
    } else {
        readIncoming(utility.get(), records.get(), count, sets);
        findConflicts(last, sets);
        log_.write("saving recieved files to desktop...");
        for (auto& [path, entry] : sets.incoming) {
            try {
                receive(entry, sets);
            } catch (const CSynchException& error) {
                log_.write("exception: " + error.message());
            }
        }
    }
    const bool allSent = send(records.get(), sets);
    notifyDesktopProgram();
    // A document that could not be sent keeps the old date, so that it is
    // still newer than the date at the next pass.
    if (allSent) {
        SaveLastSynchDate(environment_.userRoot, passStarted);
    } else {
        log_.write("last synch date kept: some files were not sent");
    }
    return S_OK;
}

void SynchPass::readIncoming(IHostUtility* utility, IHostRecords* records, long count, Sets& sets) {
    log_.write("begin processing incoming files");
    check(utility->Progress(102, count, 1));
    const unsigned failedBefore = records_.HostFailures();
    for (long j = 1; j <= count; ++j) {
        check(utility->Progress(103, j, 0));
        try {
            SyncEntry entry = records_.GetFile(records, j);
            ToDesktopName(entry);
            addReassembled(sets.incoming, std::move(entry));
        } catch (const ComError&) {
            log_.write("!!! GetFile(...) exception occured");
            sets.handheldUnread = true;
        } catch (...) {
            log_.write("!!! GetFile(...) exception occured");
        }
    }
    if (records_.HostFailures() != failedBefore) {
        sets.handheldUnread = true;
    }
    if (sets.handheldUnread) {
        log_.write("some handheld records could not be read: they are read again at the next pass");
    }
}

void SynchPass::findConflicts(uint64_t last, Sets& sets) {
    EntrySet changedOnDesktop;
    for (const auto& [path, entry] : sets.desktop) {
        if (!sets.incoming.contains(path)) {
            sets.toSend.insert(entry);
        }
        if (entry.time >= last) {
            changedOnDesktop.insert(entry);
        }
    }
    for (const auto& [path, entry] : sets.incoming) {
        if (changedOnDesktop.contains(path)) {
            sets.inConflict.insert(entry);
        }
    }
}

void SynchPass::receive(SyncEntry& entry, Sets& sets) {
    std::string path = toUtf8(entry.path);
    log_.write("checking file " + path);
    if (!entry.isFolder() && !arrivedWhole(entry) && !acceptIncomplete(entry, sets)) {
        return;
    }
    if (!entry.isFolder() && sets.inConflict.contains(entry.path) && !settleConflict(entry, sets)) {
        return;
    }
    // A name the scan did not find is looked up only by the move that puts
    // the file in place: under Wine each lookup of a missing name reads the
    // whole folder, and a first pass would read it four times a file.
    const bool scanned = sets.desktop.contains(entry.path);
    if (scanned && store_.EntryExists(entry) && !entry.changed) {
        return;
    }
    log_.write("trying to save file " + toAnsi(store_.FullPath(entry)) + " ...");
    try {
        if (save(entry, scanned)) {
            log_.write("succeeded");
        } else {
            log_.write("desktop copy kept");
        }
    } catch (const CSynchException& error) {
        log_.write("save file exception: " + error.message());
    }
}

bool SynchPass::save(SyncEntry& entry, bool scanned) {
    if (!scanned) {
        if (store_.SaveNewContent(entry)) {
            return true;
        }
        if (!entry.changed) {
            return false;
        }
    }
    store_.SaveContent(entry);
    return true;
}

// A file whose parts did not all arrive never replaces a good copy.  Where
// the records were all read, the handheld's copy itself is incomplete (a
// pass that stopped while sending it, say): the desktop copy goes back to
// replace it, unless the handheld marks its copy as changed, and a file the
// desktop lacks is saved as far as it goes.  Where a host call failed, the
// file is left for the next pass to read again.
bool SynchPass::acceptIncomplete(const SyncEntry& entry, Sets& sets) {
    const std::string path = toUtf8(entry.path);
    log_.write("file " + path + " is incomplete: " + std::to_string(entry.content.size()) + " of " +
               std::to_string(entry.size) + " bytes arrived");
    if (store_.EntryExists(entry)) {
        log_.write("desktop copy kept");
        if (!sets.handheldUnread && !entry.changed) {
            log_.write("file " + path + " will be sent again to the handheld");
            sets.toSend.insert(entry);
        }
        return false;
    }
    if (sets.handheldUnread) {
        log_.write("file " + path + " not saved");
        return false;
    }
    return true;
}

bool SynchPass::settleConflict(SyncEntry& entry, Sets& sets) {
    log_.write("file " + toUtf8(entry.path) +
               " was changed both on desktop and handheld computers...");
    ConflictDialog dialog(entry.path);
    if (dialog.runModal(environment_.resources, GetActiveWindow()) != IDOK) {
        log_.write("file was skipped");
        return false;
    }
    switch (dialog.action()) {
    case ConflictDialog::kOverwriteDesktop:
        log_.write("file will be updated on desktop");
        entry.changed = true;
        return true;
    case ConflictDialog::kOverwriteHandheld:
        log_.write("file will be updated on handheld");
        sets.toSend.insert(entry);
        return false;
    default:
        log_.write("unknown action specified");
        return false;
    }
}

bool SynchPass::send(IHostRecords* records, const Sets& sets) {
    if (sets.toSend.empty()) {
        log_.write("no files to send");
        return true;
    }
    log_.write("sending files...");
    bool allSent = true;
    for (const auto& [path, entry] : sets.toSend) {
        SyncEntry copy = entry;
        // The handheld may hold a new file already, in a record that could
        // not be read: sending it now could give the handheld two copies.
        if (entry.id == -1 && sets.handheldUnread) {
            log_.write("file " + toAnsi(store_.FullPath(copy)) +
                       " held back: some handheld records could not be read");
            allSent = false;
            continue;
        }
        // A document that cannot be read is skipped; the others still go.
        try {
            store_.LoadContent(copy);
        } catch (const CSynchException& error) {
            log_.write("!!! file " + toAnsi(store_.FullPath(copy)) +
                       " skipped: " + error.message());
            allSent = false;
            continue;
        }
        ToHandheldName(copy);
        log_.write("adding file " + toAnsi(store_.FullPath(copy)));
        records_.AddFile(records, copy);
    }
    return allSent;
}

void SynchPass::notifyDesktopProgram() {
    if (HWND window = FindWindowW(nullptr, kDesktopWindowTitle)) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(CMD_REFRESH_REMOTE, 0), 0);
    }
}

} // namespace quire::addin
