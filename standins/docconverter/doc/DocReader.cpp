#include "DocReader.h"

#include "CompoundFile.h"
#include "CompoundFileReader.h"
#include "DocumentError.h"
#include "LittleEndian.h"
#include "Sprm.h"
#include "StyleSheet.h"
#include "Cp1252.h"
#include "Utf8.h"
#include "WordBinary.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace docconv {

namespace {

using namespace word;

[[noreturn]] void damaged(const std::string& why) {
    fail(FailureKind::DamagedDocument, "Damaged Word document: " + why);
}

struct Piece {
    uint32_t cpStart = 0;
    uint32_t cpEnd = 0;
    uint32_t fc = 0; // byte offset in the WordDocument stream
    bool compressed = false;
};

// A stretch of the WordDocument stream's bytes [start, end) with one value.
template <typename Value> struct FcRange {
    uint32_t start = 0;
    uint32_t end = 0;
    Value value{};
};

struct ParagraphMarks {
    bool inTable = false;
    bool rowEnd = false;
    uint16_t style = 0; // Normal
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

class Fib {
public:
    explicit Fib(std::span<const uint8_t> stream) : stream_(stream) {
        if (stream.size() < kOffCsw + 2 || le::u16(stream.data() + kOffIdent) != kIdent) {
            fail(FailureKind::NotWordDocument, "Source file is not a Word document");
        }
        const uint16_t nFib = le::u16(stream.data() + kOffNfib);
        if (nFib < kNfibWord97) {
            fail(FailureKind::UnsupportedVersion,
                 "Word documents older than Word 97 are not supported");
        }
        flags_ = le::u16(stream.data() + kOffFlags);
        if (flags_ & (kFlagEncrypted | kFlagObfuscated)) {
            fail(FailureKind::Encrypted, "The Word document is encrypted");
        }
        size_t offset = kOffCsw;
        const uint16_t csw = read16(offset, "the FIB");
        offset += 2 + 2u * csw;
        const uint16_t cslw = read16(offset, "the FIB");
        lw_ = offset + 2;
        lwCount_ = cslw;
        offset += 2 + 4u * cslw;
        const uint16_t pairs = read16(offset, "the FIB");
        fcLcb_ = offset + 2;
        fcLcbCount_ = pairs;
        if (fcLcb_ + 8u * pairs > stream.size()) {
            damaged("the FIB is cut short");
        }
        if (lwCount_ <= kLwCcpText || fcLcbCount_ <= kFcClx) {
            damaged("the FIB lacks the text's description");
        }
    }

    bool tableStreamIsOne() const { return (flags_ & kFlagWhichTableStream) != 0; }
    uint32_t longWord(uint32_t index) const { return le::u32(stream_.data() + lw_ + 4 * index); }
    // The (offset, size) pair `index`; zero size when the FIB has no such pair.
    std::pair<uint32_t, uint32_t> pair(uint32_t index) const {
        if (index >= fcLcbCount_) {
            return {0, 0};
        }
        const uint8_t* p = stream_.data() + fcLcb_ + 8 * index;
        return {le::u32(p), le::u32(p + 4)};
    }

private:
    uint16_t read16(size_t offset, const char* what) const {
        if (offset + 2 > stream_.size()) {
            damaged(std::string(what) + " is cut short");
        }
        return le::u16(stream_.data() + offset);
    }

