// Any bytes given to the handheld document reader either read or fail with a
// DocumentError; what reads writes back and reads again to the same document.
#include "DocumentError.h"
#include "PgdFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const docconv::TextDocument document = docconv::pgd::read({data, size});
        if (!(docconv::pgd::read(docconv::pgd::write(document)) == document)) {
            std::abort();
        }
    } catch (const docconv::DocumentError&) {
    }
    return 0;
}
