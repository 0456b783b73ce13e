#include "XlsReader.h"

#include "BiffRecordIds.h"
#include "BiffRecordReader.h"
#include "CellAddress.h"
#include "ChartReader.h"
#include "CompoundFileReader.h"
#include "FormulaTokens.h"
#include "LittleEndian.h"
#include "NumberFormats.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace xls {

namespace {

struct XfEntry {
    uint16_t font = 0;
    uint16_t format = 0;
    HorizontalAlignment horizontal = HorizontalAlignment::General;
};

struct SheetEntry {
    std::string name;
    uint32_t offset = 0;
    uint8_t type = 0;
    int bookIndex = -1; // -1 for sheets the workbook model does not hold
};

// A cell whose formula is a shared one, defined after the cell.
struct PendingFormula {
    uint16_t row, column;
    std::pair<uint16_t, uint16_t> definition;
};

struct SharedFormula {
    uint16_t firstRow, lastRow;
    uint8_t firstColumn, lastColumn;
    std::span<const uint8_t> tokens;
};

// An ARRAY record: the cells an array formula covers and its tokens.
struct ArrayDefinition {
    spreadsheet::CellArea area;
    std::span<const uint8_t> tokens;
    spreadsheet::FormulaPtr formula; // decoded on first use
    bool failed = false;
};

using Anchor = std::pair<uint16_t, uint16_t>;

// A NAME record before its tokens are decoded: they may use names defined after it.
struct NameRecord {
    std::string name;   // empty for names formulas cannot use
    uint16_t sheet = 0; // 1-based BOUNDSHEET index, 0 for the whole workbook
    std::vector<uint8_t> tokens;
};

double decodeRk(uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<int32_t>(rk) >> 2);
    } else {
        const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i) {
            bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
        }
        value = le::f64(bytes);
    }
    return (rk & 0x01) ? value / 100 : value;
}

// Reads one record together with the CONTINUE records after it.
RecordCursor continued(const BiffRecord& first, BiffRecordReader& records) {
    RecordCursor cursor;
    cursor.append(first.data);
    BiffRecord more;
    while (records.peekId() == rec::Continue && records.next(more)) {
        cursor.append(more.data);
    }
    return cursor;
}

// Collects each sheet's cells in the book, in row and column order.
class BookSink final : public CellSink {
public:
    explicit BookSink(Book& book) : book_(&book) {}
    bool begin(const Book&, std::string&) override { return true; }
    void cell(size_t sheet, Cell&& cell) override {
        book_->sheets[sheet].cells.push_back(std::move(cell));
    }
    void lateFormula(size_t, uint16_t row, uint16_t column,
                     spreadsheet::FormulaPtr formula) override {
        late_.push_back({row, column, std::move(formula)});
    }
    void endSheet(size_t sheet) override {
        std::vector<Cell>& cells = book_->sheets[sheet].cells;
        sortAndDeduplicate(cells);
        for (Late& late : late_) {
            const auto it = std::lower_bound(
                cells.begin(), cells.end(), late, [](const Cell& c, const Late& l) {
                    return c.row != l.row ? c.row < l.row : c.column < l.column;
                });
            if (it != cells.end() && it->row == late.row && it->column == late.column) {
                it->formula = std::move(late.formula);
            }
        }
        late_.clear();
    }

private:
    struct Late {
        uint16_t row, column;
        spreadsheet::FormulaPtr formula;
    };

    // Later records for the same cell win.  Writers store cells in row order,
    // so the usual case costs one pass.
    static void sortAndDeduplicate(std::vector<Cell>& cells) {
        const auto before = [](const Cell& a, const Cell& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        };
        const auto notAfter = [&](const Cell& a, const Cell& b) { return !before(a, b); };
        if (std::adjacent_find(cells.begin(), cells.end(), notAfter) == cells.end()) {
            return;
        }
        std::stable_sort(cells.begin(), cells.end(), before);
        std::vector<Cell> unique;
        unique.reserve(cells.size());
        for (Cell& cell : cells) {
            if (!unique.empty() && unique.back().row == cell.row &&
                unique.back().column == cell.column) {
                unique.back() = std::move(cell);
            } else {
                unique.push_back(std::move(cell));
            }
        }
        cells = std::move(unique);
    }

