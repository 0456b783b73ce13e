#include "CellStream.h"

namespace sheaf {
namespace {

bool hasDisplayText(CellKind kind) {
    return kind == CellKind::Formula || kind == CellKind::FormulaWithPrecedents;
}

void encodeEntry(const CellEntry& entry, RecordBuffer& bytes) {
    bytes.rewind();
    bytes.appendWord(static_cast<uint32_t>(entry.kind));
    bytes.appendWord(entry.column);
    bytes.appendWord(entry.row);
    bytes.appendString(entry.text);
    if (hasDisplayText(entry.kind)) {
        bytes.appendString(entry.display);
    }
    if (entry.kind == CellKind::FormulaWithPrecedents) {
        bytes.appendString(entry.precedents);
    }
    if (entry.format.isDefault()) {
        bytes.appendWord(NO_FORMAT);
    } else {
        bytes.appendWord(entry.format.font);
        bytes.appendWord(entry.format.alignment);
        bytes.appendWord(entry.format.numberFormat);
    }
}

} // namespace

CellStreamWriter::CellStreamWriter(SheafDocument& document, const SheetHead& head)
    : document_(document) {
    record_.appendString(head.name);
    record_.appendWord(head.defaults.font);
    record_.appendWord(head.defaults.alignment);
    record_.appendWord(head.defaults.numberFormat);
}

void CellStreamWriter::add(const CellEntry& entry) {
    // One buffer for every entry: a sheet has a hundred thousand of them.
    encodeEntry(entry, entry_);
    if (static_cast<int64_t>(record_.size()) + entry_.size() >= kCellRecordLimit) {
        record_.appendWord(CONTINUED);
        document_.append(std::move(record_));
        record_ = RecordBuffer();
    }
    record_.appendBuffer(entry_);
}

void CellStreamWriter::finish() {
    record_.appendWord(END_OF_SHEET);
    document_.append(std::move(record_));
    record_ = RecordBuffer();
}

CellStreamReader::CellStreamReader(SheafDocument& document, RecordStepHandler onRecordStep)
    : document_(document), onRecordStep_(std::move(onRecordStep)), record_(&document.next()) {
    record_->readString(position_, head_.name);
    head_.defaults.font = readWord();
    head_.defaults.alignment = readWord();
    head_.defaults.numberFormat = readWord();
}

uint32_t CellStreamReader::readWord() {
    return record_->readWord(position_);
}

bool CellStreamReader::next(CellEntry& entry) {
    uint32_t kind = readWord();
    if (kind == CONTINUED) {
        if (onRecordStep_) {
            onRecordStep_(recordsRead_ + 1);
        }
        record_ = &document_.next();
        position_ = 0;
        ++recordsRead_;
        kind = readWord();
    }
    if (kind == END_OF_SHEET) {
        return false;
    }
    entry = CellEntry();
    entry.kind = static_cast<CellKind>(kind);
    entry.column = readWord();
    entry.row = readWord();
    record_->readString(position_, entry.text);
    if (hasDisplayText(entry.kind)) {
        record_->readString(position_, entry.display);
    }
    if (entry.kind == CellKind::FormulaWithPrecedents) {
        record_->readString(position_, entry.precedents);
    }
    const uint32_t font = readWord();
    if (font == NO_FORMAT) {
        entry.format = head_.defaults;
    } else {
        entry.format.font = font;
        entry.format.alignment = readWord();
        entry.format.numberFormat = readWord();
    }
    return true;
}

} // namespace sheaf
