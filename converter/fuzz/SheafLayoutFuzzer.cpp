// Reading hostile ".shf" files the way an import does: the header, each
// sheet's cell stream, then the chart records.  Short records must end in a
// data error, never in a crash or an unbounded allocation.
#include "CellStream.h"
#include "ChartRecord.h"
#include "DocumentHeader.h"
#include "SheafContainer.h"
#include "SheafError.h"
#include "SeriesFormula.h"

namespace {

void readLikeAnImport(sheaf::SheafDocument& document) {
    const sheaf::DocumentHeader header = sheaf::DocumentHeader::decode(document.get(1));
    for (uint32_t sheet = 0; sheet < header.sheetCount; ++sheet) {
        for (int i = 0; i < 3; ++i) {
            document.next();
        }
        sheaf::CellStreamReader reader(document);
        sheaf::CellEntry entry;
        while (reader.next(entry)) {
        }
    }
    for (uint32_t chart = 0; chart < header.chartCount; ++chart) {
        const sheaf::ChartRecord record = sheaf::ChartRecord::decode(document.next());
        for (const sheaf::ChartRecord::Group& group : record.groups) {
            sheaf::SeriesRange range;
            range.parseValuesReference(group.values);
            for (int guard = 0; !range.empty() && guard < 1000; ++guard) {
                (void)range.splitOffSeries(record.inRows).seriesFormula(guard);
            }
        }
        (void)sheaf::parseSeriesFormula(record.categories);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sheaf::SheafDocument document;
    if (sheaf::decodeDocument({data, size}, document) != 0) {
        return 0;
    }
    try {
        readLikeAnImport(document);
    } catch (const sheaf::SheafError&) {
    }
    return 0;
}
