#include "CellStore.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace spreadsheet {

CellStore::Row::const_iterator CellStore::columnAtOrAfter(const Row& row, int32_t column) {
    return std::lower_bound(row.begin(), row.end(), column, [](const value_type& cell, int32_t c) {
        return cell.first.column < c;
    });
}

template <typename Store, typename Result>
Result CellStore::boundOf(Store& store, CellPosition p, bool after) {
    auto row = store.rows_.lower_bound(p.row);
    if (row != store.rows_.end() && row->first == p.row) {
        const Row& cells = row->second;
        auto cell = columnAtOrAfter(cells, p.column);
        if (after && cell != cells.end() && cell->first.column == p.column) {
            ++cell;
        }
        const auto index = static_cast<size_t>(cell - cells.begin());
        if (index < cells.size()) {
            return {row, index};
        }
        ++row;
    }
    return {row, 0};
}

CellStore::const_iterator CellStore::lower_bound(CellPosition p) const {
    return boundOf<const CellStore, const_iterator>(*this, p, false);
}

CellStore::const_iterator CellStore::upper_bound(CellPosition p) const {
    return boundOf<const CellStore, const_iterator>(*this, p, true);
}

CellStore::iterator CellStore::lower_bound(CellPosition p) {
    return boundOf<CellStore, iterator>(*this, p, false);
}

CellStore::iterator CellStore::upper_bound(CellPosition p) {
    return boundOf<CellStore, iterator>(*this, p, true);
}

CellStore::iterator CellStore::find(CellPosition p) {
    const iterator found = lower_bound(p);
    return found != end() && found->first == p ? found : end();
}

CellStore::const_iterator CellStore::find(CellPosition p) const {
    const const_iterator found = lower_bound(p);
    return found != end() && found->first == p ? found : end();
}

// A new row expects as many cells as the row before it: sheets are mostly
// tables of rows alike.
CellStore::Row& CellStore::rowForInsert(int32_t row) {
    // Files and most callers go row by row: the last row needs no search.
    auto hint = rows_.end();
    if (!rows_.empty()) {
        const auto last = std::prev(rows_.end());
        if (last->first == row) {
            return last->second;
        }
        if (last->first > row) {
            hint = rows_.lower_bound(row);
            if (hint->first == row) {
                return hint->second;
            }
        }
    }
    const auto made = rows_.emplace_hint(hint, row, Row{});
    if (made != rows_.begin()) {
        made->second.reserve(std::prev(made)->second.size());
    }
    return made->second;
}

Cell& CellStore::operator[](CellPosition p) {
    Row& cells = rowForInsert(p.row);
    if (cells.empty() || cells.back().first.column < p.column) {
        ++size_;
        return cells.emplace_back(p, Cell{}).second;
    }
    const auto index = static_cast<size_t>(columnAtOrAfter(cells, p.column) - cells.begin());
    if (cells[index].first.column != p.column) {
        ++size_;
        cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(index), {p, Cell{}});
    }
    return cells[index].second;
}

Cell& CellStore::at(CellPosition p) {
    const iterator found = find(p);
    if (found == end()) {
        throw std::out_of_range("no cell at row " + std::to_string(p.row) + ", column " +
                                std::to_string(p.column));
    }
    return found->second;
}

void CellStore::assign(CellPosition p, Cell cell) {
    Row& cells = rowForInsert(p.row);
    if (cells.empty() || cells.back().first.column < p.column) {
        ++size_;
        cells.emplace_back(p, std::move(cell));
        return;
    }
    (*this)[p] = std::move(cell);
}

size_t CellStore::erase(CellPosition p) {
    const iterator cell = find(p);
    if (cell == end()) {
        return 0;
    }
    erase(cell);
    return 1;
}

void CellStore::erase(iterator cell) {
    Row& cells = cell.row_->second;
    cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(cell.index_));
    if (cells.empty()) {
        rows_.erase(cell.row_);
    }
    --size_;
}

void CellStore::clear() {
    rows_.clear();
    size_ = 0;
}

} // namespace spreadsheet