    Book* book_ = nullptr;
    std::vector<Late> late_;
};

class WorkbookParser {
public:
    WorkbookParser(std::span<const uint8_t> stream, Book& book, CellSink& sink)
        : stream_(stream), book_(book), sink_(sink) {}

    ReadOutcome run() {
        book_ = Book();
        book_.styles.clear();
        if (!readGlobals() || !sink_.begin(book_, error_)) {
            return finish(false);
        }
        // Substreams are read in stream order and may not overlap, so that no
        // byte is parsed twice however many sheets a file claims.
        std::vector<const SheetEntry*> order;
        for (const SheetEntry& s : sheets_) {
            order.push_back(&s);
        }
        std::stable_sort(order.begin(), order.end(), [](const SheetEntry* a, const SheetEntry* b) {
            return a->offset < b->offset;
        });
        for (const SheetEntry* s : order) {
            if (!readSheet(*s)) {
                return finish(false);
            }
        }
        if (book_.sheets.empty()) {
            error_ = "the workbook holds no sheets";
            return finish(false);
        }
        if (book_.styles.empty()) {
            book_.styles.push_back(CellStyle{});
        }
        return finish(true);
    }

private:
    ReadOutcome finish(bool ok) {
        ReadOutcome outcome;
        outcome.ok = ok;
        outcome.error = error_;
        outcome.notes = std::move(notes_);
        if (!ok) {
            book_ = Book();
        }
        return outcome;
    }

    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool readBof(BiffRecordReader& records, uint16_t& type) {
        BiffRecord bof;
        if (!records.next(bof) || bof.id != rec::Bof || bof.data.size() < 4) {
            return fail("not a BIFF8 workbook stream: no BOF record");
        }
        if (le::u16(bof.data.data()) != rec::kBiff8Version) {
            return fail("only BIFF8 workbooks (from 1997 on) are supported");
        }
        type = le::u16(bof.data.data() + 2);
        return true;
    }

    bool readGlobals() {
        BiffRecordReader records(stream_);
        uint16_t type = 0;
        if (!readBof(records, type)) {
            return false;
        }
        if (type != rec::kBofGlobals) {
            return fail("the workbook stream does not start with its globals");
        }
        uint16_t activeTab = 0;
        BiffRecord r;
        while (records.next(r)) {
            const uint8_t* d = r.data.data();
            const size_t n = r.data.size();
            switch (r.id) {
            case rec::Eof:
                scannedEnd_ = records.position();
                return resolveSheets(activeTab) && resolveNames();
            case rec::DateMode:
                if (n >= 2) {
                    book_.date1904 = le::u16(d) != 0;
                }
                break;
            case rec::Window1:
                if (n >= 12) {
                    activeTab = le::u16(d + 10);
                }
                break;
            case rec::Font:
                readFont(r, records);
                break;
            case rec::Format:
                readFormat(r, records);
                break;
            case rec::XF:
                if (n >= 8) {
                    xfs_.push_back({le::u16(d), le::u16(d + 2),
                                    static_cast<HorizontalAlignment>(std::min(d[6] & 0x07, 6))});
                }
                break;
            case rec::BoundSheet:
                readBoundSheet(r, records);
                break;
            case rec::Sst:
                readSst(r, records);
                break;
            case rec::SupBook:
                // An internal reference holds the sheet count and the marker 0x0401.
                context_.supBookIsInternal.push_back(n >= 4 && le::u16(d + 2) == 0x0401);
                break;
            case rec::ExternSheet:
                readExternSheet(r, records);
                break;
            case rec::Name:
                readName(r, records);
                break;
            default:
                break;
            }
        }
        return fail("the workbook globals end without an EOF record");
    }

