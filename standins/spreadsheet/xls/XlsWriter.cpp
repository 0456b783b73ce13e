#include "XlsWriter.h"

#include "BiffRecordIds.h"
#include "BiffRecordWriter.h"
#include "CellAddress.h"
#include "ChartWriter.h"
#include "CompoundFileWriter.h"
#include "FormulaTokens.h"
#include "LittleEndian.h"
#include "NumberFormats.h"
#include "TextCodec.h"
#include "Workbook.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace xls {

namespace {

// Style XFs 0..14 and the default cell XF 15 come first, as readers expect.
constexpr uint16_t kFirstCellXf = 15;
constexpr size_t kMaxXfs = 4050;
constexpr size_t kMaxCellText = 32767;
// Strings per EXTSST bucket, at least 8, so that there are at most 128 buckets.
uint32_t extSstBucketSize(size_t strings) {
    return std::max<uint32_t>(8, static_cast<uint32_t>((strings + 127) / 128));
}

std::vector<uint8_t> bofData(uint16_t type) {
    std::vector<uint8_t> d;
    le::put16(d, rec::kBiff8Version);
    le::put16(d, type);
    le::put16(d, 0x0DBB); // build
    le::put16(d, 0x07CC); // year
    le::put32(d, 0);      // file history
    le::put32(d, 0x0006); // lowest version that can read it
    return d;
}

bool rkFor(double value, uint32_t& rk) {
    if (value == std::floor(value) && value >= -536870912.0 && value <= 536870911.0) {
        rk = (static_cast<uint32_t>(static_cast<int32_t>(value)) << 2) | 0x02;
        return true;
    }
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        rk = static_cast<uint32_t>(bits >> 32);
        return true;
    }
    return false;
}

// How a formula cell is written: its own tokens, or as part of an array.
enum class FormulaRole : uint8_t { Plain, ArrayAnchor, ArrayMember };

struct EncodedFormula {
    size_t begin = 0, end = 0; // in the writer's token buffer
    FormulaRole role = FormulaRole::Plain;
};

class StreamWriter {
public:
    explicit StreamWriter(const BookView& book) : book_(book) {}
    // Records go to `sink` as they gather, when the stream grows large.
    StreamWriter(const BookView& book, BiffRecordWriter::Sink sink) : book_(book) {
        out_.handTo(std::move(sink));
    }

    const BiffRecordWriter& records() const { return out_; }

    WriteOutcome run() {
        chooseSheets();
        encodeNames();
        encodeFormulas();
        encodeCharts();
        reserveStream();
        writeGlobals();
        size_t chart = 0;
        for (size_t i = 0; i < boundSheetOffsets_.size(); ++i) {
            out_.patch32(boundSheetOffsets_[i], static_cast<uint32_t>(out_.position()));
            if (writtenSheet(i).kind == SheetKind::Chart) {
                out_.record(rec::Bof, bofData(rec::kBofChart));
                writeChartSubstream(charts_[chart++], out_);
            } else {
                writeSheet(writtenSheet(i), i);
            }
        }
        WriteOutcome outcome;
        complete_ = out_.finish();
        outcome.bytes = std::move(out_.stream());
        outcome.notes = std::move(notes_);
        return outcome;
    }
    // False when the sink refused the bytes.
    bool complete() const { return complete_; }

private:
    void chooseSheets() {
        for (const SheetView& s : book_.sheets) {
            usedNames_.insert(folded(s.name));
        }
        const bool worksheets =
            std::any_of(book_.sheets.begin(), book_.sheets.end(),
                        [](const SheetView& s) { return s.kind == SheetKind::Worksheet; });
        if (!worksheets) {
            notes_.push_back("the workbook has no worksheet; an empty one is saved");
            placeholder_.name = unusedSheetName("Sheet");
            addWritten(placeholder_);
        }
        for (size_t i = 0; i < book_.sheets.size(); ++i) {
            const SheetView& sheet = book_.sheets[i];
            if (i == book_.activeSheet) {
                activeTab_ = static_cast<uint16_t>(written_.size());
            }
            writtenIndex_[i] = static_cast<int32_t>(written_.size());
            addWritten(sheet);
            for (const spreadsheet::ChartObject* object : sheet.charts) {
                addEmbeddedChart(*object, sheet);
            }
        }
    }

