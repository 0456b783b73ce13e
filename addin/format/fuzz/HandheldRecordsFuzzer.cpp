// Hostile records from the handheld, read as the pass reads them: fields to
// texts, texts to an entry path and numbers, parts trimmed and placed.  No
// record may name a place outside the sync folder, and no part may reach
// past the file it belongs to.
//
// Input: records one after another, each a run of fields "id (1 byte),
// length (2 bytes, little-endian), bytes", ended by a field id 0.
#include "RecordFields.h"
#include "RecordParts.h"
#include "RecordPath.h"
#include "StoreName.h"
#include "base/EntryName.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace {

using namespace quire::addin;

using Fields = std::map<uint8_t, std::vector<uint8_t>>;

class RecordStream {
public:
    explicit RecordStream(std::span<const uint8_t> input) : input_(input) {}

    bool next(Fields& fields) {
        fields.clear();
        if (at_ >= input_.size()) {
            return false;
        }
        while (at_ + 3 <= input_.size()) {
            const uint8_t id = input_[at_];
            if (id == 0) {
                ++at_;
                return true;
            }
            const size_t length = input_[at_ + 1] | (size_t(input_[at_ + 2]) << 8);
            at_ += 3;
            const size_t take = std::min(length, input_.size() - at_);
            fields[id].assign(input_.begin() + at_, input_.begin() + at_ + take);
            at_ += take;
        }
        at_ = input_.size();
        return true;
    }

private:
    std::span<const uint8_t> input_;
    size_t at_ = 0;
};

std::optional<std::string> text(const Fields& fields, FieldId id) {
    auto it = fields.find(static_cast<uint8_t>(id));
    if (it == fields.end()) {
        return std::nullopt;
    }
    return FieldText(it->second);
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Every folder of the path and its name stays where it is put.
void checkInsideFolder(const std::wstring& path) {
    require(!path.empty() && path.front() == L'/' && path.size() <= 259);
    size_t start = 1;
    while (true) {
        const size_t end = path.find(L'/', start);
        const std::wstring_view part = std::wstring_view(path).substr(
            start, end == std::wstring::npos ? std::wstring::npos : end - start);
        require(quire::IsSafeEntryName(part));
        if (end == std::wstring::npos) {
            break;
        }
        start = end + 1;
    }
    const std::wstring relative = StoreRelativePath(path);
    require(!relative.empty() && relative.front() != L'\\' && relative.find(L'/') == relative.npos);
}

// The C library's own reading of a decimal text, held to 32 bits.
int32_t referenceNumber(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

struct Entry {
    int32_t size = 0;
    std::vector<uint8_t> content;
};

void readRecord(const Fields& fields, std::map<std::wstring, Entry>& incoming) {
    RecordTexts texts;
    const FieldId ids[] = {FIELD_ID,   FIELD_NAME,    FIELD_PARENT,  FIELD_SIZE,
                           FIELD_TIME, FIELD_CHANGED, FIELD_DATAPART};
    std::string* targets[] = {&texts.id,   &texts.name,    &texts.parent, &texts.size,
                              &texts.time, &texts.changed, &texts.part};
    for (size_t i = 0; i < std::size(ids); ++i) {
        std::optional<std::string> value = text(fields, ids[i]);
        if (!value) {
            return; // a record without one of its fields is skipped
        }
        *targets[i] = std::move(*value);
    }
    std::optional<RecordHeader> header = DecodeRecordHeader(texts);
    if (!header) {
        return;
    }
    checkInsideFolder(header->path);
    require(header->size == referenceNumber(texts.size) &&
            header->part == referenceNumber(texts.part) && header->id == referenceNumber(texts.id));
    // Sent back, the entry must come home under the same path.
    require(
        ReturnsFromHandheld(DesktopPathOf(header->path, header->isFolder()), header->isFolder()));
    (void)FormatRecordTimeText(header->time);

    std::vector<uint8_t> bytes;
    auto data = fields.find(FIELD_DATA);
    if (header->hasData() && data != fields.end()) {
        bytes = data->second;
        DropPartTerminator(bytes, header->size, header->part);
        require(bytes.size() + 1 >= data->second.size());
    }
    // Keyed as the pass keys them: by desktop name, without regard to case.
    std::wstring key = DesktopPathOf(header->path, header->isFolder());
    std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) {
        return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    });
    auto existing = incoming.find(key);
    if (existing == incoming.end()) {
        incoming.emplace(std::move(key), Entry{header->size, std::move(bytes)});
        return;
    }
    Entry& entry = existing->second;
    const std::vector<uint8_t> before = entry.content;
    if (PlacePart(entry.content, entry.size, header->part, bytes)) {
        require(entry.content.size() <= size_t(std::max(entry.size, 0)) ||
                entry.content.size() == before.size());
    } else {
        require(entry.content == before);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RecordStream stream({data, size});
    std::map<std::wstring, Entry> incoming;
    Fields fields;
    while (stream.next(fields)) {
        readRecord(fields, incoming);
    }
    return 0;
}
