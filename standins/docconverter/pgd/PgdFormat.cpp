#include "PgdFormat.h"

#include "DocumentError.h"
#include "Utf8.h"

#include <cstring>
#include <limits>
#include <string>

namespace docconv::pgd {

namespace {

// Smallest encoded paragraph and run, which bound the counts a file can claim.
constexpr size_t kParagraphBytes = 5;
constexpr size_t kRunBytes = 5;

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v >> 16));
    put16(out, static_cast<uint16_t>(v));
}

uint32_t checkedCount(size_t count, const char* what) {
    if (count > std::numeric_limits<uint32_t>::max()) {
        fail(FailureKind::DamagedHandheldDocument, std::string("too many ") + what);
    }
    return static_cast<uint32_t>(count);
}

[[noreturn]] void damaged(const std::string& why) {
    fail(FailureKind::DamagedHandheldDocument, "Damaged handheld document: " + why);
}

class Cursor {
public:
    explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t remaining() const { return bytes_.size() - offset_; }
    size_t offset() const { return offset_; }

    uint8_t u8(const char* what) {
        need(1, what);
        return bytes_[offset_++];
    }
    uint16_t u16(const char* what) {
        need(2, what);
        const uint16_t v = static_cast<uint16_t>((bytes_[offset_] << 8) | bytes_[offset_ + 1]);
        offset_ += 2;
        return v;
    }
    uint32_t u32(const char* what) {
        const uint32_t high = u16(what);
        return (high << 16) | u16(what);
    }
    std::string_view text(uint32_t length, const char* what) {
        need(length, what);
        const std::string_view view(reinterpret_cast<const char*>(bytes_.data() + offset_), length);
        offset_ += length;
        return view;
    }
    void skip(size_t count, const char* what) {
        need(count, what);
        offset_ += count;
    }

private:
    void need(size_t count, const char* what) {
        if (remaining() < count) {
            damaged(std::string(what) + " at byte " + std::to_string(offset_) +
                    " runs past the end of the file");
        }
    }

    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
};

Run readRun(Cursor& in) {
    Run run;
    run.style = in.u8("a run's style");
    if ((run.style & ~kKnownStyles) != 0) {
        damaged("unknown style bits in a run");
    }
    const uint32_t length = in.u32("a run's length");
    const std::string_view text = in.text(length, "a run's text");
    if (!utf8::isValid(text)) {
        damaged("a run's text is not UTF-8");
    }
    run.text.assign(text);
    return run;
}

Paragraph readParagraph(Cursor& in) {
    Paragraph paragraph;
    const uint8_t role = in.u8("a paragraph's role");
    if (role > static_cast<uint8_t>(ParagraphRole::RowEnd)) {
        damaged("unknown paragraph role " + std::to_string(role));
    }
    paragraph.role = static_cast<ParagraphRole>(role);
    const uint32_t runCount = in.u32("a paragraph's run count");
    if (runCount > in.remaining() / kRunBytes) {
        damaged("a paragraph claims more runs than the file holds");
    }
    paragraph.runs.reserve(runCount);
    for (uint32_t i = 0; i < runCount; ++i) {
        paragraph.runs.push_back(readRun(in));
    }
    return paragraph;
}

} // namespace

std::vector<uint8_t> write(const TextDocument& document) {
    std::vector<uint8_t> out(std::begin(kMagic), std::end(kMagic));
    put16(out, kVersion);
    put16(out, kHeaderSize);
    put32(out, checkedCount(document.paragraphs.size(), "paragraphs"));
    for (const Paragraph& paragraph : document.paragraphs) {
        out.push_back(static_cast<uint8_t>(paragraph.role));
        put32(out, checkedCount(paragraph.runs.size(), "runs"));
        for (const Run& run : paragraph.runs) {
            out.push_back(run.style);
            put32(out, checkedCount(run.text.size(), "bytes in a run"));
            out.insert(out.end(), run.text.begin(), run.text.end());
        }
    }
    return out;
}

TextDocument read(std::span<const uint8_t> bytes) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        damaged("not a handheld word-processing document");
    }
    Cursor in(bytes);
    in.skip(sizeof kMagic, "the signature");
    const uint16_t version = in.u16("the version");
    if (version != kVersion) {
        damaged("unsupported version " + std::to_string(version));
    }
    const uint16_t headerSize = in.u16("the header size");
    if (headerSize < kHeaderSize) {
        damaged("header shorter than its fields");
    }
    const uint32_t paragraphCount = in.u32("the paragraph count");
    // Later header fields of this version are skipped, not refused.
    in.skip(headerSize - kHeaderSize, "the header");
    if (paragraphCount > in.remaining() / kParagraphBytes) {
        damaged("the header claims more paragraphs than the file holds");
    }
    TextDocument document;
    document.paragraphs.reserve(paragraphCount);
    for (uint32_t i = 0; i < paragraphCount; ++i) {
        document.paragraphs.push_back(readParagraph(in));
    }
    if (in.remaining() != 0) {
        damaged(std::to_string(in.remaining()) + " bytes after the last paragraph");
    }
    return document;
}

} // namespace docconv::pgd
