#pragma once

#include "Cell.h"
#include "CellAddress.h"

#include <cstddef>
#include <iterator>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

namespace spreadsheet {

// The present cells of a sheet in row-major order: one node per row, and the
// cells of a row side by side in one vector, sorted by column.  A large sheet
// then costs one allocation per row rather than per cell, and walking it reads
// memory in order.  Adding or removing a cell moves the others of its row, so
// a pointer to a cell lasts only until the next change of its row.
class CellStore {
public:
    using value_type = std::pair<CellPosition, Cell>;
    using Row = std::vector<value_type>;

    template <bool IsConst> class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = CellStore::value_type;
        using difference_type = std::ptrdiff_t;
        using reference = std::conditional_t<IsConst, const value_type&, value_type&>;
        using pointer = std::conditional_t<IsConst, const value_type*, value_type*>;
        using RowIterator = std::conditional_t<IsConst, std::map<int32_t, Row>::const_iterator,
                                               std::map<int32_t, Row>::iterator>;

        Iterator() = default;
        Iterator(RowIterator row, size_t index) : row_(row), index_(index) {}
        operator Iterator<true>() const requires(!IsConst) { return {row_, index_}; }

        reference operator*() const { return row_->second[index_]; }
        pointer operator->() const { return &row_->second[index_]; }
        Iterator& operator++() {
            if (++index_ == row_->second.size()) {
                ++row_;
                index_ = 0;
            }
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        Iterator& operator--() {
            if (index_ == 0) {
                --row_;
                index_ = row_->second.size();
            }
            --index_;
            return *this;
        }
        Iterator operator--(int) {
            Iterator before = *this;
            --*this;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.row_ == b.row_ && a.index_ == b.index_;
        }

    private:
        friend class CellStore;
        RowIterator row_{};
        size_t index_ = 0;
    };
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    iterator begin() { return {rows_.begin(), 0}; }
    iterator end() { return {rows_.end(), 0}; }
    const_iterator begin() const { return {rows_.begin(), 0}; }
    const_iterator end() const { return {rows_.end(), 0}; }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    iterator find(CellPosition p);
    const_iterator find(CellPosition p) const;
    // The first cell at or after `p`, and the first after it.
    const_iterator lower_bound(CellPosition p) const;
    const_iterator upper_bound(CellPosition p) const;
    iterator lower_bound(CellPosition p);
    iterator upper_bound(CellPosition p);

    // The cell at `p`, made empty where there is none.
    Cell& operator[](CellPosition p);
    // The cell at `p`; throws std::out_of_range where there is none.
    Cell& at(CellPosition p);
    // Puts `cell` at `p`; cells given in row-major order go on the end.
    void assign(CellPosition p, Cell cell);
    // The number of cells removed (0 or 1).
    size_t erase(CellPosition p);
    void erase(iterator cell);
    void clear();

private:
    using RowMap = std::map<int32_t, Row>;
    static Row::const_iterator columnAtOrAfter(const Row& row, int32_t column);
    template <typename Store, typename Result>
    static Result boundOf(Store& store, CellPosition p, bool after);
    Row& rowForInsert(int32_t row);

    RowMap rows_;
    size_t size_ = 0;
};

} // namespace spreadsheet