    void addWritten(const SheetView& sheet) {
        usedNames_.insert(folded(sheet.name));
        written_.push_back(&sheet);
        encode_.sheetNames.push_back(sheet.name);
    }

    // A chart embedded in a worksheet is saved as a chart sheet of its own
    // after the worksheet, named after the chart where the name is free.
    void addEmbeddedChart(const spreadsheet::ChartObject& object, const SheetView& host) {
        SheetView& sheet = embedded_.emplace_back();
        sheet.kind = SheetKind::Chart;
        sheet.chart = &object.chart;
        const std::string& name = object.chart.name;
        sheet.name = spreadsheet::Workbook::isValidSheetName(name) && !sheetNameUsed(name)
                         ? name
                         : unusedSheetName("Chart");
        hosts_[&sheet] = host.name;
        addWritten(sheet);
    }

    static std::string folded(const std::string& name) {
        std::string out = name;
        for (char& c : out) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return out;
    }

    bool sheetNameUsed(const std::string& name) const { return usedNames_.count(folded(name)) > 0; }

    // Numbers only grow, so that many charts cost no search each.
    std::string unusedSheetName(const std::string& stem) {
        for (int& n = nextNumber_[stem];;) {
            std::string name = stem + std::to_string(++n);
            if (!sheetNameUsed(name)) {
                return name;
            }
        }
    }

    const SheetView& writtenSheet(size_t i) const { return *written_[i]; }

    // The chart sheets' series, before the globals: their references join the
    // EXTERNSHEET record.  A reference without a sheet is to the worksheet the
    // chart stood on, or to the first worksheet.
    void encodeCharts() {
        const auto firstWorksheet =
            std::find_if(written_.begin(), written_.end(),
                         [](const SheetView* s) { return s->kind == SheetKind::Worksheet; });
        for (size_t i = 0; i < written_.size(); ++i) {
            const SheetView& sheet = *written_[i];
            if (sheet.kind != SheetKind::Chart) {
                continue;
            }
            static const spreadsheet::Chart kNoChart;
            const auto host = hosts_.find(&sheet);
            encode_.sheet = static_cast<int32_t>(i);
            charts_.push_back(encodeChart(
                sheet.chart ? *sheet.chart : kNoChart,
                host != hosts_.end() ? host->second : (*firstWorksheet)->name, encode_, notes_));
        }
    }

