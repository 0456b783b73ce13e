#include "Fib.h"

#include "DocumentError.h"
#include "WordBinary.h"
#include "WordDamage.h"

#include <string>

namespace docconv::word {

Fib::Fib(std::span<const uint8_t> stream) : stream_(stream) {
    if (stream.size() < kOffCsw + 2 || le::u16(stream.data() + kOffIdent) != kIdent) {
        fail(FailureKind::NotWordDocument, "Source file is not a Word document");
    }
    const uint16_t nFib = le::u16(stream.data() + kOffNfib);
    if (nFib < kNfibWord97) {
        fail(FailureKind::UnsupportedVersion,
             "Word documents older than Word 97 are not supported");
    }
    flags_ = le::u16(stream.data() + kOffFlags);
    if (flags_ & (kFlagEncrypted | kFlagObfuscated)) {
        fail(FailureKind::Encrypted, "The Word document is encrypted");
    }
    size_t offset = kOffCsw;
    const uint16_t csw = read16(offset, "the FIB");
    offset += 2 + 2u * csw;
    const uint16_t cslw = read16(offset, "the FIB");
    lw_ = offset + 2;
    lwCount_ = cslw;
    offset += 2 + 4u * cslw;
    const uint16_t pairs = read16(offset, "the FIB");
    fcLcb_ = offset + 2;
    fcLcbCount_ = pairs;
    if (fcLcb_ + 8u * pairs > stream.size()) {
        damaged("the FIB is cut short");
    }
    if (lwCount_ <= kLwCcpText || fcLcbCount_ <= kFcClx) {
        damaged("the FIB lacks the text's description");
    }
}

uint16_t Fib::read16(size_t offset, const char* what) const {
    if (offset + 2 > stream_.size()) {
        damaged(std::string(what) + " is cut short");
    }
    return le::u16(stream_.data() + offset);
}

} // namespace docconv::word
