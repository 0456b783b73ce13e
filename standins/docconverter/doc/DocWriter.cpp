#include "DocWriter.h"

#include "CompoundFile.h"
#include "CompoundFileWriter.h"
#include "DocumentError.h"
#include "FkpWriter.h"
#include "LittleEndian.h"
#include "Utf8.h"
#include "WordBinary.h"

#include <algorithm>
#include <string>

namespace docconv {

namespace {

using namespace word;

constexpr uint32_t kFibSize = 0x384;
constexpr uint32_t kTextStart = 0x400;
constexpr uint32_t kMaxTableColumns = 63;
constexpr int16_t kTextWidthTwips = 9000;

// A paragraph as it goes to the file, with the role it really gets.
struct PlannedParagraph {
    const Paragraph* source = nullptr; // null for the closing empty paragraph
    ParagraphRole role = ParagraphRole::Body;
    uint32_t cells = 0; // for a row end: the cells of its row
};

// Keeps table roles only for whole rows: (in-cell* cell-end)+ row-end, at most
// kMaxTableColumns cells.  Anything else is written as body paragraphs.
std::vector<PlannedParagraph> planParagraphs(const TextDocument& document) {
    std::vector<PlannedParagraph> plan;
    const auto& paragraphs = document.paragraphs;
    size_t i = 0;
    while (i < paragraphs.size()) {
        size_t j = i;
        uint32_t cells = 0;
        bool open = false; // a cell has paragraphs but no end yet
        while (j < paragraphs.size() && paragraphs[j].role != ParagraphRole::Body &&
               paragraphs[j].role != ParagraphRole::RowEnd) {
            open = paragraphs[j].role == ParagraphRole::InCell;
            cells += paragraphs[j].role == ParagraphRole::CellEnd ? 1 : 0;
            ++j;
        }
        const bool wholeRow = j < paragraphs.size() &&
                              paragraphs[j].role == ParagraphRole::RowEnd && cells > 0 && !open &&
                              cells <= kMaxTableColumns;
        if (wholeRow) {
            for (size_t k = i; k < j; ++k) {
                plan.push_back({&paragraphs[k], paragraphs[k].role, 0});
            }
            plan.push_back({&paragraphs[j], ParagraphRole::RowEnd, cells});
            i = j + 1;
            continue;
        }
        const size_t last = std::max(j, i + 1);
        for (size_t k = i; k < last; ++k) {
            // A row end outside a whole row only marks a row: dropped unless it has text.
            if (paragraphs[k].role != ParagraphRole::RowEnd || !paragraphs[k].runs.empty()) {
                plan.push_back({&paragraphs[k], ParagraphRole::Body, 0});
            }
        }
        i = last;
    }
    // The text ends with a body paragraph mark, after a table too.
    if (plan.empty() || plan.back().role != ParagraphRole::Body) {
        plan.push_back({nullptr, ParagraphRole::Body, 0});
    }
    return plan;
}

std::vector<uint8_t> characterProperties(uint8_t style) {
    std::vector<uint8_t> grpprl;
    const auto toggle = [&](uint16_t sprm) {
        le::put16(grpprl, sprm);
        grpprl.push_back(1);
    };
    if (style & kBold) {
        toggle(kSprmCFBold);
    }
    if (style & kItalic) {
        toggle(kSprmCFItalic);
    }
    if (style & kUnderline) {
        toggle(kSprmCKul);
    }
    return grpprl;
}

std::vector<uint8_t> paragraphProperties(const PlannedParagraph& paragraph) {
    std::vector<uint8_t> out;
    le::put16(out, 0); // the Normal style
    if (paragraph.role == ParagraphRole::Body) {
        return out;
    }
    le::put16(out, kSprmPFInTable);
    out.push_back(1);
    if (paragraph.role != ParagraphRole::RowEnd) {
        return out;
    }
    le::put16(out, kSprmPFTtp);
    out.push_back(1);
    // The row's cell boundaries, evenly spread over the text width.
    const uint32_t cells = paragraph.cells;
    le::put16(out, kSprmTDefTable);
    le::put16(out, static_cast<uint16_t>(1 + 2 * (cells + 1) + 1));
    out.push_back(static_cast<uint8_t>(cells));
    for (uint32_t c = 0; c <= cells; ++c) {
        le::put16(out, static_cast<uint16_t>(kTextWidthTwips * static_cast<int32_t>(c) /
                                             static_cast<int32_t>(cells)));
    }
    return out;
}

// The paragraphs' text as the file stores it (UTF-16) with the runs of
// character and paragraph formatting, as character positions.
struct TextLayout {
    std::u16string text;
    std::vector<FormattedRun> characterRuns;
    std::vector<FormattedRun> paragraphRuns;
};

void appendRunText(std::u16string& text, const std::string& utf8Text) {
    const auto codePoints = utf8::decode(utf8Text);
    if (!codePoints) {
        fail(FailureKind::DamagedHandheldDocument, "Damaged handheld document: text is not UTF-8");
    }
    for (char32_t c : *codePoints) {
        if (c == '\n') {
            text += kLineBreak;
        } else if (c < 0x20 && c != '\t') {
            // Control characters would be read as paragraph, cell or field marks.
            continue;
        } else if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
    }
}

uint32_t fcOf(size_t cp) {
    return static_cast<uint32_t>(kTextStart + 2 * cp);
}

void addCharacterRun(TextLayout& layout, size_t startCp, uint8_t style) {
    const size_t endCp = layout.text.size();
    if (endCp == startCp) {
        return;
    }
    auto& runs = layout.characterRuns;
    std::vector<uint8_t> properties = characterProperties(style);
    if (!runs.empty() && runs.back().properties == properties && runs.back().end == fcOf(startCp)) {
        runs.back().end = fcOf(endCp);
        return;
    }
    runs.push_back({fcOf(startCp), fcOf(endCp), std::move(properties)});
}

TextLayout layOut(const std::vector<PlannedParagraph>& plan, const ProgressSink& progress) {
    TextLayout layout;
    int lastPercent = -1;
    for (size_t p = 0; p < plan.size(); ++p) {
        const PlannedParagraph& paragraph = plan[p];
        const size_t paragraphStart = layout.text.size();
        if (paragraph.source && paragraph.role != ParagraphRole::RowEnd) {
            for (const Run& run : paragraph.source->runs) {
                const size_t runStart = layout.text.size();
                appendRunText(layout.text, run.text);
                addCharacterRun(layout, runStart, run.style & kKnownStyles);
            }
        }
        const size_t markStart = layout.text.size();
        layout.text +=
            paragraph.role == ParagraphRole::Body || paragraph.role == ParagraphRole::InCell
                ? kParagraphEnd
                : kCellMark;
        addCharacterRun(layout, markStart, kPlain);
        layout.paragraphRuns.push_back(
            {fcOf(paragraphStart), fcOf(layout.text.size()), paragraphProperties(paragraph)});
        const int percent = static_cast<int>(p * 100 / plan.size());
        if (progress && percent != lastPercent) {
            lastPercent = percent;
            if (!progress(percent)) {
                fail(FailureKind::Cancelled, "Conversion stopped by the user");
            }
        }
    }
    return layout;
}

std::vector<uint8_t> styleSheet() {
    std::vector<uint8_t> out;
    le::put16(out, 18); // size of the header that follows
    le::put16(out, 1);  // styles
    le::put16(out, 10); // size of each style's fixed part
    le::put16(out, 1);  // built-in style names are written
    le::put16(out, 91); // highest built-in style identifier known
    le::put16(out, 15); // fixed style slots
    le::put16(out, 0);
    for (int i = 0; i < 3; ++i) {
        le::put16(out, 0); // default fonts: the first of the font table
    }
    std::vector<uint8_t> normal;
    le::put16(normal, 0x0000);                 // built-in style 0, Normal
    le::put16(normal, 0x0001 | (0x0FFF << 4)); // paragraph style, no base style
    le::put16(normal, 0x0002);                 // two property groups, next style 0
    le::put16(normal, 0);                      // size, set below
    le::put16(normal, 0);
    const std::u16string name = u"Normal";
    le::put16(normal, static_cast<uint16_t>(name.size()));
    for (char16_t c : name) {
        le::put16(normal, c);
    }
    le::put16(normal, 0);
    le::put16(normal, 2); // paragraph group: the style index
    le::put16(normal, 0);
    le::put16(normal, 4); // character group: 12-point text
    le::put16(normal, 0x4A43);
    le::put16(normal, 24);
    le::set16(normal.data() + 6, static_cast<uint16_t>(normal.size()));
    le::put16(out, static_cast<uint16_t>(normal.size()));
    out.insert(out.end(), normal.begin(), normal.end());
    return out;
}

std::vector<uint8_t> fontTable() {
    std::vector<uint8_t> font;
    font.push_back(0);    // size less one, set below
    font.push_back(0x16); // variable pitch, TrueType, roman family
    le::put16(font, 400);
    font.push_back(0); // ANSI character set
    font.push_back(0);
    font.resize(font.size() + 10 + 24, 0); // PANOSE and font signature
    for (char16_t c : std::u16string(u"Times New Roman")) {
        le::put16(font, c);
    }
    le::put16(font, 0);
    font[0] = static_cast<uint8_t>(font.size() - 1);
    std::vector<uint8_t> out;
    le::put16(out, 1);
    le::put16(out, 0);
    out.insert(out.end(), font.begin(), font.end());
    return out;
}

std::vector<uint8_t> documentProperties() {
    std::vector<uint8_t> dop(500, 0);
    le::set16(dop.data() + 0x0A, 720); // default tab stops every half inch
    return dop;
}

std::vector<uint8_t> sectionTable(uint32_t ccpText) {
    std::vector<uint8_t> out;
    le::put32(out, 0);
    le::put32(out, ccpText);
    le::put16(out, 0);
    le::put32(out, 0xFFFFFFFF); // default section properties
    le::put16(out, 0);
    le::put32(out, 0xFFFFFFFF);
    return out;
}

std::vector<uint8_t> pieceTable(uint32_t ccpText) {
    std::vector<uint8_t> out;
    out.push_back(0x02);
    le::put32(out, 4 * 2 + 8);
    le::put32(out, 0);
    le::put32(out, ccpText);
    le::put16(out, 0);
    le::put32(out, kTextStart); // one UTF-16 piece
    le::put16(out, 0);
    return out;
}

class TableStream {
public:
    // Appends a structure and records where it went in the FIB pair `index`.
    void add(uint32_t index, const std::vector<uint8_t>& bytes) {
        pairs_.push_back(
            {index, static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(bytes.size())});
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    void fillFib(uint8_t* fcLcb) const {
        for (const auto& pair : pairs_) {
            le::set32(fcLcb + 8 * pair.index, pair.offset);
            le::set32(fcLcb + 8 * pair.index + 4, pair.size);
        }
    }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    struct Pair {
        uint32_t index, offset, size;
    };
    std::vector<uint8_t> bytes_;
    std::vector<Pair> pairs_;
};

void writeFib(std::vector<uint8_t>& word, uint32_t ccpText, const TableStream& table) {
    uint8_t* fib = word.data();
    le::set16(fib + kOffIdent, kIdent);
    le::set16(fib + kOffNfib, kNfibWord97);
    le::set16(fib + 0x06, 0x0409); // US English
    le::set16(fib + kOffFlags, kFlagWhichTableStream | kFlagExtChar);
    le::set16(fib + 0x0C, 0x00BF);
    // The old first and last text offsets, which some readers still use.
    le::set32(fib + 0x18, kTextStart);
    le::set32(fib + 0x1C, fcOf(ccpText));
    le::set16(fib + kOffCsw, kWCount);
    const uint32_t lwAt = kOffCsw + 2 + 2 * kWCount;
    le::set16(fib + lwAt, kLwCount);
    uint8_t* lw = fib + lwAt + 2;
    le::set32(lw + 4 * kLwCbMac, static_cast<uint32_t>(word.size()));
    le::set32(lw + 4 * kLwCcpText, ccpText);
    uint8_t* pairCount = lw + 4 * kLwCount;
    le::set16(pairCount, kFcLcbCount97);
    table.fillFib(pairCount + 2);
}

} // namespace

std::vector<uint8_t> writeWordDocument(const TextDocument& document, const ProgressSink& progress) {
    const TextLayout layout = layOut(planParagraphs(document), progress);
    if (layout.text.size() > (kFcMask - kTextStart) / 2) {
        fail(FailureKind::DamagedHandheldDocument, "The document is too long for a Word document");
    }
    const auto ccpText = static_cast<uint32_t>(layout.text.size());

    std::vector<uint8_t> word(kTextStart, 0);
    for (char16_t unit : layout.text) {
        le::put16(word, unit);
    }
    TableStream table;
    table.add(kFcStshf, styleSheet());
    table.add(kFcPlcfBteChpx, writeFkps(FkpKind::Character, layout.characterRuns, word));
    table.add(kFcPlcfBtePapx, writeFkps(FkpKind::Paragraph, layout.paragraphRuns, word));
    table.add(kFcSttbfFfn, fontTable());
    table.add(kFcDop, documentProperties());
    table.add(kFcPlcfSed, sectionTable(ccpText));
    table.add(kFcClx, pieceTable(ccpText));
    static_assert(kFibSize <= kTextStart);
    // Readers expect the main stream outside the container's mini stream.
    word.resize(std::max<size_t>(word.size(), cfb::kMiniStreamCutoff), 0);
    writeFib(word, ccpText, table);

    cfb::CompoundFileWriter container;
    container.addStream(u"WordDocument", std::move(word));
    container.addStream(u"1Table", std::move(table.bytes()));
    if (progress && !progress(100)) {
        fail(FailureKind::Cancelled, "Conversion stopped by the user");
    }
    return container.finish();
}

} // namespace docconv
