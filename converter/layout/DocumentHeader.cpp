#include "DocumentHeader.h"

namespace sheaf {

RecordBuffer DocumentHeader::encode() const {
    RecordBuffer record;
    record.appendWord(sheetCount);
    record.appendWord(chartCount);
    record.appendString(author);
    return record;
}

DocumentHeader DocumentHeader::decode(const RecordBuffer& record) {
    DocumentHeader header;
    int32_t position = 0;
    header.sheetCount = record.readWord(position);
    header.chartCount = record.readWord(position);
    record.readString(position, header.author);
    return header;
}

} // namespace sheaf