    std::span<const uint8_t> stream_;
    uint16_t flags_ = 0;
    size_t lw_ = 0;
    uint32_t lwCount_ = 0;
    size_t fcLcb_ = 0;
    uint32_t fcLcbCount_ = 0;
};

std::span<const uint8_t> structureAt(std::span<const uint8_t> table,
                                     std::pair<uint32_t, uint32_t> where, const char* what) {
    if (where.first > table.size() || where.second > table.size() - where.first) {
        damaged(std::string(what) + " lies outside the table stream");
    }
    return table.subspan(where.first, where.second);
}

std::vector<Piece> readPieces(std::span<const uint8_t> clx, size_t wordStreamSize) {
    size_t offset = 0;
    while (offset < clx.size() && clx[offset] == 0x01) {
        if (clx.size() - offset < 3) {
            damaged("the piece table is cut short");
        }
        const auto size = static_cast<int16_t>(le::u16(clx.data() + offset + 1));
        if (size < 0 || clx.size() - offset - 3 < static_cast<size_t>(size)) {
            damaged("a property block of the piece table is cut short");
        }
        offset += 3 + static_cast<size_t>(size);
    }
    if (clx.size() - offset < 5 || clx[offset] != 0x02) {
        damaged("no piece table");
    }
    const uint32_t lcb = le::u32(clx.data() + offset + 1);
    offset += 5;
    if (lcb > clx.size() - offset || lcb < 4 || (lcb - 4) % 12 != 0) {
        damaged("the piece table's size is wrong");
    }
    const size_t count = (lcb - 4) / 12;
    const uint8_t* cps = clx.data() + offset;
    const uint8_t* pcds = cps + 4 * (count + 1);
    std::vector<Piece> pieces;
    pieces.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Piece piece;
        piece.cpStart = le::u32(cps + 4 * i);
        piece.cpEnd = le::u32(cps + 4 * (i + 1));
        const uint32_t fc = le::u32(pcds + 8 * i + 2);
        piece.compressed = (fc & kFcCompressed) != 0;
        piece.fc = piece.compressed ? (fc & kFcMask) / 2 : (fc & kFcMask);
        if (piece.cpEnd < piece.cpStart || (i > 0 && piece.cpStart != pieces.back().cpEnd)) {
            damaged("the pieces are out of order");
        }
        const uint64_t bytes = uint64_t{piece.cpEnd - piece.cpStart} * (piece.compressed ? 1 : 2);
        if (piece.fc > wordStreamSize || bytes > wordStreamSize - piece.fc) {
            damaged("a piece of text lies outside the document");
        }
        pieces.push_back(piece);
    }
    return pieces;
}

// A paragraph's properties: its style index, then its grpprl.
ParagraphMarks marksOf(std::span<const uint8_t> properties) {
    ParagraphMarks marks;
    if (properties.size() < 2) {
        return marks;
    }
    marks.style = le::u16(properties.data());
    forEachSprm(properties.subspan(2), [&](uint16_t sprm, std::span<const uint8_t> operand) {
        if (operand.empty()) {
            return;
        }
        if (sprm == kSprmPFInTable) {
            marks.inTable = operand[0] != 0;
        } else if (sprm == kSprmPFTtp || sprm == kSprmPFInnerTtp) {
            marks.rowEnd = marks.rowEnd || operand[0] != 0;
        } else if (sprm == kSprmPItap && operand.size() >= 4) {
            marks.inTable = marks.inTable || le::u32(operand.data()) != 0;
        }
    });
    return marks;
}

// Walks the formatted disk pages that a bin table lists, handing each run's
// byte range and property bytes (empty when the run has none) to `visit`.
// `papx` selects the paragraph page layout (13-byte entries, word counts,
// properties that start with the style index).
template <typename Visit>
void forEachFkpRun(std::span<const uint8_t> bin, std::span<const uint8_t> word, bool papx,
                   Visit visit) {
    if (bin.size() < 4 || (bin.size() - 4) % 8 != 0) {
        if (bin.empty()) {
            return;
        }
        damaged("a formatting table's size is wrong");
    }
    const size_t count = (bin.size() - 4) / 8;
    // Each page stands once in its table: more pages than the document holds
    // would only repeat some.
    if (count > word.size() / kFkpSize) {
        damaged("a formatting table lists more pages than the document holds");
    }
    const uint8_t* pns = bin.data() + 4 * (count + 1);
    for (size_t i = 0; i < count; ++i) {
        const uint64_t pageOffset = uint64_t{le::u32(pns + 4 * i) & 0x3FFFFF} * kFkpSize;
        if (pageOffset + kFkpSize > word.size()) {
            damaged("a formatting page lies outside the document");
        }
        const uint8_t* page = word.data() + pageOffset;
        const uint32_t runs = page[kFkpSize - 1];
        const uint32_t entry = papx ? 13 : 1;
        if (4 * (runs + 1) + entry * runs > kFkpSize - 1) {
            damaged("a formatting page holds too many runs");
        }
        for (uint32_t r = 0; r < runs; ++r) {
            const uint32_t start = le::u32(page + 4 * r);
            const uint32_t end = le::u32(page + 4 * (r + 1));
            const uint32_t at = 2u * page[4 * (runs + 1) + entry * r];
            std::span<const uint8_t> grpprl;
            if (at != 0) {
                uint32_t first = at + 1;
                uint32_t size = page[at];
                if (papx) {
                    if (size == 0) {
                        size = at + 1 < kFkpSize ? 2u * page[at + 1] : 0;
                        first = at + 2;
                    } else {
                        size = 2 * size - 1;
                    }
                }
                if (first > kFkpSize || size > kFkpSize - first) {
                    damaged("formatting runs past its page");
                }
                grpprl = std::span<const uint8_t>(page + first, size);
            }
            if (end > start) {
                visit(start, end, grpprl);
            }
        }
    }
}

class TextBuilder {
public:
    explicit TextBuilder(TextDocument& document) : document_(document) {}

