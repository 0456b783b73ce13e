// How a call reaches the dispatch interface: arguments last to first, however
// many there are, and a property put with its one named argument.
#include "AutomationObject.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sheaf;

namespace {

// Records what the last Invoke received.
class RecordingDispatch : public IDispatch {
public:
    std::vector<int32_t> received; // the integer arguments as they arrived
    std::vector<DISPID> named;
    WORD flags = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD how, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        flags = how;
        received.clear();
        for (UINT i = 0; i < params->cArgs; ++i)
            received.push_back(V_I4(&params->rgvarg[i]));
        named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        if (result) {
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<int32_t>(params->cArgs);
        }
        return S_OK;
    }
};

AutomationValue number(int32_t value) {
    return AutomationValue::int32(value);
}

} // namespace

TEST(AutomationCall, ArgumentsGoLastToFirstHoweverManyThereAre) {
    RecordingDispatch recorder;
    AutomationObject object;
    object.attach(&recorder, false);

    EXPECT_EQ(object.call(7).toInt32(), 0);
    EXPECT_TRUE(recorder.received.empty());

    EXPECT_EQ(object.call(7, {number(1), number(2), number(3)}).toInt32(), 3);
    EXPECT_EQ(recorder.received, (std::vector<int32_t>{3, 2, 1}));

    EXPECT_EQ(object.call(7, {number(1), number(2), number(3), number(4), number(5), number(6)})
                  .toInt32(),
              6);
    EXPECT_EQ(recorder.received, (std::vector<int32_t>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(recorder.flags, DISPATCH_METHOD);
    EXPECT_TRUE(recorder.named.empty());
}

TEST(AutomationCall, PutNamesItsValue) {
    RecordingDispatch recorder;
    AutomationObject object;
    object.attach(&recorder, false);
    object.put(9, number(42));
    EXPECT_EQ(recorder.flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(recorder.received, (std::vector<int32_t>{42}));
    EXPECT_EQ(recorder.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
}
