#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quire::addin {

enum class EntryKind : uint32_t { File = 0, Folder = 1 };

// One file or folder, from the handheld or from the device sync folder.
struct SyncEntry {
    std::wstring path; // "/" first and between folders, relative to the sync folder
    std::vector<uint8_t> content;
    uint64_t time = 0; // last write, UTC file time
    int32_t size = 0;  // whole-file size; -1 for a folder
    int32_t id = -1;   // handheld record id; -1 for desktop entries
    bool changed = false;
    EntryKind kind = EntryKind::File;
    int32_t part = 0;
    uint32_t partsMerged = 0;
    // Set when a part's data could not be read from the host: the content
    // then has a gap that its length alone may not show.
    bool unreadParts = false;

    bool isFolder() const { return kind == EntryKind::Folder; }
};

// Paths compare without regard to letter case, as the file system does.
struct PathLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                    static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
    }
};

// Entries ordered by path, so that a folder comes before what it holds.  A
// path already present keeps its first entry.
class EntrySet {
public:
    using Map = std::map<std::wstring, SyncEntry, PathLess>;

    // Returns false when the path was already present.
    bool insert(SyncEntry entry) {
        std::wstring key = entry.path;
        return entries_.emplace(std::move(key), std::move(entry)).second;
    }
    bool contains(const std::wstring& path) const { return entries_.count(path) != 0; }
    SyncEntry* find(const std::wstring& path) {
        auto it = entries_.find(path);
        return it == entries_.end() ? nullptr : &it->second;
    }
    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }

    Map::iterator begin() { return entries_.begin(); }
    Map::iterator end() { return entries_.end(); }
    Map::const_iterator begin() const { return entries_.begin(); }
    Map::const_iterator end() const { return entries_.end(); }

private:
    Map entries_;
};

// The add-in's own failure: one message.
class CSynchException {
public:
    explicit CSynchException(const char* message) : message_(message) {}
    explicit CSynchException(std::string message) : message_(std::move(message)) {}
    CSynchException(const CSynchException&) = default;
    CSynchException& operator=(const CSynchException&) = default;
    virtual ~CSynchException() = default;

    std::string message() const { return message_; }

private:
    std::string message_;
};

} // namespace quire::addin