    bool resolveSheets(uint16_t activeTab) {
        for (const SheetEntry& s : sheets_) {
            context_.sheetNames.push_back(s.name);
        }
        uint32_t active = 0;
        for (size_t i = 0; i < sheets_.size(); ++i) {
            SheetEntry& s = sheets_[i];
            if (s.type == 0 || s.type == 2) {
                s.bookIndex = static_cast<int>(book_.sheets.size());
                Sheet sheet;
                sheet.name = s.name;
                sheet.kind = s.type == 2 ? SheetKind::Chart : SheetKind::Worksheet;
                book_.sheets.push_back(std::move(sheet));
                if (i == activeTab) {
                    active = static_cast<uint32_t>(s.bookIndex);
                }
            } else {
                notes_.push_back("sheet \"" + s.name + "\" is a macro or module sheet; skipped");
            }
        }
        book_.activeSheet = active;
        return true;
    }

    void readName(const BiffRecord& r, BiffRecordReader& records) {
        RecordCursor c = continued(r, records);
        const uint16_t flags = c.u16();
        c.skip(1); // keyboard shortcut
        const uint8_t chars = c.u8();
        const uint16_t cce = c.u16();
        c.skip(2);
        NameRecord name;
        name.sheet = c.u16();
        c.skip(4); // menu, description, help and status texts: not kept
        std::string text = c.unicodeString(chars);
        for (uint16_t i = 0; i < cce && !c.failed(); ++i) {
            name.tokens.push_back(c.u8());
        }
        // Built-in names (print areas, filters) and macro names are no
        // formulas' business.
        if (!c.failed() && (flags & 0x002E) == 0) {
            name.name = std::move(text);
        }
        // The record keeps its place even when unusable: tokens name records by index.
        context_.names.push_back(name.name);
        nameRecords_.push_back(std::move(name));
    }

    bool resolveNames() {
        for (NameRecord& record : nameRecords_) {
            if (record.name.empty()) {
                continue;
            }
            DefinedName name;
            name.name = record.name;
            if (record.sheet > 0) {
                if (record.sheet > sheets_.size() || sheets_[record.sheet - 1].bookIndex < 0) {
                    notes_.push_back("name " + record.name +
                                     " of a sheet that is not read; dropped");
                    continue;
                }
                name.sheet = sheets_[record.sheet - 1].bookIndex;
            }
            // A name without a definition only lets formulas keep their text.
            if (record.tokens.empty()) {
                continue;
            }
            context_.row = 0;
            context_.column = 0;
            std::string why;
            spreadsheet::FormulaNodePtr root = decodeFormula(record.tokens, context_, why);
            if (!root) {
                notes_.push_back("name " + record.name + " dropped (" + why + ")");
                continue;
            }
            name.refersTo = spreadsheet::makeFormula(std::move(root));
            book_.names.push_back(std::move(name));
        }
        nameRecords_.clear();
        return true;
    }

    void readFont(const BiffRecord& r, BiffRecordReader& records) {
        RecordCursor c = continued(r, records);
        Font font;
        font.heightTwips = c.u16();
        const uint16_t flags = c.u16();
        font.italic = (flags & 0x02) != 0;
        font.strikeout = (flags & 0x08) != 0;
        font.colorIndex = c.u16();
        font.bold = c.u16() >= 700;
        c.skip(2);
        font.underline = static_cast<Underline>(c.u8());
        c.skip(3);
        font.name = c.unicodeString8();
        // Font index 4 does not exist: the fifth record has index 5.
        if (fonts_.size() == 4) {
            fonts_.push_back(fonts_[0]);
        }
        fonts_.push_back(std::move(font));
    }

