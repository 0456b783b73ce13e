#include "Variant.h"

#include "ComError.h"

#include <cstring>
#include <memory>

namespace quire::com {

namespace {

// Keeps a SAFEARRAY's data locked for the lifetime of the object.
class ArrayLock {
public:
    explicit ArrayLock(SAFEARRAY* array) : array_(array) {
        check(SafeArrayAccessData(array_, &data_));
    }
    ArrayLock(const ArrayLock&) = delete;
    ArrayLock& operator=(const ArrayLock&) = delete;
    ~ArrayLock() { SafeArrayUnaccessData(array_); }
    uint8_t* data() const { return static_cast<uint8_t*>(data_); }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
};

struct SafeArrayDeleter {
    void operator()(SAFEARRAY* array) const { SafeArrayDestroy(array); }
};

} // namespace

void makeByteArray(std::span<const uint8_t> bytes, VARIANT* out) {
    // Owned until it is handed over: the lock may throw.
    std::unique_ptr<SAFEARRAY, SafeArrayDeleter> array(
        SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    if (!array) {
        throw ComError(E_OUTOFMEMORY);
    }
    if (!bytes.empty()) {
        ArrayLock lock(array.get());
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    VariantClear(out);
    out->vt = VT_ARRAY | VT_UI1;
    out->parray = array.release();
}

std::vector<uint8_t> readByteArray(const VARIANT& value) {
    if (value.vt != (VT_ARRAY | VT_UI1) || !value.parray || SafeArrayGetDim(value.parray) != 1) {
        throw ComError(DISP_E_TYPEMISMATCH);
    }
    LONG lower = 0;
    LONG upper = -1;
    check(SafeArrayGetLBound(value.parray, 1, &lower));
    check(SafeArrayGetUBound(value.parray, 1, &upper));
    std::vector<uint8_t> bytes(upper >= lower ? static_cast<size_t>(upper - lower) + 1 : 0);
    if (!bytes.empty()) {
        ArrayLock lock(value.parray);
        std::memcpy(bytes.data(), lock.data(), bytes.size());
    }
    return bytes;
}

} // namespace quire::com
