// The cell store against std::map as the model of what it must do: the same
// cells, in the same order, found by the same searches, after any mix of
// changes in any order.
#include "CellStore.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using spreadsheet::Cell;
using spreadsheet::CellPosition;
using spreadsheet::CellStore;
using spreadsheet::CellValue;

using Model = std::map<CellPosition, double>;

double numberOf(const Cell& cell) {
    return cell.value.number;
}

void expectSame(const CellStore& store, const Model& model) {
    ASSERT_EQ(store.size(), model.size());
    EXPECT_EQ(store.empty(), model.empty());
    std::vector<std::pair<CellPosition, double>> forward, backward;
    for (const auto& [position, cell] : store) {
        forward.push_back({position, numberOf(cell)});
    }
    for (auto it = store.rbegin(); it != store.rend(); ++it) {
        backward.push_back({it->first, numberOf(it->second)});
    }
    using Listing = std::vector<std::pair<CellPosition, double>>;
    const Listing expected(model.begin(), model.end());
    EXPECT_EQ(forward, expected);
    EXPECT_EQ(backward, Listing(expected.rbegin(), expected.rend()));
    ASSERT_EQ(std::distance(store.begin(), store.end()), static_cast<long>(model.size()));
}

// Where a search lands, as the cell there or "the end".
template <typename Iterator, typename End>
std::optional<CellPosition> landing(Iterator it, End end) {
    return it == end ? std::nullopt : std::optional<CellPosition>(it->first);
}

TEST(CellStore, RandomChangesKeepTheStoreLikeAnOrderedMap) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(0, 9);
    std::uniform_int_distribution<int> action(0, 9);
    CellStore store;
    Model model;
    for (int step = 0; step < 4000; ++step) {
        const CellPosition p{coordinate(random), coordinate(random)};
        const double number = step;
        switch (action(random)) {
        case 0:
        case 1:
        case 2:
            store[p].value = CellValue::fromNumber(number);
            model[p] = number;
            break;
        case 3:
        case 4: {
            Cell cell;
            cell.value = CellValue::fromNumber(number);
            store.assign(p, std::move(cell));
            model[p] = number;
            break;
        }
        case 5:
        case 6:
            EXPECT_EQ(store.erase(p), model.erase(p)) << step;
            break;
        default: {
            const CellStore& view = store;
            EXPECT_EQ(landing(view.lower_bound(p), view.end()),
                      landing(model.lower_bound(p), model.end()));
            EXPECT_EQ(landing(view.upper_bound(p), view.end()),
                      landing(model.upper_bound(p), model.end()));
            EXPECT_EQ(landing(store.lower_bound(p), store.end()),
                      landing(model.lower_bound(p), model.end()));
            const auto found = view.find(p);
            ASSERT_EQ(found != view.end(), model.count(p) == 1) << step;
            if (found != view.end()) {
                EXPECT_EQ(numberOf(found->second), model.at(p));
                EXPECT_EQ(numberOf(store.at(p)), model.at(p));
            } else {
                EXPECT_THROW(store.at(p), std::out_of_range);
            }
        }
        }
        if (step % 100 == 0) {
            expectSame(store, model);
        }
    }
    expectSame(store, model);
    store.clear();
    model.clear();
    expectSame(store, model);
}

TEST(CellStore, RowMajorLoadingAndWalkingBothWays) {
    CellStore store;
    Model model;
    for (int32_t row = 0; row < 300; row += 3) {
        for (int32_t column = row % 7; column < 40; column += 1 + row % 5) {
            Cell cell;
            cell.value = CellValue::fromNumber(row * 100 + column);
            store.assign({row, column}, std::move(cell));
            model[{row, column}] = row * 100 + column;
        }
    }
    expectSame(store, model);
    // Searches between rows and past either end.
    EXPECT_EQ(landing(store.lower_bound({1, 0}), store.end()),
              landing(model.lower_bound({1, 0}), model.end()));
    EXPECT_EQ(landing(store.upper_bound({297, 39}), store.end()), std::nullopt);
    EXPECT_EQ(landing(store.lower_bound({-5, -5}), store.end()), model.begin()->first);
    auto last = store.end();
    --last;
    EXPECT_EQ(last->first, model.rbegin()->first);
    // Emptying a row leaves no trace of it in the walk.
    for (int32_t column = 0; column < 40; ++column) {
        store.erase({3, column});
        model.erase({3, column});
    }
    expectSame(store, model);
}

} // namespace