    void character(char32_t c, uint8_t style) {
        if (style != pendingStyle_) {
            flush();
            pendingStyle_ = style;
        }
        utf8::append(pending_, c);
    }
    void endParagraph(ParagraphRole role) {
        flush();
        current_.role = role;
        if (role == ParagraphRole::RowEnd) {
            current_.runs.clear();
        }
        document_.paragraphs.push_back(std::move(current_));
        current_ = Paragraph{};
    }
    void finish() {
        flush();
        if (!current_.runs.empty()) {
            document_.paragraphs.push_back(std::move(current_));
            current_ = Paragraph{};
        }
    }

private:
    void flush() {
        appendText(current_, pending_, pendingStyle_);
        pending_.clear();
    }

    TextDocument& document_;
    Paragraph current_;
    std::string pending_;
    uint8_t pendingStyle_ = kPlain;
};

class MainTextReader {
public:
    MainTextReader(std::span<const uint8_t> word, const std::vector<Piece>& pieces,
                   uint32_t ccpText, StyleSheet sheet, FcLookup<DirectFormatting> formatting,
                   FcLookup<ParagraphMarks> marks, const ProgressSink& progress)
        : word_(word), pieces_(pieces), ccpText_(ccpText), sheet_(std::move(sheet)),
          formatting_(std::move(formatting)), marks_(std::move(marks)), progress_(progress) {}

    TextDocument read() {
        TextDocument document;
        TextBuilder builder(document);
        for (const Piece& piece : pieces_) {
            if (piece.cpStart >= ccpText_) {
                break;
            }
            const uint32_t count = std::min(piece.cpEnd, ccpText_) - piece.cpStart;
            for (uint32_t k = 0; k < count; ++k) {
                if ((k & 0xFFF) == 0xFFF) {
                    report(piece.cpStart + k);
                }
                const uint32_t fc = piece.fc + (piece.compressed ? k : 2 * k);
                const char16_t unit = piece.compressed
                                          ? static_cast<char16_t>(cp1252ToUnicode(word_[fc]))
                                          : static_cast<char16_t>(le::u16(word_.data() + fc));
                if (!piece.compressed && unit >= 0xD800 && unit < 0xDC00 && k + 1 < count) {
                    const char16_t low = le::u16(word_.data() + fc + 2);
                    if (low >= 0xDC00 && low < 0xE000) {
                        ++k;
                        handle(builder, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), fc);
                        continue;
                    }
                }
                handle(builder, unit, fc);
            }
            report(piece.cpStart + count);
        }
        builder.finish();
        return document;
    }

private:
    void handle(TextBuilder& builder, char32_t c, uint32_t fc) {
        switch (c) {
        case kFieldBegin:
            fields_.push_back(true);
            return;
        case kFieldSeparator:
            if (!fields_.empty()) {
                fields_.back() = false;
            }
            return;
        case kFieldEnd:
            if (!fields_.empty()) {
                fields_.pop_back();
            }
            return;
        default:
            break;
        }
        if (inFieldCode()) {
            return;
        }
        switch (c) {
        case kParagraphEnd:
        case kPageBreak:
            builder.endParagraph(marks_.at(fc).inTable ? ParagraphRole::InCell
                                                       : ParagraphRole::Body);
            return;
        case kCellMark:
            builder.endParagraph(marks_.at(fc).rowEnd ? ParagraphRole::RowEnd
                                                      : ParagraphRole::CellEnd);
            return;
        case kLineBreak:
            builder.character('\n', styleAt(fc));
            return;
        case kNonBreakingHyphen:
            builder.character(0x2011, styleAt(fc));
            return;
        case kOptionalHyphen:
            builder.character(0x00AD, styleAt(fc));
            return;
        default:
            break;
        }
        // Pictures, drawn objects, note references and the like have no text.
        if (c < 0x20 && c != '\t') {
            return;
        }
        if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        builder.character(c, styleAt(fc));
    }