    // A name whose definition cannot be written is written without one, and
    // the definitions that use it are encoded again.
    void encodeNames() {
        std::vector<const NameView*> candidates;
        for (const NameView& name : book_.names) {
            const auto scope = writtenIndex_.find(name.sheet);
            if (name.sheet >= 0 && scope == writtenIndex_.end()) {
                notes_.push_back("name " + name.name + " of a sheet that is not saved is left out");
            } else if (name.refersTo && name.refersTo->root && name.name.size() <= 255) {
                candidates.push_back(&name);
            } else {
                notes_.push_back("name " + name.name + " is left out");
            }
        }
        encode_.addMissingNames = true;
        for (bool dropped = true; dropped;) {
            dropped = false;
            encode_.names.clear();
            for (const NameView* name : candidates) {
                encode_.names.push_back(
                    {name->name, name->sheet < 0 ? -1 : writtenIndex_[name->sheet]});
            }
            nameTokens_.assign(candidates.size(), {});
            for (size_t i = 0; i < candidates.size(); ++i) {
                const NameRef& ref = encode_.names[i];
                encode_.sheet = ref.sheet;
                encode_.definitionSheet = encode_.sheetNames[ref.sheet < 0 ? 0 : ref.sheet];
                std::string why;
                if (!encodeFormula(*candidates[i]->refersTo->root, encode_, nameTokens_[i], why)) {
                    notes_.push_back("the definition of name " + candidates[i]->name +
                                     " is not saved (" + why + ")");
                    candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(i));
                    dropped = true;
                    break;
                }
            }
        }
        encode_.definitionSheet.clear();
    }

    // Room for the whole stream at once, so that a large sheet's stream kept in
    // memory is never copied into a larger buffer.  Reserved pages that stay
    // unused cost nothing.
    void reserveStream() {
        size_t cells = 0;
        for (const SheetView& sheet : book_.sheets) {
            cells += sheet.cells.size();
        }
        size_t texts = 0;
        for (const std::string* text : book_.strings.strings()) {
            texts += 3 + 2 * text->size();
        }
        // A cell record takes 14 to 18 bytes; a formula 26 and its tokens, and
        // its text result a STRING record.
        out_.expect(64 * 1024 + texts + cells * 18 + encoded_.size() * 40 + tokens_.size());
    }

    // Formulas first: the EXTERNSHEET record in the globals must list every
    // sheet a formula names.
    void encodeFormulas() {
        for (size_t i = 0; i < written_.size(); ++i) {
            const SheetView& sheet = writtenSheet(i);
            encode_.sheet = static_cast<int32_t>(i);
            for (const CellView& cell : sheet.cells) {
                if (!cell.formula || !cell.formula->root) {
                    continue;
                }
                const FormulaRole role = roleOf(cell);
                if (role == FormulaRole::ArrayMember) {
                    encoded_.push_back({0, 0, role});
                    continue;
                }
                std::string why;
                const size_t start = tokens_.size();
                encode_.arrayFormula = role == FormulaRole::ArrayAnchor;
                if (encodeFormula(*cell.formula->root, encode_, tokens_, why)) {
                    encoded_.push_back({start, tokens_.size(), role});
                    if (role == FormulaRole::ArrayAnchor) {
                        arrays_.insert(cell.formula);
                    }
                } else {
                    encoded_.push_back({start, start, FormulaRole::Plain});
                    if (notes_.size() < 1000) {
                        notes_.push_back(sheet.name + "!" +
                                         spreadsheet::cellAddressText({cell.row, cell.column}) +
                                         ": formula " + cell.formula->text +
                                         " saved as its value (" + why + ")");
                    }
                }
            }
        }
        encode_.arrayFormula = false;
    }

    // An array formula is written once, with its top left cell; the other
    // cells point there.  Cells whose array lost that cell hold plain formulas.
    FormulaRole roleOf(const CellView& cell) const {
        const auto& array = cell.formula->array;
        if (!array || !array->contains({cell.row, cell.column}) || array->last.row >= 65536 ||
            array->last.column >= 256) {
            return FormulaRole::Plain;
        }
        if (array->first == spreadsheet::CellPosition{cell.row, cell.column}) {
            return FormulaRole::ArrayAnchor;
        }
        return arrays_.count(cell.formula) ? FormulaRole::ArrayMember : FormulaRole::Plain;
    }

    void writeNames() {
        for (size_t i = 0; i < encode_.names.size(); ++i) {
            const NameRef& ref = encode_.names[i];
            const std::u16string units = utf8ToUtf16(ref.name);
            std::vector<uint8_t> d;
            le::put16(d, 0);
            d.push_back(0); // no keyboard shortcut
            d.push_back(static_cast<uint8_t>(units.size()));
            static const std::vector<uint8_t> undefined;
            const std::vector<uint8_t>& tokens =
                i < nameTokens_.size() ? nameTokens_[i] : undefined;
            le::put16(d, static_cast<uint16_t>(tokens.size()));
            le::put16(d, 0);
            le::put16(d, static_cast<uint16_t>(ref.sheet + 1));
            le::put32(d, 0); // no menu, description, help or status text
            appendStringBody(d, units);
            d.insert(d.end(), tokens.begin(), tokens.end());
            out_.record(rec::Name, d);
        }
    }

    std::u16string cellText(const std::string& text) {
        std::u16string units = utf8ToUtf16(text);
        if (units.size() > kMaxCellText) {
            units.resize(kMaxCellText);
            if (notes_.size() < 1000) {
                notes_.push_back("a text longer than 32767 characters was cut");
            }
        }
        return units;
    }

    uint16_t xfOf(uint32_t style) {
        if (style >= xfCount_) {
            return kFirstCellXf;
        }
        return static_cast<uint16_t>(kFirstCellXf + style);
    }

    void writeFonts() {
        // Indices 0..3 are the default font; index 4 does not exist.
        for (int i = 0; i < 4; ++i) {
            writeFont(book_.styles.empty() ? Font{} : book_.styles[0].font);
        }
        for (const CellStyle& style : book_.styles) {
            const auto it = std::find(fonts_.begin(), fonts_.end(), style.font);
            if (it == fonts_.end()) {
                fonts_.push_back(style.font);
                writeFont(style.font);
            }
        }
    }

    uint16_t fontIndex(const Font& font) const {
        if (!book_.styles.empty() && font == book_.styles[0].font) {
            return 0;
        }
        const auto it = std::find(fonts_.begin(), fonts_.end(), font);
        return static_cast<uint16_t>(5 + (it - fonts_.begin()));
    }

    void writeFont(const Font& font) {
        std::vector<uint8_t> d;
        le::put16(d, font.heightTwips);
        // Bit 0 repeats the weight's boldness for readers that look only there.
        le::put16(d, static_cast<uint16_t>((font.bold ? 0x01 : 0) | (font.italic ? 0x02 : 0) |
                                           (font.strikeout ? 0x08 : 0)));
        le::put16(d, font.colorIndex);
        le::put16(d, font.bold ? 700 : 400);
        le::put16(d, 0);
        d.push_back(static_cast<uint8_t>(font.underline));
        d.push_back(0); // family
        d.push_back(0); // character set
        d.push_back(0);
        appendString8(d, utf8ToUtf16(font.name));
        out_.record(rec::Font, d);
    }

    uint16_t formatIndex(const std::string& format) {
        const int builtIn = portableBuiltInIndex(format);
        if (builtIn >= 0) {
            return static_cast<uint16_t>(builtIn);
        }
        const auto it = std::find(formats_.begin(), formats_.end(), format);
        if (it != formats_.end()) {
            return static_cast<uint16_t>(kFirstCustomFormat + (it - formats_.begin()));
        }
        formats_.push_back(format);
        std::vector<uint8_t> d;
        const uint16_t index = static_cast<uint16_t>(kFirstCustomFormat + formats_.size() - 1);
        le::put16(d, index);
        appendString16(d, utf8ToUtf16(format).substr(0, 255));
        out_.record(rec::Format, d);
        return index;
    }

    void writeXf(uint16_t font, uint16_t format, bool styleXf, uint8_t horizontal) {
        std::vector<uint8_t> d;
        le::put16(d, font);
        le::put16(d, format);
        // Locked; a style XF has no parent, a cell XF has the Normal style.
        le::put16(d, styleXf ? 0xFFF5 : 0x0001);
        d.push_back(static_cast<uint8_t>(horizontal | 0x20)); // bottom-aligned
        d.push_back(0);
        d.push_back(0);
        d.push_back(styleXf ? 0x00 : 0xF8); // a cell XF states all its attributes
        le::put32(d, 0);
        le::put32(d, 0);
        le::put16(d, 0x20C0); // automatic pattern colours
        out_.record(rec::XF, d);
    }

    void writeStyles() {
        writeFonts();
        std::vector<uint16_t> formats;
        for (const CellStyle& style : book_.styles) {
            formats.push_back(formatIndex(style.numberFormat));
        }
        for (uint16_t i = 0; i < kFirstCellXf; ++i) {
            writeXf(0, 0, true, 0);
        }
        xfCount_ = std::min(book_.styles.size(), kMaxXfs - kFirstCellXf);
        if (xfCount_ < book_.styles.size()) {
            notes_.push_back("too many distinct cell formats; the rest use the default");
        }
        if (book_.styles.empty()) {
            writeXf(0, 0, false, 0);
        }
        for (size_t i = 0; i < xfCount_; ++i) {
            const CellStyle& style = book_.styles[i];
            writeXf(fontIndex(style.font), formats[i], false,
                    static_cast<uint8_t>(style.horizontal));
        }
        const uint8_t normalStyle[] = {0x00, 0x80, 0x00, 0xFF};
        out_.record(rec::Style, normalStyle);
    }

    void writeGlobals() {
        out_.record(rec::Bof, bofData(rec::kBofGlobals));
        const uint8_t codepage[] = {0xB0, 0x04}; // 1200: UTF-16
        out_.record(rec::Codepage, codepage);
        std::vector<uint8_t> window;
        for (uint16_t v : {0x0000, 0x0000, 0x4000, 0x2000, 0x0038}) {
            le::put16(window, v);
        }
        le::put16(window, activeTab_);
        le::put16(window, 0);
        le::put16(window, 1);
        le::put16(window, 0x0258);
        out_.record(rec::Window1, window);
        const uint8_t dateMode[] = {static_cast<uint8_t>(book_.date1904 ? 1 : 0), 0};
        out_.record(rec::DateMode, dateMode);
        writeStyles();
        for (size_t i = 0; i < written_.size(); ++i) {
            std::vector<uint8_t> d(6, 0);
            d[5] = writtenSheet(i).kind == SheetKind::Chart ? 0x02 : 0x00;
            appendString8(d, utf8ToUtf16(writtenSheet(i).name));
            boundSheetOffsets_.push_back(out_.position() + 4);
            out_.record(rec::BoundSheet, d);
        }
        if (!encode_.externSheets.empty()) {
            std::vector<uint8_t> supBook;
            le::put16(supBook, static_cast<uint16_t>(encode_.sheetNames.size()));
            le::put16(supBook, 0x0401);
            out_.record(rec::SupBook, supBook);
            std::vector<uint8_t> d;
            le::put16(d, static_cast<uint16_t>(encode_.externSheets.size()));
            for (const ExternSheetRef& ref : encode_.externSheets) {
                le::put16(d, ref.supBook);
                le::put16(d, ref.firstSheet);
                le::put16(d, ref.lastSheet);
            }
            out_.record(rec::ExternSheet, d);
        }
        writeNames();
        writeSst();
        out_.record(rec::Eof, {});
    }

    void writeSst() {
        struct Bucket {
            uint32_t position;
            uint16_t offset;
        };
        std::vector<Bucket> buckets;
        const std::vector<const std::string*>& sst = book_.strings.strings();
        const uint32_t bucketSize = extSstBucketSize(sst.size());
        out_.begin(rec::Sst);
        std::vector<uint8_t> head;
        le::put32(head, book_.strings.uses());
        le::put32(head, static_cast<uint32_t>(sst.size()));
        out_.atomic(head);
        for (size_t i = 0; i < sst.size(); ++i) {
            const std::u16string units = cellText(*sst[i]);
            const bool wide = !fitsCompressed(units);
            out_.reserve(4); // the header and a first character stay together
            if (i % bucketSize == 0) {
                buckets.push_back({static_cast<uint32_t>(out_.position()),
                                   static_cast<uint16_t>(out_.position() - out_.segmentStart())});
            }
            std::vector<uint8_t> header;
            le::put16(header, static_cast<uint16_t>(units.size()));
            header.push_back(wide ? 1 : 0);
            out_.atomic(header);
            out_.characters(units, wide);
        }
        out_.end();
        std::vector<uint8_t> ext;
        le::put16(ext, static_cast<uint16_t>(bucketSize));
        for (const Bucket& b : buckets) {
            le::put32(ext, b.position);
            le::put16(ext, b.offset);
            le::put16(ext, 0);
        }
        out_.record(rec::ExtSst, ext);
    }

    void writeColumns(const SheetView& sheet) {
        std::vector<uint8_t> d;
        le::put16(d, sheet.defaultColumnWidth);
        out_.record(rec::DefColWidth, d);
        for (const ColumnInfo& column : sheet.columns) {
            if (column.first > column.last || column.first >= kMaxColumns) {
                continue;
            }
            d.clear();
            le::put16(d, column.first);
            le::put16(d, std::min<uint16_t>(column.last, kMaxColumns - 1));
            le::put16(d, column.width);
            le::put16(d, xfOf(column.style));
            le::put16(d, column.hidden ? 0x0001 : 0x0000);
            le::put16(d, 0);
            out_.record(rec::ColInfo, d);
        }
    }

    void writeDimensions(const SheetView& sheet) {
        uint32_t firstRow = 0, lastRow = 0;
        uint16_t firstColumn = 0, lastColumn = 0;
        if (!sheet.cells.empty()) {
            firstRow = sheet.cells.front().row;
            lastRow = sheet.cells.back().row + 1u;
            firstColumn = 0xFF;
            for (const CellView& cell : sheet.cells) {
                firstColumn = std::min(firstColumn, cell.column);
                lastColumn = std::max<uint16_t>(lastColumn, cell.column + 1);
            }
        }
        std::vector<uint8_t> d;
        le::put32(d, firstRow);
        le::put32(d, lastRow);
        le::put16(d, firstColumn);
        le::put16(d, lastColumn);
        le::put16(d, 0);
        out_.record(rec::Dimensions, d);
    }

    void cellHeader(std::vector<uint8_t>& d, const CellView& cell) {
        d.clear();
        le::put16(d, cell.row);
        le::put16(d, cell.column);
        le::put16(d, xfOf(cell.style));
    }

    // The small records of plain cells, built on the stack: saving a large
    // sheet is mostly these.
    struct SmallRecord {
        uint8_t bytes[16];
        size_t size = 0;
        void u8(uint8_t v) { bytes[size++] = v; }
        void u16(uint16_t v) {
            le::set16(bytes + size, v);
            size += 2;
        }
        void u32(uint32_t v) {
            le::set32(bytes + size, v);
            size += 4;
        }
        void f64(double v) {
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            u32(static_cast<uint32_t>(bits));
            u32(static_cast<uint32_t>(bits >> 32));
        }
        std::span<const uint8_t> data() const { return {bytes, size}; }
    };

    void writeValue(const CellView& cell, const CellValue& value) {
        SmallRecord r;
        r.u16(cell.row);
        r.u16(cell.column);
        r.u16(xfOf(cell.style));
        switch (value.kind) {
        case ValueKind::Empty:
            out_.record(rec::Blank, r.data());
            return;
        case ValueKind::Number: {
            uint32_t rk;
            if (rkFor(value.number, rk)) {
                r.u32(rk);
                out_.record(rec::Rk, r.data());
            } else {
                r.f64(value.number);
                out_.record(rec::Number, r.data());
            }
            return;
        }
        case ValueKind::Text: {
            if (!cell.formula) {
                r.u32(cell.sharedString);
                out_.record(rec::LabelSst, r.data());
                return;
            }
            // A formula's value kept as a plain text: not in the table.
            std::vector<uint8_t>& d = scratch_;
            d.assign(r.bytes, r.bytes + r.size);
            writeStringRecord(rec::Label, d, cellText(value.text));
            return;
        }
        case ValueKind::Boolean:
        case ValueKind::Error:
            r.u8(value.kind == ValueKind::Boolean ? (value.boolean ? 1 : 0)
                                                  : static_cast<uint8_t>(value.error));
            r.u8(value.kind == ValueKind::Error ? 1 : 0);
            out_.record(rec::BoolErr, r.data());
            return;
        }
    }

    void writeFormula(const CellView& cell, std::span<const uint8_t> tokens,
                      std::span<const uint8_t> arrayTokens = {}) {
        std::vector<uint8_t>& d = scratch_;
        cellHeader(d, cell);
        const CellValue& value = *cell.value;
        uint8_t result[8] = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
        switch (value.kind) {
        case ValueKind::Number:
            le::putF64(d, value.number);
            break;
        case ValueKind::Text:
            result[0] = 0;
            d.insert(d.end(), result, result + 8);
            break;
        case ValueKind::Boolean:
            result[0] = 1;
            result[2] = value.boolean ? 1 : 0;
            d.insert(d.end(), result, result + 8);
            break;
        case ValueKind::Error:
            result[0] = 2;
            result[2] = static_cast<uint8_t>(value.error);
            d.insert(d.end(), result, result + 8);
            break;
        case ValueKind::Empty:
            result[0] = 3;
            d.insert(d.end(), result, result + 8);
            break;
        }
        le::put16(d, 0x0002); // calculate on load
        le::put32(d, 0);
        le::put16(d, static_cast<uint16_t>(tokens.size()));
        d.insert(d.end(), tokens.begin(), tokens.end());
        out_.record(rec::Formula, d);
        if (!arrayTokens.empty()) {
            writeArray(*cell.formula->array, arrayTokens);
        }
        if (value.kind == ValueKind::Text) {
            d.clear();
            writeStringRecord(rec::String, d, cellText(value.text));
        }
    }

    void writeArray(const spreadsheet::CellArea& area, std::span<const uint8_t> tokens) {
        std::vector<uint8_t> d;
        le::put16(d, static_cast<uint16_t>(area.first.row));
        le::put16(d, static_cast<uint16_t>(area.last.row));
        d.push_back(static_cast<uint8_t>(area.first.column));
        d.push_back(static_cast<uint8_t>(area.last.column));
        le::put16(d, 0);
        le::put32(d, 0);
        le::put16(d, static_cast<uint16_t>(tokens.size()));
        d.insert(d.end(), tokens.begin(), tokens.end());
        out_.record(rec::Array, d);
    }

    // ptgExp: the formula is the one defined with the array's top left cell.
    static std::array<uint8_t, 5> arrayReference(const spreadsheet::CellArea& area) {
        return {0x01, static_cast<uint8_t>(area.first.row),
                static_cast<uint8_t>(area.first.row >> 8), static_cast<uint8_t>(area.first.column),
                0};
    }

    // A record that ends in a string, which may run on into CONTINUE records.
    void writeStringRecord(uint16_t id, std::vector<uint8_t>& prefix, std::u16string_view units) {
        const bool wide = !fitsCompressed(units);
        le::put16(prefix, static_cast<uint16_t>(units.size()));
        prefix.push_back(wide ? 1 : 0);
        out_.begin(id);
        out_.atomic(prefix);
        out_.characters(units, wide);
        out_.end();
    }

    void writeSheet(const SheetView& sheet, size_t index) {
        out_.record(rec::Bof, bofData(rec::kBofWorksheet));
        writeColumns(sheet);
        writeDimensions(sheet);
        for (const CellView& cell : sheet.cells) {
            if (cell.formula && cell.formula->root) {
                const EncodedFormula& encoded = encoded_[nextFormula_++];
                const auto own = std::span<const uint8_t>(tokens_).subspan(
                    encoded.begin, encoded.end - encoded.begin);
                if (encoded.role != FormulaRole::Plain) {
                    const auto pointer = arrayReference(*cell.formula->array);
                    writeFormula(cell, pointer, own);
                    continue;
                }
                if (!own.empty()) {
                    writeFormula(cell, own);
                    continue;
                }
            }
            writeValue(cell, *cell.value);
        }
        std::vector<uint8_t> d;
        le::put16(d, index == activeTab_ ? 0x06B6 : 0x00B6);
        for (int i = 0; i < 3; ++i) {
            le::put16(d, 0);
        }
        le::put16(d, 0x40); // grid line colour: automatic
        le::put16(d, 0);
        le::put16(d, 0);
        le::put16(d, 0);
        le::put16(d, 0);
        out_.record(rec::Window2, d);
        out_.record(rec::Eof, {});
    }

    const BookView& book_;
    BiffRecordWriter out_;
    bool complete_ = true;
    std::vector<std::string> notes_;
    std::vector<const SheetView*> written_;
    SheetView placeholder_;
    std::deque<SheetView> embedded_;                // the chart sheets of embedded charts
    std::map<const SheetView*, std::string> hosts_; // and the worksheets they stood on
    std::vector<EncodedChart> charts_;
    std::unordered_set<std::string> usedNames_; // lower case: the book's and the written sheets'
    std::map<std::string, int> nextNumber_;     // per stem of a made-up sheet name
    uint16_t activeTab_ = 0;
    EncodeContext encode_;
    std::vector<uint8_t> tokens_;
    std::vector<EncodedFormula> encoded_;
    std::unordered_set<const spreadsheet::Formula*> arrays_; // written with their top left cell
    std::map<int32_t, int32_t> writtenIndex_;                // book sheet -> written sheet
    std::vector<std::vector<uint8_t>> nameTokens_;
    size_t nextFormula_ = 0;
    std::vector<Font> fonts_;
    std::vector<std::string> formats_;
    size_t xfCount_ = 0;
    std::vector<size_t> boundSheetOffsets_;
    std::vector<uint8_t> scratch_;
};

} // namespace