    void readFormat(const BiffRecord& r, BiffRecordReader& records) {
        RecordCursor c = continued(r, records);
        const uint16_t index = c.u16();
        std::string text = c.unicodeString16();
        if (!c.failed()) {
            formats_[index] = std::move(text);
        }
    }

    void readBoundSheet(const BiffRecord& r, BiffRecordReader& records) {
        RecordCursor c = continued(r, records);
        SheetEntry entry;
        entry.offset = c.u32();
        c.skip(1);
        entry.type = c.u8();
        entry.name = c.unicodeString8();
        if (!c.failed()) {
            sheets_.push_back(std::move(entry));
        }
    }

    void readSst(const BiffRecord& r, BiffRecordReader& records) {
        RecordCursor c = continued(r, records);
        c.skip(4);
        const uint32_t unique = c.u32();
        // The count is only a claim: stop where the data ends.
        for (uint32_t i = 0; i < unique && !c.atEnd(); ++i) {
            std::string text = c.unicodeString16();
            if (c.failed()) {
                notes_.push_back("the shared string table ends early");
                break;
            }
            sst_.push_back(std::move(text));
        }
    }

    void readExternSheet(const BiffRecord& r, BiffRecordReader& records) {
        RecordCursor c = continued(r, records);
        const uint16_t count = c.u16();
        for (uint16_t i = 0; i < count && !c.failed(); ++i) {
            ExternSheetRef ref;
            ref.supBook = c.u16();
            ref.firstSheet = c.u16();
            ref.lastSheet = c.u16();
            if (!c.failed()) {
                context_.externSheets.push_back(ref);
            }
        }
    }

    uint32_t styleOf(uint16_t xf) {
        if (xf == lastXf_) {
            return lastStyle_;
        }
        lastXf_ = xf;
        lastStyle_ = resolveStyle(xf);
        return lastStyle_;
    }

    uint32_t resolveStyle(uint16_t xf) {
        if (xf >= xfs_.size()) {
            xf = xfs_.size() > 15 ? 15 : 0;
            if (xf >= xfs_.size()) {
                return defaultStyle();
            }
        }
        const auto known = styleOfXf_.find(xf);
        if (known != styleOfXf_.end()) {
            return known->second;
        }
        const XfEntry& entry = xfs_[xf];
        CellStyle style;
        if (entry.font < fonts_.size()) {
            style.font = fonts_[entry.font];
        }
        const auto custom = formats_.find(entry.format);
        style.numberFormat =
            custom != formats_.end() ? custom->second : builtInNumberFormat(entry.format);
        if (style.numberFormat.empty()) {
            style.numberFormat = "General";
        }
        style.horizontal = entry.horizontal;
        const uint32_t index = internStyle(style);
        styleOfXf_[xf] = index;
        return index;
    }

    uint32_t defaultStyle() { return internStyle(CellStyle{}); }

    uint32_t internStyle(const CellStyle& style) {
        const auto it = std::find(book_.styles.begin(), book_.styles.end(), style);
        if (it != book_.styles.end()) {
            return static_cast<uint32_t>(it - book_.styles.begin());
        }
        book_.styles.push_back(style);
        return static_cast<uint32_t>(book_.styles.size() - 1);
    }

    // Cell records share their first three fields: row, column, XF.  The cell
    // goes to the sink when the next one starts or its record ends.
    Cell* addCell(uint16_t row, uint16_t column, uint16_t xf) {
        emitCell();
        if (column >= kMaxColumns) {
            return nullptr;
        }
        current_ = Cell();
        current_.row = row;
        current_.column = column;
        current_.style = styleOf(xf);
        pending_ = true;
        return &current_;
    }

    void emitCell() {
        if (pending_) {
            pending_ = false;
            sink_.cell(sheetIndex_, std::move(current_));
        }
    }

