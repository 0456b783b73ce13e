#include "ComError.h"

#include "ComPtr.h"

#include <oleauto.h>

namespace quire::com {

namespace {

std::wstring takeErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    BSTR text = nullptr;
    std::wstring description;
    if (SUCCEEDED(info->GetDescription(&text)) && text) {
        description.assign(text, SysStringLen(text));
    }
    SysFreeString(text);
    return description;
}

} // namespace

void check(HRESULT hr) {
    if (FAILED(hr)) {
        throw ComError(hr, takeErrorDescription());
    }
}

HRESULT reportError(HRESULT hr, const std::wstring& description) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        if (ComPtr<IErrorInfo> info = create.query<IErrorInfo>()) {
            SetErrorInfo(0, info.get());
        }
    }
    return hr;
}

} // namespace quire::com
