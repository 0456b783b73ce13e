#include "DocReader.h"

#include "CompoundFile.h"
#include "CompoundFileReader.h"
#include "Cp1252.h"
#include "DocumentError.h"
#include "Fib.h"
#include "FormattedPages.h"
#include "LittleEndian.h"
#include "PieceTable.h"
#include "Sprm.h"
#include "StyleSheet.h"
#include "Utf8.h"
#include "WordBinary.h"
#include "WordDamage.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace docconv {

namespace {

using namespace word;

struct ParagraphMarks {
    bool inTable = false;
    bool rowEnd = false;
    uint16_t style = 0; // Normal
};

std::span<const uint8_t> structureAt(std::span<const uint8_t> table,
                                     std::pair<uint32_t, uint32_t> where, const char* what) {
    if (where.first > table.size() || where.second > table.size() - where.first) {
        damaged(std::string(what) + " lies outside the table stream");
    }
    return table.subspan(where.first, where.second);
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