    // A chart sheet whose chart cannot be found opens empty, as every chart
    // sheet did before charts were read.
    void readChartSheet(const SheetEntry& entry) {
        Sheet& sheet = book_.sheets[static_cast<size_t>(entry.bookIndex)];
        const std::string lost = "the chart of chart sheet \"" + entry.name + "\" cannot be read";
        if (entry.offset >= stream_.size() || entry.offset < scannedEnd_) {
            notes_.push_back(lost);
            return;
        }
        BiffRecordReader records(stream_);
        records.seek(entry.offset);
        BiffRecord bof;
        if (!records.next(bof) || !isChartBof(bof)) {
            notes_.push_back(lost);
            return;
        }
        if (readChartSubstream(records, context_, sheet.chart, notes_)) {
            scannedEnd_ = records.position();
        } else {
            sheet.chart = spreadsheet::Chart();
            notes_.push_back(lost);
        }
    }

    static bool isChartBof(const BiffRecord& r) {
        return r.id == rec::Bof && r.data.size() >= 4 &&
               le::u16(r.data.data()) == rec::kBiff8Version &&
               le::u16(r.data.data() + 2) == rec::kBofChart;
    }

    // OBJ starts with its common part: kind 5 is a chart, whose substream follows.
    static bool isChartObject(const BiffRecord& r) {
        constexpr uint16_t kCommonPart = 0x15, kChartKind = 5;
        return r.data.size() >= 6 && le::u16(r.data.data()) == kCommonPart &&
               le::u16(r.data.data() + 4) == kChartKind;
    }

    void readEmbeddedChart(Sheet& sheet, BiffRecordReader& records) {
        spreadsheet::ChartObject object;
        object.name = "Chart " + std::to_string(sheet.charts.size() + 1);
        object.chart.name = sheet.name + " " + object.name;
        readChartSubstream(records, context_, object.chart, notes_);
        sheet.charts.push_back(std::move(object));
    }

    bool readSheet(const SheetEntry& entry) {
        if (entry.bookIndex < 0) {
            return true;
        }
        if (entry.type == 2) {
            readChartSheet(entry);
            return true;
        }
        sheetIndex_ = static_cast<size_t>(entry.bookIndex);
        Sheet& sheet = book_.sheets[sheetIndex_];
        if (entry.offset >= stream_.size() || entry.offset < scannedEnd_) {
            return fail("sheet \"" + entry.name + "\" starts outside its place in the stream");
        }
        BiffRecordReader records(stream_);
        records.seek(entry.offset);
        uint16_t type = 0;
        if (!readBof(records, type)) {
            return false;
        }
        std::vector<PendingFormula> formulas;
        std::map<Anchor, SharedFormula> shared;
        std::map<Anchor, ArrayDefinition> arrays;
        int nested = 0;
        bool chartFollows = false;
        BiffRecord r;
        while (records.next(r)) {
            if (r.id == rec::Bof) {
                if (nested == 0 && chartFollows && isChartBof(r)) {
                    readEmbeddedChart(sheet, records);
                    chartFollows = false;
                } else {
                    ++nested; // another substream: skipped
                }
                continue;
            }
            if (nested == 0) {
                chartFollows = r.id == rec::Obj && isChartObject(r);
            }
            if (r.id == rec::Eof) {
                if (nested-- > 0) {
                    continue;
                }
                finishSheet(sheet, formulas, shared, arrays);
                scannedEnd_ = records.position();
                return true;
            }
            if (nested > 0) {
                continue;
            }
            if (r.id == rec::Array) {
                readArray(r, arrays);
            } else {
                readSheetRecord(sheet, r, records, formulas, shared);
            }
            emitCell();
        }
        return fail("sheet \"" + entry.name + "\" ends without an EOF record");
    }

