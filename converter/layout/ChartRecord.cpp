#include "ChartRecord.h"

#include "SheafError.h"

namespace sheaf {

RecordBuffer ChartRecord::encode() const {
    RecordBuffer record;
    record.appendWord(ordinal);
    record.appendString(name);
    record.appendString(title);
    record.appendWord(type);
    record.appendByte(inRows ? 1 : 0);
    record.appendString(categories);
    record.appendWord(static_cast<uint32_t>(groups.size()));
    for (const Group& group : groups) {
        record.appendString(group.values);
        record.appendString(group.sizes);
    }
    return record;
}

ChartRecord ChartRecord::decode(const RecordBuffer& record) {
    ChartRecord chart;
    int32_t position = 0;
    chart.ordinal = record.readWord(position);
    record.readString(position, chart.name);
    record.readString(position, chart.title);
    chart.type = record.readWord(position);
    chart.inRows = record.readByte(position) != 0;
    record.readString(position, chart.categories);
    const uint32_t count = record.readWord(position);
    // Each group takes at least its two length words: a count the record
    // cannot hold is refused before anything is allocated for it.
    if (count > static_cast<uint32_t>(record.size() - position) / 8) {
        throwDataError();
    }
    chart.groups.resize(count);
    for (Group& group : chart.groups) {
        record.readString(position, group.values);
        record.readString(position, group.sizes);
    }
    return chart;
}

} // namespace sheaf
