// Range members beyond what the converters need day to day: addresses in
// every style, rectangles, mixed values and writes of every kind.
#include "WorkbookAutomationFixture.h"

#include <gtest/gtest.h>

using namespace sheaf;
using namespace sheaf::testing;

TEST_F(WorkbookAutomation, AddressStyles) {
    AutomationObject area = sheet.getObject(DISPID_XL_RANGE, {V::string("B2"), V::string("C4")});
    EXPECT_EQ(area.getString(DISPID_XL_ADDRESS), "$B$2:$C$4");
    EXPECT_EQ(area.getString(DISPID_XL_ADDRESS, {V::boolean(true), V::boolean(false)}), "B$2:C$4");
    EXPECT_EQ(
        area.getString(DISPID_XL_ADDRESS, {V::boolean(true), V::boolean(true), V::int32(-4150)}),
        "R2C2:R4C3");
    EXPECT_EQ(area.getString(DISPID_XL_ADDRESS, {V::omitted(), V::omitted(),
                                                 V::int32(XL_REFERENCE_A1), V::boolean(true)}),
              "[Book1]Sheet1!$B$2:$C$4");
    AutomationObject column = sheet.getObject(DISPID_XL_RANGE, {V::string("D:D"), V::omitted()});
    EXPECT_EQ(column.getString(DISPID_XL_ADDRESS), "$D:$D");
    AutomationObject twoAreas =
        sheet.getObject(DISPID_XL_RANGE, {V::string("A1,C3:D4"), V::omitted()});
    EXPECT_EQ(twoAreas.getString(DISPID_XL_ADDRESS), "$A$1,$C$3:$D$4");
    EXPECT_EQ(twoAreas.getInt32(DISPID_XL_COUNT), 5);
    AutomationFailure bad = failureOf([&] {
        sheet.getObject(DISPID_XL_RANGE, {V::string("not an address"), V::omitted()});
    });
    EXPECT_EQ(bad.kind(), AutomationFailure::Kind::Dispatch);
}

TEST_F(WorkbookAutomation, RectanglesReadAsArraysAndMixedPropertiesAsNull) {
    enter("A1", "1");
    enter("B1", "x");
    enter("A2", "=A1+1");
    AutomationObject area = sheet.getObject(DISPID_XL_RANGE, {V::string("A1"), V::string("B2")});
    AutomationValue values = area.getVariant(DISPID_XL_VALUE2);
    ASSERT_EQ(V_VT(&values.get()), VT_ARRAY | VT_VARIANT);
    SAFEARRAY* array = V_ARRAY(&values.get());
    ASSERT_EQ(SafeArrayGetDim(array), 2u);
    LONG index[2] = {2, 1};
    VARIANT element;
    VariantInit(&element);
    ASSERT_EQ(SafeArrayGetElement(array, index, &element), S_OK);
    EXPECT_EQ(V_VT(&element), VT_R8);
    EXPECT_EQ(V_R8(&element), 2);
    VariantClear(&element);
    EXPECT_EQ(area.getVariant(DISPID_XL_HAS_FORMULA).type(), VT_NULL);
    cell("A1").getObject(DISPID_XL_FONT).put(DISPID_XL_BOLD, V::boolean(true));
    EXPECT_EQ(area.getObject(DISPID_XL_FONT).getVariant(DISPID_XL_BOLD).type(), VT_NULL);
    area.put(DISPID_XL_NUMBER_FORMAT, V::string("0.0"));
    EXPECT_EQ(area.getVariant(DISPID_XL_NUMBER_FORMAT).toString(), "0.0");
}

TEST_F(WorkbookAutomation, WritesOfEveryKind) {
    AutomationObject a1 = cell("A1");
    VARIANT number;
    V_VT(&number) = VT_R8;
    V_R8(&number) = 2.5;
    a1.put(DISPID_XL_VALUE2, V::variant(number));
    EXPECT_EQ(a1.getVariant(DISPID_XL_VALUE2).toDouble(), 2.5);
    EXPECT_EQ(a1.getVariant(DISPID_XL_FORMULA).toString(), "2.5");
    a1.put(DISPID_XL_FORMULA, V::string("'00123"));
    EXPECT_EQ(a1.getVariant(DISPID_XL_VALUE2).toString(), "00123");
    a1.put(DISPID_XL_FORMULA, V::string("#N/A"));
    EXPECT_EQ(a1.getVariant(DISPID_XL_VALUE2).type(), VT_ERROR);
    a1.put(DISPID_XL_FORMULA, V::string("12.5%"));
    EXPECT_EQ(a1.getVariant(DISPID_XL_VALUE2).toDouble(), 0.125);
    EXPECT_EQ(a1.getVariant(DISPID_XL_TEXT).toString(), "13%");
    a1.put(DISPID_XL_FORMULA, V::string(""));
    EXPECT_EQ(a1.getVariant(DISPID_XL_VALUE2).type(), VT_EMPTY);
    AutomationFailure broken = failureOf([&] { a1.put(DISPID_XL_FORMULA, V::string("=1+")); });
    EXPECT_EQ(broken.kind(), AutomationFailure::Kind::Dispatch);
    AutomationFailure underline =
        failureOf([&] { a1.getObject(DISPID_XL_FONT).put(DISPID_XL_UNDERLINE, V::int32(99)); });
    EXPECT_EQ(underline.kind(), AutomationFailure::Kind::Dispatch);
}

TEST_F(WorkbookAutomation, ColumnsAndRowsCountTheirLines) {
    AutomationObject area = sheet.getObject(DISPID_XL_RANGE, {V::string("B2:D7"), V::omitted()});
    EXPECT_EQ(area.getObject(DISPID_XL_ROWS).getInt32(DISPID_XL_COUNT), 6);
    EXPECT_EQ(area.getObject(DISPID_XL_COLUMNS).getInt32(DISPID_XL_COUNT), 3);
    EXPECT_EQ(area.getInt32(DISPID_XL_COUNT), 18);
    EXPECT_EQ(area.getVariant(DISPID_XL_WIDTH).toDouble(), 3 * 48.0);
    EXPECT_EQ(area.getObject(DISPID_XL_ROWS).getInt32(DISPID_XL_ROW), 2);
}