    void readSheetRecord(Sheet& sheet, const BiffRecord& r, BiffRecordReader& records,
                         std::vector<PendingFormula>& formulas,
                         std::map<Anchor, SharedFormula>& shared) {
        const uint8_t* d = r.data.data();
        const size_t n = r.data.size();
        switch (r.id) {
        case rec::DefColWidth:
            if (n >= 2) {
                sheet.defaultColumnWidth = le::u16(d);
            }
            break;
        case rec::ColInfo:
            if (n >= 10 && le::u16(d) < kMaxColumns && le::u16(d) <= le::u16(d + 2)) {
                ColumnInfo info;
                info.first = le::u16(d);
                info.last = std::min<uint16_t>(le::u16(d + 2), kMaxColumns - 1);
                info.width = le::u16(d + 4);
                info.style = styleOf(le::u16(d + 6));
                info.hidden = (le::u16(d + 8) & 0x01) != 0;
                sheet.columns.push_back(info);
            }
            break;
        case rec::Number:
            if (n >= 14) {
                if (Cell* c = addCell(le::u16(d), le::u16(d + 2), le::u16(d + 4))) {
                    c->value.kind = ValueKind::Number;
                    c->value.number = le::f64(d + 6);
                }
            }
            break;
        case rec::Rk:
            if (n >= 10) {
                if (Cell* c = addCell(le::u16(d), le::u16(d + 2), le::u16(d + 4))) {
                    c->value.kind = ValueKind::Number;
                    c->value.number = decodeRk(le::u32(d + 6));
                }
            }
            break;
        case rec::MulRk:
            for (size_t off = 4; n >= 6 && off + 6 <= n - 2; off += 6) {
                const uint16_t column = static_cast<uint16_t>(le::u16(d + 2) + (off - 4) / 6);
                if (Cell* c = addCell(le::u16(d), column, le::u16(d + off))) {
                    c->value.kind = ValueKind::Number;
                    c->value.number = decodeRk(le::u32(d + off + 2));
                }
            }
            break;
        case rec::Blank:
            if (n >= 6) {
                addCell(le::u16(d), le::u16(d + 2), le::u16(d + 4));
            }
            break;
        case rec::MulBlank:
            for (size_t off = 4; n >= 6 && off + 2 <= n - 2; off += 2) {
                const uint16_t column = static_cast<uint16_t>(le::u16(d + 2) + (off - 4) / 2);
                addCell(le::u16(d), column, le::u16(d + off));
            }
            break;
        case rec::LabelSst:
            if (n >= 10) {
                const uint32_t index = le::u32(d + 6);
                if (Cell* c = addCell(le::u16(d), le::u16(d + 2), le::u16(d + 4))) {
                    c->value.kind = ValueKind::Text;
                    if (index < sst_.size()) {
                        c->value.text = sst_[index];
                    } else {
                        notes_.push_back("a cell names a shared string that does not exist");
                    }
                }
            }
            break;
        case rec::Label:
        case rec::RString:
            if (n >= 6) {
                RecordCursor c = continued(r, records);
                const uint16_t row = c.u16(), column = c.u16(), xf = c.u16();
                std::string text = c.unicodeString16();
                if (Cell* cell = addCell(row, column, xf)) {
                    cell->value.kind = ValueKind::Text;
                    cell->value.text = std::move(text);
                }
            }
            break;
        case rec::BoolErr:
            if (n >= 8) {
                if (Cell* c = addCell(le::u16(d), le::u16(d + 2), le::u16(d + 4))) {
                    if (d[7]) {
                        c->value.kind = ValueKind::Error;
                        c->value.error = static_cast<ErrorCode>(d[6]);
                    } else {
                        c->value.kind = ValueKind::Boolean;
                        c->value.boolean = d[6] != 0;
                    }
                }
            }
            break;
        case rec::Formula:
            readFormula(sheet, r, records, formulas);
            break;
        case rec::ShrFmla:
            if (n >= 10 && 10u + le::u16(d + 8) <= n) {
                SharedFormula f{le::u16(d), le::u16(d + 2), d[4], d[5],
                                r.data.subspan(10, le::u16(d + 8))};
                shared[{f.firstRow, f.firstColumn}] = f;
            }
            break;
        default:
            break;
        }
    }

