#include "HandheldDatabase.h"

#include "base/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quire::synchost {

namespace {

// How far past the parts already joined a document's stated size is believed.
constexpr size_t kReserveAhead = size_t{64} << 20;

enum : short { kId = 1, kName, kParent, kSize, kTime, kChanged, kPart, kData };

Bytes textBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

void putU32(Bytes& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

bool getU32(const Bytes& in, size_t& pos, uint32_t& value) {
    if (in.size() - pos < 4) {
        return false;
    }
    value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | in[pos + i];
    }
    pos += 4;
    return true;
}

bool readWholeFile(const std::wstring& path, Bytes& bytes, bool& missing) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    missing =
        !file && (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    if (!file) {
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr) || got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

} // namespace

const Bytes* RecordData::field(short id) const {
    for (const auto& [fieldId, value] : fields) {
        if (fieldId == id) {
            return &value;
        }
    }
    return nullptr;
}

std::string RecordData::text(short id) const {
    const Bytes* value = field(id);
    if (!value) {
        return {};
    }
    auto zero = std::find(value->begin(), value->end(), uint8_t(0));
    return std::string(value->begin(), zero);
}

void RecordData::set(short id, Bytes value) {
    fields.emplace_back(id, std::move(value));
}

std::string Document::path() const {
    return (parent.size() > 5 ? parent.substr(5) : std::string()) + "/" + name;
}

void splitPath(const std::string& path, std::string& name, std::string& parent) {
    size_t slash = path.rfind('/');
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    parent = "Local" +
             (slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash));
}

HandheldDatabase::HandheldDatabase(std::wstring folder) : folder_(std::move(folder)) {}

bool HandheldDatabase::load() {
    records_.clear();
    Bytes bytes;
    bool missing = false;
    if (!readWholeFile(file(), bytes, missing)) {
        return missing;
    }
    size_t pos = 0;
    while (pos < bytes.size()) {
        auto record = std::make_shared<RecordData>();
        uint32_t count = 0;
        if (!getU32(bytes, pos, count)) {
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t id = 0;
            uint32_t length = 0;
            if (!getU32(bytes, pos, id) || !getU32(bytes, pos, length) ||
                bytes.size() - pos < length) {
                return false;
            }
            record->set(static_cast<short>(id),
                        Bytes(bytes.begin() + pos, bytes.begin() + pos + length));
            pos += length;
        }
        record->committed = true;
        records_.push_back(std::move(record));
    }
    return true;
}

