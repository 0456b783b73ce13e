#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace docconv::word {

// A stretch of the WordDocument stream's bytes [start, end) with one value.
template <typename Value> struct FcRange {
    uint32_t start = 0;
    uint32_t end = 0;
    Value value{};
};

// Finds the range holding an offset; ranges are sorted by start.
template <typename Value> class FcLookup {
public:
    explicit FcLookup(std::vector<FcRange<Value>> ranges) : ranges_(std::move(ranges)) {
        std::sort(ranges_.begin(), ranges_.end(),
                  [](const auto& a, const auto& b) { return a.start < b.start; });
    }
    Value at(uint32_t fc) {
        if (last_ < ranges_.size() && contains(ranges_[last_], fc)) {
            return ranges_[last_].value;
        }
        auto it = std::upper_bound(ranges_.begin(), ranges_.end(), fc,
                                   [](uint32_t v, const auto& r) { return v < r.start; });
        if (it == ranges_.begin()) {
            return Value{};
        }
        --it;
        if (!contains(*it, fc)) {
            return Value{};
        }
        last_ = static_cast<size_t>(it - ranges_.begin());
        return it->value;
    }

private:
    static bool contains(const FcRange<Value>& r, uint32_t fc) {
        return fc >= r.start && fc < r.end;
    }
    std::vector<FcRange<Value>> ranges_;
    size_t last_ = 0;
};

using FkpVisit =
    std::function<void(uint32_t start, uint32_t end, std::span<const uint8_t> properties)>;

// Walks the formatted disk pages that a bin table lists, handing each run's
// byte range and property bytes (empty when the run has none) to `visit`.
// `papx` selects the paragraph page layout (13-byte entries, word counts,
// properties that start with the style index).
void forEachFkpRun(std::span<const uint8_t> bin, std::span<const uint8_t> word, bool papx,
                   const FkpVisit& visit);

} // namespace docconv::word