    // Keyed by the top left cell, where the covered cells' ptgExp tokens point.
    void readArray(const BiffRecord& r, std::map<Anchor, ArrayDefinition>& arrays) {
        const uint8_t* d = r.data.data();
        const size_t n = r.data.size();
        if (n < 14 || 14u + le::u16(d + 12) > n) {
            return;
        }
        const uint16_t firstRow = le::u16(d), lastRow = le::u16(d + 2);
        const uint8_t firstColumn = d[4], lastColumn = d[5];
        if (firstRow > lastRow || firstColumn > lastColumn) {
            return;
        }
        ArrayDefinition array;
        array.area = {{firstRow, firstColumn}, {lastRow, lastColumn}};
        array.tokens = r.data.subspan(14, le::u16(d + 12));
        arrays[{firstRow, firstColumn}] = std::move(array);
    }

    void readFormula(Sheet& sheet, const BiffRecord& r, BiffRecordReader& records,
                     std::vector<PendingFormula>& formulas) {
        const uint8_t* d = r.data.data();
        const size_t n = r.data.size();
        if (n < 22) {
            return;
        }
        const uint16_t cce = le::u16(d + 20);
        Cell* cell = addCell(le::u16(d), le::u16(d + 2), le::u16(d + 4));
        if (cell == nullptr) {
            return;
        }
        CellValue& value = cell->value;
        if (le::u16(d + 12) == 0xFFFF) {
            switch (d[6]) {
            case 0: { // the text follows in a STRING record
                value.kind = ValueKind::Text;
                BiffRecord next;
                BiffRecordReader ahead = records;
                while (ahead.next(next) && (next.id == rec::ShrFmla || next.id == rec::Array ||
                                            next.id == rec::TableOp)) {
                }
                if (next.id == rec::String) {
                    RecordCursor c = continued(next, ahead);
                    value.text = c.unicodeString16();
                }
                break;
            }
            case 1:
                value.kind = ValueKind::Boolean;
                value.boolean = d[8] != 0;
                break;
            case 2:
                value.kind = ValueKind::Error;
                value.error = static_cast<ErrorCode>(d[8]);
                break;
            default:
                value.kind = ValueKind::Text;
                break;
            }
        } else {
            value.kind = ValueKind::Number;
            value.number = le::f64(d + 6);
        }
        const std::span<const uint8_t> tokens = r.data.subspan(22, std::min<size_t>(cce, n - 22));
        if (tokens.size() >= 5 && tokens[0] == 0x01) {
            // ptgExp: the shared formula's definition follows this record.
            formulas.push_back({cell->row,
                                cell->column,
                                {le::u16(tokens.data() + 1), le::u16(tokens.data() + 3)}});
            return;
        }
        context_.row = cell->row;
        context_.column = cell->column;
        std::string why;
        if (spreadsheet::FormulaNodePtr root = decodeFormula(tokens, context_, why)) {
            cell->formula = spreadsheet::makeFormula(std::move(root));
        } else {
            noteFormula(sheet, cell->row, cell->column, why);
        }
    }

    void finishSheet(Sheet& sheet, const std::vector<PendingFormula>& formulas,
                     const std::map<Anchor, SharedFormula>& shared,
                     std::map<Anchor, ArrayDefinition>& arrays) {
        for (const PendingFormula& pending : formulas) {
            const auto it = shared.find(pending.definition);
            if (it == shared.end()) {
                arrayMember(sheet, pending, arrays);
                continue;
            }
            context_.row = pending.row;
            context_.column = pending.column;
            std::string why;
            if (spreadsheet::FormulaNodePtr root =
                    decodeFormula(it->second.tokens, context_, why)) {
                sink_.lateFormula(sheetIndex_, pending.row, pending.column,
                                  spreadsheet::makeFormula(std::move(root)));
            } else {
                noteFormula(sheet, pending.row, pending.column, why);
            }
        }
        sink_.endSheet(sheetIndex_);
    }

