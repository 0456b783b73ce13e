// Defined names and array formulas through the stand-in's automation server:
// the members a workbook is built with, what the Formula property shows and
// what a saved workbook keeps.
#include "WorkbookAutomationFixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace sheaf;
using namespace sheaf::testing;

namespace {

// Members beyond the converters' own table.
enum : DISPID {
    DISPID_HAS_ARRAY = 0x10A,
    DISPID_FORMULA_ARRAY = 0x24A,
    DISPID_NAMES = 0x1BA,
    DISPID_REFERS_TO = 0x3A8,
};

class NamesArraysAutomation : public WorkbookAutomation {
protected:
    void fillData() {
        enter("A1", "0.25");
        for (int r = 2; r <= 6; ++r) {
            enter(("B" + std::to_string(r)).c_str(), std::to_string(r - 1).c_str());
            enter(("C" + std::to_string(r)).c_str(), std::to_string((r - 1) * 10).c_str());
        }
    }
    AutomationObject names() const { return workbook.getObject(DISPID_NAMES); }
    AutomationObject area(const char* first, const char* last) const {
        return sheet.getObject(DISPID_XL_RANGE, {V::string(first), V::string(last)});
    }
    double value(const char* address) const {
        return cell(address).getVariant(DISPID_XL_VALUE2).toDouble();
    }
};

} // namespace

TEST_F(NamesArraysAutomation, NamesAreAddedFoundRedefinedAndDeleted) {
    fillData();
    names().callObject(DISPID_XL_ADD, {V::string("Rate"), V::string("=Sheet1!$A$1")});
    names().callObject(DISPID_XL_ADD, {V::string("Sheet1!Rate"), V::string("=4")});
    enter("E1", "=Rate*C3");
    EXPECT_EQ(cell("E1").getVariant(DISPID_XL_FORMULA).toString(), "=Rate*C3");
    EXPECT_EQ(value("E1"), 80) << "the sheet's own Rate";

    EXPECT_EQ(names().getInt32(DISPID_XL_COUNT), 2);
    AutomationObject local = names().getObject(DISPID_XL_ITEM, {V::string("Sheet1!Rate")});
    EXPECT_EQ(local.getString(DISPID_XL_NAME), "Sheet1!Rate");
    local.call(DISPID_XL_DELETE);
    EXPECT_EQ(value("E1"), 5) << "the workbook's Rate again";
    AutomationObject global = names().getObject(DISPID_XL_ITEM, {V::int32(1)});
    EXPECT_EQ(global.getString(DISPID_REFERS_TO), "=Sheet1!$A$1");
    global.put(DISPID_REFERS_TO, V::string("=10"));
    EXPECT_EQ(value("E1"), 200);
    global.call(DISPID_XL_DELETE);
    EXPECT_EQ(cell("E1").getVariant(DISPID_XL_VALUE2).type(), VT_ERROR);

    EXPECT_EQ(failureOf([&] {
                  names().callObject(DISPID_XL_ADD, {V::string("B7"), V::string("=1")});
              }).kind(),
              AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(failureOf([&] {
                  names().callObject(DISPID_XL_ADD, {V::string("Nowhere!X"), V::string("=1")});
              }).kind(),
              AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(names().getInt32(DISPID_XL_COUNT), 0);
}

TEST_F(NamesArraysAutomation, ArrayFormulasShowTheirTextInEveryCell) {
    fillData();
    area("D2", "D6").put(DISPID_FORMULA_ARRAY, V::string("=B2:B6*C2:C6"));
    cell("D8").put(DISPID_FORMULA_ARRAY, V::string("=SUM(B2:B6*C2:C6)"));
    EXPECT_EQ(value("D2"), 10);
    EXPECT_EQ(value("D4"), 90);
    EXPECT_EQ(value("D8"), 550);
    for (const char* address : {"D2", "D5"}) {
        EXPECT_EQ(cell(address).getVariant(DISPID_XL_FORMULA).toString(), "=B2:B6*C2:C6");
        EXPECT_EQ(cell(address).getVariant(DISPID_FORMULA_ARRAY).toString(), "=B2:B6*C2:C6");
        EXPECT_TRUE(cell(address).getVariant(DISPID_HAS_ARRAY).toBool());
        EXPECT_TRUE(cell(address).getVariant(DISPID_XL_HAS_FORMULA).toBool());
    }
    EXPECT_TRUE(area("D2", "D6").getVariant(DISPID_HAS_ARRAY).toBool());
    EXPECT_FALSE(cell("B2").getVariant(DISPID_HAS_ARRAY).toBool());
    // The same text through Formula is an ordinary formula of its own.
    enter("F8", "=SUM(B2:B6*C2:C6)");
    EXPECT_FALSE(cell("F8").getVariant(DISPID_HAS_ARRAY).toBool());
    EXPECT_EQ(cell("F8").getVariant(DISPID_XL_VALUE2).type(), VT_ERROR);
}

TEST_F(NamesArraysAutomation, ASavedWorkbookKeepsItsNamesAndArrays) {
    fillData();
    names().callObject(DISPID_XL_ADD, {V::string("Rate"), V::string("=Sheet1!$A$1")});
    enter("E1", "=Rate*C3");
    area("D2", "D6").put(DISPID_FORMULA_ARRAY, V::string("=B2:B6*C2:C6"));

    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path =
        std::string(folder) + "names-arrays-" + std::to_string(GetCurrentProcessId()) + ".xls";
    workbook.call(DISPID_XL_CLOSE, {V::boolean(true), V::string(path), V::boolean(false)});
    workbook = workbooks.callObject(DISPID_XL_OPEN, {V::string(path)});
    DeleteFileA(path.c_str());
    ASSERT_TRUE(workbook);
    sheet = workbook.getObject(DISPID_XL_WORKSHEETS).getObject(DISPID_XL_ITEM, {V::int32(1)});

    EXPECT_EQ(names().getInt32(DISPID_XL_COUNT), 1);
    EXPECT_EQ(cell("E1").getVariant(DISPID_XL_FORMULA).toString(), "=Rate*C3");
    EXPECT_EQ(value("E1"), 5);
    EXPECT_TRUE(cell("D6").getVariant(DISPID_HAS_ARRAY).toBool());
    EXPECT_EQ(value("D6"), 250);
}
