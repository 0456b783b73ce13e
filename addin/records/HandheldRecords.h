#pragma once

#include "RecordFields.h"
#include "RecordParts.h"
#include "SyncEntry.h"
#include "log/AddinLog.h"

#include "desktopapi.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quire::addin {

// Reads and writes files as records of the handheld's "Quire" table.  Host
// calls that fail throw ComError; a record that cannot be read or is not
// safe throws CSynchException.
class HandheldRecords {
public:
    explicit HandheldRecords(const AddinLog& log) : log_(log) {}

    SyncEntry GetFile(IHostRecords* records, long index) const;
    void AddFile(IHostRecords* records, const SyncEntry& entry) const;

    // The value of a text field up to its first zero byte, or nothing when the
    // field is missing or cannot be read.
    std::optional<std::string> GetField(IHostFields* fields, short id) const;
    void SetField(IHostFields* fields, short id, std::span<const uint8_t> bytes) const;

    // How many host calls failed while fields were read, so far.
    unsigned HostFailures() const { return hostFailures_; }

private:
    void readData(IHostFields* fields, SyncEntry& entry) const;
    std::string requireField(IHostFields* fields, short id, const char* logLine) const;

    const AddinLog& log_;
    mutable unsigned hostFailures_ = 0;
};

// Adds an entry read from a record to the incoming set: the first record of a
// path becomes the entry, later ones are placed at their part's offset.
void addReassembled(EntrySet& incoming, SyncEntry entry);

// The record time text "yyyymmddhhmmss" in local time, and back to UTC; 0
// for a time the system cannot hold.
std::string recordTimeText(uint64_t utcFileTime);
uint64_t parseRecordTime(const std::string& text);
uint64_t recordFileTime(const RecordTime& localTime);

} // namespace quire::addin
