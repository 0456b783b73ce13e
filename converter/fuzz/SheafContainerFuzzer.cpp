// Decoding hostile ".shf" bytes: whatever decodes must encode and decode again
// to the same document.
#include "SheafContainer.h"
#include "SheafResult.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sheaf::SheafDocument document;
    if (sheaf::decodeDocument({data, size}, document) != sheaf::kResultOk) {
        if (document.recordCount() != 0) {
            std::abort();
        }
        return 0;
    }
    const std::vector<uint8_t> encoded = sheaf::encodeDocument(document);
    sheaf::SheafDocument again;
    if (sheaf::decodeDocument(encoded, again) != sheaf::kResultOk || !(again == document) ||
        sheaf::encodeDocument(again) != encoded) {
        std::abort();
    }
    return 0;
}
