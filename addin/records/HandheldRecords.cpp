#include "HandheldRecords.h"

#include "RecordPath.h"
#include "com/ComError.h"
#include "com/ComPtr.h"
#include "com/Variant.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quire::addin {

using com::check;
using com::ComError;
using com::ComPtr;

namespace {

std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// What a failed COM call adds to a log line: the low word of the code and the
// description, when there is one.
std::string comFailureText(const ComError& error) {
    std::string text = "[" + std::to_string(error.code() & 0xFFFF) + "]";
    if (!error.description().empty()) {
        text += " " + toAnsi(error.description());
    }
    return text;
}

// How many bytes part `part` of a file of `size` bytes holds.
size_t expectedPartLength(int32_t size, int32_t part) {
    int64_t offset = int64_t(part) * int64_t(kPartSize);
    if (size <= 0 || part < 0 || offset >= size) {
        return 0;
    }
    return static_cast<size_t>(std::min<int64_t>(size - offset, kPartSize));
}

} // namespace

std::string recordTimeText(uint64_t utcFileTime) {
    FILETIME utc{static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    return text;
}

uint64_t parseRecordTime(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::sscanf(text.c_str(), "%4d%2d%2d%2d%2d%2d", &year, &month, &day, &hour, &minute, &second);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    FILETIME local{};
    FILETIME utc{};
    if (!SystemTimeToFileTime(&time, &local) || !LocalFileTimeToFileTime(&local, &utc)) {
        return 0;
    }
    return (uint64_t(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

std::optional<std::string> HandheldRecords::GetField(IHostFields* fields, short id) const {
    try {
        ComPtr<IHostField> field;
        check(fields->get_Item(id, field.put()));
        if (!field) {
            return std::nullopt;
        }
        com::Variant value;
        check(field->get_Value(value.put()));
        std::vector<uint8_t> bytes = com::readByteArray(value.ref());
        auto zero = std::find(bytes.begin(), bytes.end(), uint8_t(0));
        return std::string(bytes.begin(), zero);
    } catch (const ComError& error) {
        log_.write("!!! GetField: com exception occured " + comFailureText(error));
    } catch (...) {
        log_.write("!!! GetField: unknown exception occured ");
    }
    return std::nullopt;
}

void HandheldRecords::SetField(IHostFields* fields, short id,
                               std::span<const uint8_t> bytes) const {
    com::Variant value;
    com::makeByteArray(bytes, value.get());
    ComPtr<IHostField> field;
    check(fields->AddField(field.put()));
    com::checkNotNull(field.get());
    check(field->put_Id(id));
    check(field->put_Value(value.ref()));
}

std::string HandheldRecords::requireField(IHostFields* fields, short id,
                                          const char* logLine) const {
    std::optional<std::string> value = GetField(fields, id);
    log_.write(logLine);
    if (!value) {
        throw CSynchException(std::string("missing field: ") + logLine);
    }
    return *value;
}

void HandheldRecords::readData(IHostFields* fields, SyncEntry& entry) const {
    try {
        ComPtr<IHostField> field;
        check(fields->get_Item(FIELD_DATA, field.put()));
        if (!field) {
            return;
        }
        com::Variant value;
        check(field->get_Value(value.put()));
        std::vector<uint8_t> bytes = com::readByteArray(value.ref());
        log_.write("trying to read " + std::to_string(bytes.size()) + " bytes of file...");
        // The handheld may close a part with one zero byte.  Only a byte beyond
        // what the part should hold is that terminator; a file's own last zero
        // byte stays.
        if (!bytes.empty() && bytes.back() == 0 &&
            bytes.size() == expectedPartLength(entry.size, entry.part) + 1) {
            bytes.pop_back();
        }
        entry.content.insert(entry.content.end(), bytes.begin(), bytes.end());
        log_.write("succesed...");
    } catch (const ComError& error) {
        log_.write("!!! GetField: com exception occured " + comFailureText(error));
    } catch (...) {
        log_.write("!!! GetField: unknown exception occured ");
    }
}

SyncEntry HandheldRecords::GetFile(IHostRecords* records, long index) const {
    log_.write("GetFile begin");
    ComPtr<IHostRecord> record;
    check(records->get_Item(index, record.put()));
    log_.write("r = filesRecords->Item[index]");
    if (!record) {
        log_.write("filesRecords->Item[index]==NULL");
        throw CSynchException("Can't get file record");
    }
    ComPtr<IHostFields> fields;
    check(record->get_Fields(fields.put()));
    log_.write("fields = r->fields");
    log_.write(fields ? "fields!=null" : "fields==null");
    if (!fields) {
        throw CSynchException("Can't get fields of file record");
    }
    long count = 0;
    check(fields->get_Count(&count));
    log_.write("fields count: " + std::to_string(count));

    std::string id = requireField(fields.get(), FIELD_ID, "GetField(fields, FIELD_ID)");
    std::string name = requireField(fields.get(), FIELD_NAME, "GetField(fields, FIELD_NAME)");
    log_.write("file No " + std::to_string(index) + "; " + name);
    std::string parent = requireField(fields.get(), FIELD_PARENT, "GetField(fields, FIELD_PARENT)");
    std::string size = requireField(fields.get(), FIELD_SIZE, "GetField(fields, FIELD_SIZE)");
    std::string time = requireField(fields.get(), FIELD_TIME, "GetField(fields, FIELD_TIME)");
    std::string changed =
        requireField(fields.get(), FIELD_CHANGED, "GetField(fields, FIELD_CHANGED)");
    std::string part =
        requireField(fields.get(), FIELD_DATAPART, "GetField(fields, FIELD_DATAPART)");

    int32_t sizeValue = std::atoi(size.c_str());
    bool changedValue = std::atoi(changed.c_str()) != 0;
    char line[1024];
    std::snprintf(line, sizeof line,
                  "id=%s\tname=%s\tparent=%s\tsize=%s\ttime=%s\tchanged=%d,part=%s", id.c_str(),
                  name.c_str(), parent.c_str(), size.c_str(), time.c_str(), changedValue ? 1 : 0,
                  part.c_str());
    log_.write(line);

    std::optional<std::wstring> path = recordEntryPath(parent, name);
    if (!path) {
        log_.write("unsafe file name skipped: parent=" + parent + " name=" + name);
        throw CSynchException("Record names a file outside the synch folder");
    }

    SyncEntry entry;
    entry.kind = sizeValue < 0 ? EntryKind::Folder : EntryKind::File;
    entry.path = *path;
    entry.id = std::atoi(id.c_str());
    entry.size = sizeValue;
    entry.time = parseRecordTime(time);
    entry.changed = changedValue;
    entry.part = std::atoi(part.c_str());

    if (sizeValue == -1) {
        log_.write("no file data");
    } else {
        log_.write("getting file data");
        entry.content.clear();
        readData(fields.get(), entry);
    }
    log_.write("data size=" + std::to_string(entry.content.size()));
    log_.write("GetFile end");
    return entry;
}

void HandheldRecords::AddFile(IHostRecords* records, const SyncEntry& entry) const {
    RecordLocation location = recordLocation(entry.path);
    size_t total = entry.content.size();
    log_.write("Writing file " + location.name + " total size " + std::to_string(total));

    const std::string id = std::to_string(entry.id);
    const std::string size = std::to_string(entry.size);
    const std::string time = recordTimeText(entry.time);
    const std::string changed = entry.changed ? "1" : "0";
    size_t remaining = total;
    for (size_t part = 0;; ++part) {
        size_t offset = part * kPartSize;
        size_t length = std::min(remaining, kPartSize);
        ComPtr<IHostRecord> record;
        check(records->AddRecord(record.put()));
        if (!record) {
            log_.write("can't add record");
        } else {
            log_.write("record added");
            ComPtr<IHostFields> fields;
            check(record->get_Fields(fields.put()));
            if (!fields) {
                log_.write("can't get fields of record");
            } else {
                log_.write("begin adding fields");
                const std::string partText = std::to_string(part);
                SetField(fields.get(), FIELD_ID, bytesOf(id));
                log_.write("FIELD_ID=" + id);
                SetField(fields.get(), FIELD_NAME, bytesOf(location.name));
                log_.write("FIELD_NAME=" + location.name);
                SetField(fields.get(), FIELD_PARENT, bytesOf(location.parent));
                log_.write("FIELD_PARENT=" + location.parent);
                SetField(fields.get(), FIELD_SIZE, bytesOf(size));
                log_.write("FIELD_SIZE=" + size);
                SetField(fields.get(), FIELD_TIME, bytesOf(time));
                log_.write("FIELD_TIME=" + time);
                SetField(fields.get(), FIELD_CHANGED, bytesOf(changed));
                log_.write("FIELD_CHANGED=" + changed);
                SetField(fields.get(), FIELD_DATAPART, bytesOf(partText));
                log_.write("FIELD_DATAPART=" + partText);
                log_.write("FIELD_DATA beg=" + std::to_string(offset) +
                           " size=" + std::to_string(length));
                SetField(fields.get(), FIELD_DATA,
                         std::span<const uint8_t>(entry.content).subspan(offset, length));
                log_.write("end adding fields");
            }
            check(record->Update());
            log_.write("record updated");
        }
        remaining -= length;
        if (remaining == 0) {
            break;
        }
    }
}

void addReassembled(EntrySet& incoming, SyncEntry entry) {
    SyncEntry* existing = incoming.find(entry.path);
    if (!existing) {
        entry.partsMerged = 0;
        incoming.insert(std::move(entry));
        return;
    }
    // A part number from the handheld is not trusted to stay inside the file.
    uint64_t offset = uint64_t(std::max(entry.part, 0)) * kPartSize;
    uint64_t end = offset + entry.content.size();
    if (end > uint64_t(std::max(existing->size, 0))) {
        throw CSynchException("Record part " + std::to_string(entry.part) +
                              " lies beyond the file size");
    }
    if (existing->content.size() < end) {
        existing->content.resize(end, 0);
    }
    std::copy(entry.content.begin(), entry.content.end(), existing->content.begin() + offset);
    existing->partsMerged += 1;
}

} // namespace quire::addin
