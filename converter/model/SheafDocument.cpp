#include "SheafDocument.h"

#include "SheafError.h"

namespace sheaf {

int32_t SheafDocument::append(const RecordBuffer& record) {
    return append(RecordBuffer(record));
}

int32_t SheafDocument::append(RecordBuffer&& record) {
    records_.push_back(std::move(record));
    cursor_ = recordCount() - 1;
    return recordCount();
}

int32_t SheafDocument::indexOfKey(int32_t key) const {
    return key >= 1 && key <= recordCount() ? key - 1 : -1;
}

int32_t SheafDocument::set(int32_t key, const RecordBuffer& record) {
    found_ = false;
    const int32_t index = indexOfKey(key);
    if (index < 0) {
        return -1;
    }
    cursor_ = index;
    found_ = true;
    records_[index].assign(record);
    return index;
}

const RecordBuffer& SheafDocument::get(int32_t key) {
    found_ = false;
    const int32_t index = indexOfKey(key);
    if (index < 0) {
        throwDataError();
    }
    cursor_ = index;
    found_ = true;
    return records_[index];
}

const RecordBuffer& SheafDocument::next() {
    found_ = false;
    if (cursor_ + 1 >= recordCount()) {
        throwDataError();
    }
    ++cursor_;
    found_ = true;
    return records_[cursor_];
}

void SheafDocument::clear() {
    std::vector<RecordBuffer>().swap(records_);
    cursor_ = -1;
    found_ = false;
}

} // namespace sheaf
