#pragma once

#include "AutomationObject.h"
#include "WorkbookMembers.h"

#include <gtest/gtest.h>

#include <string>

namespace sheaf::testing {

using V = AutomationValue;

// The application's own failure code for a member that cannot do its work.
inline constexpr HRESULT kApplicationError = static_cast<HRESULT>(0x800A03EC);

// A fresh application with one workbook of one worksheet, reached only
// through the automation layer.
class WorkbookAutomation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.create(EXCEL_PROG_ID));
        workbooks = app.getObject(DISPID_XL_WORKBOOKS);
        ASSERT_TRUE(workbooks);
        workbook = workbooks.callObject(DISPID_XL_ADD, {V::int32(XL_WORKSHEET)});
        ASSERT_TRUE(workbook);
        worksheets = workbook.getObject(DISPID_XL_WORKSHEETS);
        sheet = worksheets.getObject(DISPID_XL_ITEM, {V::int32(1)});
    }
    void TearDown() override {
        if (app)
            app.call(DISPID_XL_QUIT);
    }

    AutomationObject cell(const char* address) const {
        return sheet.getObject(DISPID_XL_RANGE, {V::string(address), V::omitted()});
    }
    void enter(const char* address, const char* text) const {
        cell(address).put(DISPID_XL_FORMULA, V::string(text));
    }
    std::string sheetName(int32_t index) const {
        return worksheets.getObject(DISPID_XL_ITEM, {V::int32(index)}).getString(DISPID_XL_NAME);
    }

    // The first worksheet as an object argument (Before, After).
    VARIANT sheetVariant() const {
        VARIANT v;
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = sheet.get();
        return v;
    }

    // Runs a call that must fail and hands back the failure.
    template <typename Call> static AutomationFailure failureOf(Call call) {
        try {
            call();
        } catch (const AutomationFailure& failure) {
            return failure;
        }
        ADD_FAILURE() << "the call did not fail";
        return AutomationFailure::status(S_OK);
    }

    AutomationObject app, workbooks, workbook, worksheets, sheet;
};

} // namespace sheaf::testing
