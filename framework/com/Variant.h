#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <span>
#include <vector>

namespace quire::com {

// Owns one VARIANT and clears it once.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    explicit Variant(LONG value) : Variant() {
        v_.vt = VT_I4;
        v_.lVal = value;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    VARIANT* get() { return &v_; }
    const VARIANT& ref() const { return v_; }
    // For out parameters: clears what is held and hands out the slot.
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// A one-dimensional array of unsigned bytes with lower bound 0, the form of
// every handheld field value.  Throws ComError when no array can be made.
void makeByteArray(std::span<const uint8_t> bytes, VARIANT* out);

// The bytes of a VT_ARRAY | VT_UI1 value; throws ComError for any other type.
std::vector<uint8_t> readByteArray(const VARIANT& value);

} // namespace quire::com