BookView viewOf(const Book& book) {
    BookView view;
    view.styles = book.styles;
    view.activeSheet = book.activeSheet;
    view.date1904 = book.date1904;
    for (const DefinedName& name : book.names) {
        view.names.push_back({name.name, name.sheet, name.refersTo.get()});
    }
    for (const Sheet& sheet : book.sheets) {
        SheetView& out = view.sheets.emplace_back();
        out.name = sheet.name;
        out.kind = sheet.kind;
        out.columns = sheet.columns;
        out.defaultColumnWidth = sheet.defaultColumnWidth;
        out.chart = &sheet.chart;
        for (const spreadsheet::ChartObject& object : sheet.charts) {
            out.charts.push_back(&object);
        }
        out.cells.reserve(sheet.cells.size());
        for (const Cell& cell : sheet.cells) {
            out.cells.push_back(CellView::of(cell.row, cell.column, cell.style, cell.value,
                                             cell.formula.get(), view.strings));
        }
    }
    return view;
}

WriteOutcome writeWorkbookStream(const BookView& book) {
    return StreamWriter(book).run();
}

WriteOutcome writeXlsFile(const Book& book) {
    return writeXlsFile(viewOf(book));
}

// A large stream goes to the file as it is made, after room for the
// container's header, which goes in last; a small one is framed whole.
bool writeXlsFile(const BookView& book, cfb::FileSink& file, std::vector<std::string>& notes) {
    bool started = false;
    StreamWriter writer(book, [&](std::span<const uint8_t> bytes) {
        if (!started) {
            started = true;
            const std::vector<uint8_t> header(cfb::CompoundFileWriter::kHeaderBytes, 0);
            if (!file.write(header)) {
                return false;
            }
        }
        return file.write(bytes);
    });
    WriteOutcome stream = writer.run();
    notes = std::move(stream.notes);
    if (!writer.complete()) {
        return false;
    }
    const BiffRecordWriter& records = writer.records();
    if (records.handedOn() == 0) {
        cfb::CompoundFileWriter container;
        container.addStream(u"Workbook", std::move(stream.bytes));
        return container.writeTo([&](std::span<const uint8_t> bytes) { return file.write(bytes); });
    }
    for (const BiffRecordWriter::LatePatch& patch : records.latePatches()) {
        uint8_t value[4];
        le::set32(value, patch.value);
        if (!file.rewrite(cfb::CompoundFileWriter::kHeaderBytes + patch.position, value)) {
            return false;
        }
    }
    const cfb::CompoundFileWriter::Frame frame =
        cfb::CompoundFileWriter::frameForStream(u"Workbook", records.handedOn());
    return file.write(frame.trailer) && file.rewrite(0, frame.header);
}

WriteOutcome writeXlsFile(const BookView& book) {
    class MemorySink final : public cfb::FileSink {
    public:
        explicit MemorySink(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
        bool write(std::span<const uint8_t> bytes) override {
            bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
            return true;
        }
        bool rewrite(uint64_t offset, std::span<const uint8_t> bytes) override {
            if (offset > bytes_.size() || bytes.size() > bytes_.size() - offset) {
                return false;
            }
            std::copy(bytes.begin(), bytes.end(),
                      bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
            return true;
        }

    private:
        std::vector<uint8_t>& bytes_;
    };
    WriteOutcome outcome;
    MemorySink sink(outcome.bytes);
    writeXlsFile(book, sink, outcome.notes);
    return outcome;
}

} // namespace xls
