// Sheets and charts beyond the converters' own calls: placing sheets by
// Before and After, names, deleted objects and chart title rules.
#include "WorkbookAutomationFixture.h"

#include <gtest/gtest.h>

using namespace sheaf;
using namespace sheaf::testing;

TEST_F(WorkbookAutomation, BeforeAndAfterPlaceNewSheets) {
    AutomationObject last = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::variant(sheetVariant()), V::int32(1), V::omitted()});
    last.put(DISPID_XL_NAME, V::string("Last"));
    AutomationObject first = worksheets.callObject(
        DISPID_XL_ADD, {V::variant(sheetVariant()), V::omitted(), V::int32(2), V::omitted()});
    EXPECT_EQ(worksheets.getInt32(DISPID_XL_COUNT), 4);
    EXPECT_EQ(sheetName(3), "Sheet1");
    EXPECT_EQ(sheetName(4), "Last");
    // The last sheet added is the active one: a new sheet lands before it.
    AutomationObject added = worksheets.callObject(DISPID_XL_ADD);
    EXPECT_EQ(sheetName(2), added.getString(DISPID_XL_NAME));
    AutomationObject byName = worksheets.getObject(DISPID_XL_ITEM, {V::string("last")});
    EXPECT_EQ(byName.getString(DISPID_XL_NAME), "Last");
    AutomationFailure taken = failureOf([&] { first.put(DISPID_XL_NAME, V::string("LAST")); });
    EXPECT_EQ(taken.kind(), AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(taken.description(), "Unable to set the Name property of the Worksheet class");
}

TEST_F(WorkbookAutomation, ADeletedSheetFailsCleanly) {
    AutomationObject extra = worksheets.callObject(DISPID_XL_ADD);
    AutomationObject range = extra.getObject(DISPID_XL_RANGE, {V::string("A1"), V::omitted()});
    extra.call(DISPID_XL_DELETE);
    AutomationFailure gone = failureOf([&] { extra.getString(DISPID_XL_NAME); });
    EXPECT_EQ(gone.kind(), AutomationFailure::Kind::Dispatch);
    AutomationFailure rangeGone = failureOf([&] { range.getVariant(DISPID_XL_VALUE2); });
    EXPECT_EQ(rangeGone.kind(), AutomationFailure::Kind::Dispatch);
}

TEST_F(WorkbookAutomation, ChartSheetsActivateDeleteAndGuardTheirTitle) {
    AutomationObject chart = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_CHART)});
    AutomationFailure noTitle = failureOf([&] { chart.getObject(DISPID_XL_CHART_TITLE); });
    EXPECT_EQ(noTitle.kind(), AutomationFailure::Kind::Dispatch);
    // Series formulas may separate their arguments with semicolons.
    AutomationObject series =
        chart.callObject(DISPID_XL_SERIES_COLLECTION).callObject(DISPID_XL_NEW_SERIES);
    series.put(DISPID_XL_FORMULA, V::string("=SERIES(;'Sheet1'!$A$2:$A$5;'Sheet1'!$B$2:$B$5;1)"));
    EXPECT_EQ(series.getString(DISPID_XL_FORMULA),
              "=SERIES(;'Sheet1'!$A$2:$A$5;'Sheet1'!$B$2:$B$5;1)");
    sheet.call(DISPID_XL_ACTIVATE);
    chart.call(DISPID_XL_ACTIVATE);
    chart.call(DISPID_XL_DELETE);
    EXPECT_EQ(workbook.getObject(DISPID_XL_CHARTS).getInt32(DISPID_XL_COUNT), 0);
}

TEST_F(WorkbookAutomation, SavingANewWorkbookNeedsAName) {
    AutomationFailure unnamed = failureOf([&] {
        workbook.call(DISPID_XL_CLOSE, {V::boolean(true), V::omitted(), V::omitted()});
    });
    EXPECT_EQ(unnamed.kind(), AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(workbooks.getInt32(DISPID_XL_COUNT), 1);
}