    // Every cell an array covers shares the one formula, decoded once.
    void arrayMember(const Sheet& sheet, const PendingFormula& pending,
                     std::map<Anchor, ArrayDefinition>& arrays) {
        const auto it = arrays.find(pending.definition);
        if (it == arrays.end()) {
            noteFormula(sheet, pending.row, pending.column, "array or table formula");
            return;
        }
        ArrayDefinition& array = it->second;
        if (!array.area.contains({pending.row, pending.column})) {
            noteFormula(sheet, pending.row, pending.column, "cell outside its array formula");
            return;
        }
        if (!array.formula && !array.failed) {
            context_.row = pending.definition.first;
            context_.column = pending.definition.second;
            std::string why;
            if (spreadsheet::FormulaNodePtr root = decodeFormula(array.tokens, context_, why)) {
                array.formula = spreadsheet::makeArrayFormula(std::move(root), array.area);
            } else {
                array.failed = true;
                noteFormula(sheet, pending.row, pending.column, why);
            }
        }
        if (array.formula) {
            sink_.lateFormula(sheetIndex_, pending.row, pending.column, array.formula);
        }
    }

    void noteFormula(const Sheet& sheet, uint16_t row, uint16_t column, const std::string& why) {
        if (notes_.size() < 1000) {
            notes_.push_back(sheet.name + "!" + spreadsheet::cellAddressText({row, column}) +
                             ": formula kept as its value (" + why + ")");
        }
    }

    std::span<const uint8_t> stream_;
    Book& book_;
    CellSink& sink_;
    size_t sheetIndex_ = 0;
    Cell current_;
    bool pending_ = false;
    std::string error_;
    std::vector<std::string> notes_;
    std::vector<Font> fonts_;
    std::unordered_map<uint16_t, std::string> formats_;
    std::vector<XfEntry> xfs_;
    std::unordered_map<uint16_t, uint32_t> styleOfXf_;
    std::vector<SheetEntry> sheets_;
    std::vector<std::string> sst_;
    std::vector<NameRecord> nameRecords_;
    FormulaContext context_;
    size_t scannedEnd_ = 0;
    int32_t lastXf_ = -1;
    uint32_t lastStyle_ = 0;
};

} // namespace

ReadOutcome readWorkbookStream(std::span<const uint8_t> stream, Book& book, CellSink& sink) {
    return WorkbookParser(stream, book, sink).run();
}

ReadOutcome readWorkbookStream(std::span<const uint8_t> stream, Book& book) {
    BookSink sink(book);
    return readWorkbookStream(stream, book, sink);
}

ReadOutcome readXlsFile(std::span<const uint8_t> file, Book& book) {
    BookSink sink(book);
    return readXlsFile(file, book, sink);
}

ReadOutcome readXlsFile(std::span<const uint8_t> file, Book& book, CellSink& sink) {
    ReadOutcome outcome;
    cfb::CompoundFileReader container;
    if (!container.open(file)) {
        outcome.error = container.error();
        return outcome;
    }
    auto workbook = container.findChild(0, u"Workbook");
    if (!workbook) {
        outcome.error = container.findChild(0, u"Book")
                            ? "only BIFF8 workbooks (from 1997 on) are supported"
                            : "the file holds no workbook stream";
        return outcome;
    }
    std::span<const uint8_t> view;
    if (container.contiguousStream(*workbook, view)) {
        return readWorkbookStream(view, book, sink);
    }
    std::vector<uint8_t> stream;
    if (!container.readStream(*workbook, stream)) {
        outcome.error = container.error();
        return outcome;
    }
    return readWorkbookStream(stream, book, sink);
}

} // namespace xls
