#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quire::synchost {

using Bytes = std::vector<uint8_t>;

// One record of the handheld's "Quire" database: numbered fields of bytes.
struct RecordData {
    std::vector<std::pair<short, Bytes>> fields;
    bool committed = false;

    const Bytes* field(short id) const;
    std::string text(short id) const; // up to the first zero byte
    void set(short id, Bytes value);
};
using RecordPtr = std::shared_ptr<RecordData>;

// One document as the handheld holds it, joined from its records.
struct Document {
    int32_t id = -1;
    std::string name;   // UTF-8
    std::string parent; // "Local" followed by the folder part
    int32_t size = 0;   // -1 for a folder
    std::string time;   // "yyyymmddhhmmss"
    bool changed = false;
    Bytes content;

    std::string path() const; // "/" separated, as the add-in sees it
};

// The simulated handheld: documents kept as records with 32767-byte parts,
// each part's data closed with one zero byte as the device writes it, stored
// in one file of a folder of its own.
class HandheldDatabase {
public:
    static constexpr size_t kPartSize = 0x7FFF;

    explicit HandheldDatabase(std::wstring folder);

    // False when the stored file is damaged; a missing file is an empty database.
    bool load();
    bool save() const;

    const std::vector<RecordPtr>& records() const { return records_; }
    std::vector<RecordPtr>& records() { return records_; }
    std::vector<Document> documents() const;
    std::optional<Document> find(const std::string& path) const;

    // Stores a document as the handheld does: one carrying the id of a stored
    // record replaces it; any other is added under the next id, even beside a
    // document of the same path.
    int32_t put(Document document);
    std::vector<int32_t> putAll(std::vector<Document> documents);
    void clearChanged();

    // Records as the host would cut a document: fields 1 to 8.
    static std::vector<RecordPtr> toRecords(const Document& document, bool terminateData);
    // Joins records of one document in part order.
    static std::vector<Document> join(const std::vector<RecordPtr>& records);

private:
    std::wstring file() const { return folder_ + L"\\quire.db"; }

    std::wstring folder_;
    std::vector<RecordPtr> records_;
};

// Splits "/Reports/May.xls" into name and parent ("Local/Reports").
void splitPath(const std::string& path, std::string& name, std::string& parent);

} // namespace quire::synchost