bool HandheldDatabase::save() const {
    CreateDirectoryW(folder_.c_str(), nullptr);
    std::wstring temporary = file() + L".new";
    {
        FileHandle out(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!out) {
            return false;
        }
        // Written a record at a time: the database may be far larger than
        // what a second copy in memory allows.
        Bytes bytes;
        for (const RecordPtr& record : records_) {
            bytes.clear();
            putU32(bytes, static_cast<uint32_t>(record->fields.size()));
            for (const auto& [id, value] : record->fields) {
                putU32(bytes, static_cast<uint32_t>(id));
                putU32(bytes, static_cast<uint32_t>(value.size()));
                bytes.insert(bytes.end(), value.begin(), value.end());
            }
            DWORD put = 0;
            if (!WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put,
                           nullptr) ||
                put != bytes.size()) {
                return false;
            }
        }
    }
    return MoveFileExW(temporary.c_str(), file().c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::vector<RecordPtr> HandheldDatabase::toRecords(const Document& document, bool terminateData) {
    std::vector<RecordPtr> records;
    size_t remaining = document.content.size();
    for (size_t part = 0;; ++part) {
        size_t length = std::min(remaining, kPartSize);
        auto record = std::make_shared<RecordData>();
        record->set(kId, textBytes(std::to_string(document.id)));
        record->set(kName, textBytes(document.name));
        record->set(kParent, textBytes(document.parent));
        record->set(kSize, textBytes(std::to_string(document.size)));
        record->set(kTime, textBytes(document.time));
        record->set(kChanged, textBytes(document.changed ? "1" : "0"));
        record->set(kPart, textBytes(std::to_string(part)));
        auto begin = document.content.begin() + part * kPartSize;
        Bytes data(begin, begin + length);
        if (terminateData) {
            data.push_back(0);
        }
        record->set(kData, std::move(data));
        record->committed = true;
        records.push_back(std::move(record));
        remaining -= length;
        if (remaining == 0) {
            break;
        }
    }
    return records;
}

std::vector<Document> HandheldDatabase::join(const std::vector<RecordPtr>& records) {
    std::vector<Document> documents;
    std::map<std::string, size_t> byKey;
    for (const RecordPtr& record : records) {
        Document document;
        document.id = std::atoi(record->text(kId).c_str());
        document.name = record->text(kName);
        document.parent = record->text(kParent);
        document.size = std::atoi(record->text(kSize).c_str());
        document.time = record->text(kTime);
        document.changed = std::atoi(record->text(kChanged).c_str()) != 0;
        size_t part = static_cast<size_t>(std::max(0, std::atoi(record->text(kPart).c_str())));
        Bytes data = record->field(kData) ? *record->field(kData) : Bytes();
        size_t offset = part * kPartSize;
        size_t expected = document.size > 0 && offset < size_t(document.size)
                              ? std::min(kPartSize, size_t(document.size) - offset)
                              : 0;
        if (data.size() == expected + 1 && !data.empty() && data.back() == 0) {
            data.pop_back();
        }
        std::string key = std::to_string(document.id) + "|" + document.parent + "/" + document.name;
        auto found = byKey.find(key);
        if (found == byKey.end()) {
            byKey.emplace(key, documents.size());
            // Room for the whole document at once: growing it part by part
            // would hold up to twice its size.  A size beyond the parts that
            // came is not trusted that far.
            document.content.reserve(std::min(static_cast<size_t>(std::max(document.size, 0)),
                                              offset + data.size() + kReserveAhead));
            document.content.resize(offset + data.size());
            std::copy(data.begin(), data.end(), document.content.begin() + offset);
            documents.push_back(std::move(document));
        } else {
            Bytes& content = documents[found->second].content;
            content.resize(std::max(content.size(), offset + data.size()));
            std::copy(data.begin(), data.end(), content.begin() + offset);
        }
    }
    return documents;
}

std::vector<Document> HandheldDatabase::documents() const {
    return join(records_);
}

std::optional<Document> HandheldDatabase::find(const std::string& path) const {
    for (Document& document : documents()) {
        if (_stricmp(document.path().c_str(), path.c_str()) == 0) {
            return document;
        }
    }
    return std::nullopt;
}

int32_t HandheldDatabase::put(Document document) {
    std::vector<Document> one;
    one.push_back(std::move(document));
    return putAll(std::move(one)).front();
}

std::vector<int32_t> HandheldDatabase::putAll(std::vector<Document> documents) {
    // Ids of what is stored, without joining any content.
    std::map<int32_t, std::string> stored;
    int32_t nextId = 1;
    for (const RecordPtr& record : records_) {
        int32_t id = std::atoi(record->text(kId).c_str());
        Document key;
        key.name = record->text(kName);
        key.parent = record->text(kParent);
        stored.emplace(id, key.path());
        nextId = std::max(nextId, id + 1);
    }
    std::vector<int32_t> ids;
    std::map<int32_t, bool> removed;
    for (Document& document : documents) {
        std::optional<int32_t> replaced;
        for (const auto& [id, path] : stored) {
            if (document.id >= 0 && id == document.id) {
                replaced = id;
                break;
            }
        }
        document.id = replaced ? *replaced : nextId++;
        removed[document.id] = true;
        stored[document.id] = document.path();
        ids.push_back(document.id);
    }
    std::erase_if(records_, [&](const RecordPtr& record) {
        return removed.count(std::atoi(record->text(kId).c_str())) != 0;
    });
    for (Document& document : documents) {
        for (RecordPtr& record : toRecords(document, true)) {
            records_.push_back(std::move(record));
        }
        Bytes().swap(document.content);
    }
    return ids;
}

void HandheldDatabase::clearChanged() {
    for (RecordPtr& record : records_) {
        for (auto& [id, value] : record->fields) {
            if (id == kChanged) {
                value = textBytes("0");
            }
        }
    }
}

} // namespace quire::synchost
