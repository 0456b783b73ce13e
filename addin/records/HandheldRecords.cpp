#include "HandheldRecords.h"

#include "RecordPath.h"
#include "com/ComError.h"
#include "com/ComPtr.h"
#include "com/Variant.h"

#include <algorithm>
#include <cstdio>

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

} // namespace

std::string recordTimeText(uint64_t utcFileTime) {
    FILETIME utc{static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    return FormatRecordTimeText(
        {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
}

uint64_t recordFileTime(const RecordTime& fields) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.year);
    time.wMonth = static_cast<WORD>(fields.month);
    time.wDay = static_cast<WORD>(fields.day);
    time.wHour = static_cast<WORD>(fields.hour);
    time.wMinute = static_cast<WORD>(fields.minute);
    time.wSecond = static_cast<WORD>(fields.second);
    FILETIME local{};
    FILETIME utc{};
    if (!SystemTimeToFileTime(&time, &local) || !LocalFileTimeToFileTime(&local, &utc)) {
        return 0;
    }
    return (uint64_t(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

uint64_t parseRecordTime(const std::string& text) {
    return recordFileTime(ParseRecordTimeText(text));
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
        return FieldText(com::readByteArray(value.ref()));
    } catch (const ComError& error) {
        log_.write("!!! GetField: com exception occured " + comFailureText(error));
    } catch (...) {
        log_.write("!!! GetField: unknown exception occured ");
    }
    ++hostFailures_;
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
        DropPartTerminator(bytes, entry.size, entry.part);
        if (entry.content.empty()) {
            entry.content = std::move(bytes);
        } else {
            entry.content.insert(entry.content.end(), bytes.begin(), bytes.end());
        }
        log_.write("succesed...");
        return;
    } catch (const ComError& error) {
        log_.write("!!! GetField: com exception occured " + comFailureText(error));
    } catch (...) {
        log_.write("!!! GetField: unknown exception occured ");
    }
    ++hostFailures_;
    entry.unreadParts = true;
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

    RecordTexts texts;
    texts.id = requireField(fields.get(), FIELD_ID, "GetField(fields, FIELD_ID)");
    texts.name = requireField(fields.get(), FIELD_NAME, "GetField(fields, FIELD_NAME)");
    log_.write("file No " + std::to_string(index) + "; " + texts.name);
    texts.parent = requireField(fields.get(), FIELD_PARENT, "GetField(fields, FIELD_PARENT)");
    texts.size = requireField(fields.get(), FIELD_SIZE, "GetField(fields, FIELD_SIZE)");
    texts.time = requireField(fields.get(), FIELD_TIME, "GetField(fields, FIELD_TIME)");
    texts.changed = requireField(fields.get(), FIELD_CHANGED, "GetField(fields, FIELD_CHANGED)");
    texts.part = requireField(fields.get(), FIELD_DATAPART, "GetField(fields, FIELD_DATAPART)");

    char line[1024];
    std::snprintf(line, sizeof line,
                  "id=%s\tname=%s\tparent=%s\tsize=%s\ttime=%s\tchanged=%d,part=%s",
                  texts.id.c_str(), texts.name.c_str(), texts.parent.c_str(), texts.size.c_str(),
                  texts.time.c_str(), FieldNumber(texts.changed) != 0 ? 1 : 0, texts.part.c_str());
    log_.write(line);

    std::optional<RecordHeader> header = DecodeRecordHeader(texts);
    if (!header) {
        log_.write("unsafe file name skipped: parent=" + texts.parent + " name=" + texts.name);
        throw CSynchException("Record names a file outside the synch folder");
    }

    SyncEntry entry;
    entry.kind = header->isFolder() ? EntryKind::Folder : EntryKind::File;
    entry.path = header->path;
    entry.id = header->id;
    entry.size = header->size;
    entry.time = recordFileTime(header->time);
    entry.changed = header->changed;
    entry.part = header->part;

    if (!header->hasData()) {
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
    if (!PlacePart(existing->content, existing->size, entry.part, entry.content)) {
        throw CSynchException("Record part " + std::to_string(entry.part) +
                              " lies beyond the file size");
    }
    existing->partsMerged += 1;
    existing->unreadParts = existing->unreadParts || entry.unreadParts;
}

} // namespace quire::addin
