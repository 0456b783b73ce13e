#include "FkpWriter.h"

#include "LittleEndian.h"
#include "WordBinary.h"

#include <map>

namespace docconv::word {

namespace {

constexpr uint32_t kCountByte = kFkpSize - 1;
constexpr uint32_t kMaxRuns = 0x65;

// What a run's properties take in a page: CHPX (size byte, grpprl) or PAPX (a
// size in words that keeps the whole even).
std::vector<uint8_t> encodeProperties(FkpKind kind, const std::vector<uint8_t>& properties) {
    std::vector<uint8_t> out;
    if (kind == FkpKind::Character) {
        out.push_back(static_cast<uint8_t>(properties.size()));
    } else if (properties.size() % 2 == 1) {
        out.push_back(static_cast<uint8_t>((properties.size() + 1) / 2));
    } else {
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(properties.size() / 2));
    }
    out.insert(out.end(), properties.begin(), properties.end());
    return out;
}

class PageBuilder {
public:
    explicit PageBuilder(FkpKind kind) : kind_(kind), entry_(kind == FkpKind::Paragraph ? 13 : 1) {}

    bool empty() const { return starts_.empty(); }
    uint32_t firstFc() const { return starts_.front(); }

    bool tryAdd(const FormattedRun& run) {
        if (starts_.size() >= kMaxRuns) {
            return false;
        }
        uint32_t top = top_;
        uint32_t offset = 0;
        std::vector<uint8_t> fresh;
        if (kind_ == FkpKind::Paragraph || !run.properties.empty()) {
            if (auto known = placed_.find(run.properties); known != placed_.end()) {
                offset = known->second;
            } else {
                fresh = encodeProperties(kind_, run.properties);
                if (fresh.size() > top) {
                    return false;
                }
                top = (top - static_cast<uint32_t>(fresh.size())) & ~1u;
                offset = top;
            }
        }
        const size_t runs = starts_.size() + 1;
        if (4 * (runs + 1) + entry_ * runs > top) {
            return false;
        }
        if (!fresh.empty()) {
            std::copy(fresh.begin(), fresh.end(), page_.begin() + offset);
            placed_[run.properties] = offset;
        }
        top_ = top;
        starts_.push_back(run.start);
        end_ = run.end;
        offsets_.push_back(static_cast<uint8_t>(offset / 2));
        return true;
    }

    std::vector<uint8_t> finish() {
        const uint32_t runs = static_cast<uint32_t>(starts_.size());
        for (uint32_t i = 0; i < runs; ++i) {
            le::set32(page_.data() + 4 * i, starts_[i]);
            page_[4 * (runs + 1) + entry_ * i] = offsets_[i];
        }
        le::set32(page_.data() + 4 * runs, end_);
        page_[kCountByte] = static_cast<uint8_t>(runs);
        return page_;
    }

private:
    FkpKind kind_;
    uint32_t entry_;
    std::vector<uint8_t> page_ = std::vector<uint8_t>(kFkpSize, 0);
    uint32_t top_ = kCountByte;
    std::vector<uint32_t> starts_;
    std::vector<uint8_t> offsets_;
    uint32_t end_ = 0;
    std::map<std::vector<uint8_t>, uint32_t> placed_;
};

} // namespace

std::vector<uint8_t> writeFkps(FkpKind kind, const std::vector<FormattedRun>& runs,
                               std::vector<uint8_t>& word) {
    word.resize((word.size() + kFkpSize - 1) / kFkpSize * kFkpSize, 0);
    std::vector<uint32_t> firstFcs;
    std::vector<uint32_t> pageNumbers;
    uint32_t lastFc = 0;
    PageBuilder page(kind);
    const auto flush = [&] {
        firstFcs.push_back(page.firstFc());
        pageNumbers.push_back(static_cast<uint32_t>(word.size() / kFkpSize));
        const std::vector<uint8_t> bytes = page.finish();
        word.insert(word.end(), bytes.begin(), bytes.end());
        page = PageBuilder(kind);
    };
    for (const FormattedRun& run : runs) {
        if (!page.tryAdd(run)) {
            flush();
            page.tryAdd(run);
        }
        lastFc = run.end;
    }
    if (!page.empty()) {
        flush();
    }
    std::vector<uint8_t> bin;
    for (uint32_t fc : firstFcs) {
        le::put32(bin, fc);
    }
    le::put32(bin, lastFc);
    for (uint32_t pn : pageNumbers) {
        le::put32(bin, pn);
    }
    return bin;
}

} // namespace docconv::word