    uint8_t styleAt(uint32_t fc) {
        const DirectFormatting direct = formatting_.at(fc);
        return direct.applyTo(sheet_.bits(marks_.at(fc).style, direct.characterStyle));
    }

    bool inFieldCode() const {
        return std::find(fields_.begin(), fields_.end(), true) != fields_.end();
    }

    void report(uint32_t cp) {
        if (!progress_) {
            return;
        }
        const int percent = ccpText_ == 0 ? 100 : static_cast<int>(uint64_t{cp} * 100 / ccpText_);
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            if (!progress_(percent)) {
                fail(FailureKind::Cancelled, "Conversion stopped by the user");
            }
        }
    }

    std::span<const uint8_t> word_;
    const std::vector<Piece>& pieces_;
    uint32_t ccpText_;
    StyleSheet sheet_;
    FcLookup<DirectFormatting> formatting_;
    FcLookup<ParagraphMarks> marks_;
    const ProgressSink& progress_;
    std::vector<bool> fields_; // per open field: still in its code
    int lastPercent_ = -1;
};

std::vector<uint8_t> readNamedStream(cfb::CompoundFileReader& container, std::u16string_view name,
                                     FailureKind missing, const std::string& missingText) {
    const auto index = container.findChild(0, name);
    if (!index || container.entries()[*index].type != cfb::EntryType::Stream) {
        fail(missing, missingText);
    }
    std::vector<uint8_t> bytes;
    if (!container.readStream(*index, bytes)) {
        damaged(container.error());
    }
    return bytes;
}

} // namespace

TextDocument readWordDocument(std::span<const uint8_t> bytes, const ProgressSink& progress) {
    if (bytes.size() < sizeof cfb::kSignature ||
        std::memcmp(bytes.data(), cfb::kSignature, sizeof cfb::kSignature) != 0) {
        fail(FailureKind::NotWordDocument, "Source file is not a Word document");
    }
    cfb::CompoundFileReader container;
    if (!container.open(bytes)) {
        damaged(container.error());
    }
    if (container.findChild(0, u"EncryptionInfo")) {
        fail(FailureKind::Encrypted, "The Word document is encrypted");
    }
    const std::vector<uint8_t> word =
        readNamedStream(container, u"WordDocument", FailureKind::NotWordDocument,
                        "Source file is not a Word document");
    const Fib fib(word);
    const std::vector<uint8_t> table =
        readNamedStream(container, fib.tableStreamIsOne() ? u"1Table" : u"0Table",
                        FailureKind::DamagedDocument, "Damaged Word document: no table stream");

    const std::vector<Piece> pieces =
        readPieces(structureAt(table, fib.pair(kFcClx), "the piece table"), word.size());

    std::vector<FcRange<DirectFormatting>> styleRanges;
    forEachFkpRun(structureAt(table, fib.pair(kFcPlcfBteChpx), "the character formatting"), word,
                  false, [&](uint32_t start, uint32_t end, std::span<const uint8_t> grpprl) {
                      styleRanges.push_back({start, end, directFormattingOf(grpprl)});
                  });
    std::vector<FcRange<ParagraphMarks>> markRanges;
    forEachFkpRun(structureAt(table, fib.pair(kFcPlcfBtePapx), "the paragraph formatting"), word,
                  true, [&](uint32_t start, uint32_t end, std::span<const uint8_t> grpprl) {
                      markRanges.push_back({start, end, marksOf(grpprl)});
                  });

    const StyleSheet sheet(structureAt(table, fib.pair(kFcStshf), "the style sheet"));
    MainTextReader reader(word, pieces, fib.longWord(kLwCcpText), sheet,
                          FcLookup<DirectFormatting>(std::move(styleRanges)),
                          FcLookup<ParagraphMarks>(std::move(markRanges)), progress);
    return reader.read();
}

} // namespace docconv
