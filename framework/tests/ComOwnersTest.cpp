#include "com/Bstr.h"
#include "com/ComError.h"
#include "com/ComPtr.h"
#include "com/Variant.h"

#include <gtest/gtest.h>

namespace quire::com {
namespace {

// An object that counts its references.
class Counted : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};

TEST(ComPtrTest, BorrowingAddsAReferenceAndAttachingDoesNot) {
    Counted object;
    {
        ComPtr<IUnknown> borrowed(&object);
        EXPECT_EQ(object.references, 2u);
        ComPtr<IUnknown> copy = borrowed;
        EXPECT_EQ(object.references, 3u);
        ComPtr<IUnknown> moved(std::move(copy));
        EXPECT_FALSE(copy);
        EXPECT_EQ(object.references, 3u);
        object.AddRef();
        ComPtr<IUnknown> adopted = ComPtr<IUnknown>::attach(&object);
        EXPECT_EQ(object.references, 4u);
        EXPECT_EQ(adopted.query<IUnknown>().get(), &object);
        EXPECT_FALSE(adopted.query<IDispatch>());
        EXPECT_EQ(object.references, 4u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(ComPtrTest, PutDropsWhatWasHeld) {
    Counted object;
    ComPtr<IUnknown> held(&object);
    IUnknown** slot = held.put();
    EXPECT_EQ(*slot, nullptr);
    EXPECT_EQ(object.references, 1u);
}

TEST(BstrTest, HoldsEmbeddedZerosAndReassignsInPlace) {
    const std::wstring text(L"a\0b", 3);
    Bstr held(text);
    EXPECT_EQ(SysStringLen(held.get()), 3u);
    EXPECT_EQ(held.str(), text);
    BSTR caller = SysAllocString(L"old text");
    reassign(&caller, L"new");
    EXPECT_EQ(std::wstring(caller, SysStringLen(caller)), L"new");
    SysFreeString(caller);
    EXPECT_EQ(Bstr().str(), L"");
}

TEST(VariantTest, ByteArraysGoBothWays) {
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{0, 255, 7},
          std::vector<uint8_t>(70000, 9)}) {
        Variant value;
        makeByteArray(bytes, value.get());
        ASSERT_EQ(value.ref().vt, VT_ARRAY | VT_UI1);
        LONG lower = -1;
        SafeArrayGetLBound(value.ref().parray, 1, &lower);
        EXPECT_EQ(lower, 0);
        EXPECT_EQ(readByteArray(value.ref()), bytes);
    }
}

TEST(VariantTest, OtherTypesAreRefused) {
    Variant number(5);
    EXPECT_THROW(readByteArray(number.ref()), ComError);
    Variant words;
    words.get()->vt = VT_ARRAY | VT_I2;
    words.get()->parray = SafeArrayCreateVector(VT_I2, 0, 2);
    EXPECT_THROW(readByteArray(words.ref()), ComError);
}

} // namespace
} // namespace quire::com
