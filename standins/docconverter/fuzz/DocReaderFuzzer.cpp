// Any bytes given to the Word document reader either read or fail with a
// DocumentError; what reads must also write back.
#include "DocReader.h"
#include "DocWriter.h"
#include "DocumentError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const docconv::TextDocument document = docconv::readWordDocument({data, size});
        docconv::writeWordDocument(document);
    } catch (const docconv::DocumentError&) {
    }
    return 0;
}
