#pragma once

#include "RecordBuffer.h"

#include <cstdint>
#include <vector>

namespace sheaf {

// A handheld spreadsheet in memory: numbered records, appended only.  The
// record at index i has key i + 1, so a key is the record's position and needs
// no table of its own.  Converters read a document strictly in order with
// get(1) followed by next().
class SheafDocument {
public:
    // Appends a copy of the record; returns the new record count.
    int32_t append(const RecordBuffer& record);
    int32_t append(RecordBuffer&& record);

    // Replaces the contents of the record with this key; returns its index, or
    // -1 (changing nothing) when no record has the key.
    int32_t set(int32_t key, const RecordBuffer& record);

    // Both throw SHEAF_E_DATA, leaving the cursor where it was, when the record
    // does not exist.
    const RecordBuffer& get(int32_t key);
    const RecordBuffer& next();

    void clear();

    int32_t recordCount() const { return static_cast<int32_t>(records_.size()); }
    int32_t cursor() const { return cursor_; }
    bool found() const { return found_; }
    const std::vector<RecordBuffer>& records() const { return records_; }

    // Room for a loader that knows how many records follow.
    void reserve(size_t count) { records_.reserve(count); }

    friend bool operator==(const SheafDocument& a, const SheafDocument& b) {
        return a.records_ == b.records_;
    }

private:
    int32_t indexOfKey(int32_t key) const;

    std::vector<RecordBuffer> records_;
    int32_t cursor_ = -1;
    bool found_ = false;
};

} // namespace sheaf
