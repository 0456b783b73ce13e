#include "Bstr.h"

#include <new>

namespace quire::com {

namespace {

BSTR allocate(std::wstring_view text) {
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!s) {
        throw std::bad_alloc();
    }
    return s;
}

} // namespace

Bstr::Bstr(std::wstring_view text) : s_(allocate(text)) {}

void reassign(BSTR* target, std::wstring_view text) {
    if (!SysReAllocStringLen(target, text.data(), static_cast<UINT>(text.size()))) {
        throw std::bad_alloc();
    }
}

} // namespace quire::com
