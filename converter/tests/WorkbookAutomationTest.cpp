// The automation layer driving the spreadsheet application stand-in: every
// member the converters use, the argument kinds and the two failure kinds.
#include "WorkbookAutomationFixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace sheaf;
using namespace sheaf::testing;

TEST_F(WorkbookAutomation, ApplicationOptionsAndUserName) {
    app.put(DISPID_XL_DISPLAY_ALERTS, V::boolean(false));
    app.put(DISPID_XL_ASK_TO_UPDATE_LINKS, V::boolean(false));
    app.put(DISPID_XL_OPTION_3A2, V::boolean(false));
    EXPECT_FALSE(app.getBool(DISPID_XL_DISPLAY_ALERTS));
    EXPECT_FALSE(app.getString(DISPID_XL_USER_NAME).empty());
    // The workbook's application is the same object.
    AutomationObject owner = workbook.getObject(DISPID_XL_APPLICATION);
    EXPECT_FALSE(owner.getBool(DISPID_XL_ASK_TO_UPDATE_LINKS));
}

TEST_F(WorkbookAutomation, NewWorkbooksAndClosing) {
    EXPECT_EQ(worksheets.getInt32(DISPID_XL_COUNT), 1);
    // Add without a template (passed as omitted) gives the usual three sheets.
    AutomationObject plain = workbooks.callObject(DISPID_XL_ADD, {V::omitted()});
    EXPECT_EQ(plain.getObject(DISPID_XL_WORKSHEETS).getInt32(DISPID_XL_COUNT), 3);
    AutomationObject bare = workbooks.callObject(DISPID_XL_ADD);
    EXPECT_EQ(workbooks.getInt32(DISPID_XL_COUNT), 3);
    bare.call(DISPID_XL_CLOSE, {V::boolean(false), V::omitted(), V::omitted()});
    EXPECT_EQ(workbooks.getInt32(DISPID_XL_COUNT), 2);
    workbooks.call(DISPID_XL_CLOSE);
    EXPECT_EQ(workbooks.getInt32(DISPID_XL_COUNT), 0);
}

TEST_F(WorkbookAutomation, OpenAndSaveFailuresAreReportedAsTheApplicationDoes) {
    AutomationFailure missing = failureOf([&] {
        workbooks.callObject(DISPID_XL_OPEN, {V::string("C:\\no such folder\\Book1.xls")});
    });
    EXPECT_EQ(missing.kind(), AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(missing.code(), kApplicationError);
    EXPECT_NE(missing.description().find("Book1.xls"), std::string::npos);
    AutomationFailure unsaved = failureOf([&] {
        workbook.call(DISPID_XL_CLOSE, {V::boolean(true), V::string("C:\\no such folder\\out.xls"),
                                        V::boolean(false)});
    });
    EXPECT_EQ(unsaved.kind(), AutomationFailure::Kind::Dispatch);
    EXPECT_FALSE(unsaved.description().empty());
    // A failed save keeps the workbook open.
    EXPECT_EQ(workbooks.getInt32(DISPID_XL_COUNT), 1);
}

TEST_F(WorkbookAutomation, WorksheetsAddInsertsBeforeTheActiveSheetAndActivatesIt) {
    // The import's placeholder pattern: each new sheet goes before the
    // placeholder, which is activated again after every sheet.
    AutomationObject placeholder = worksheets.getObject(DISPID_XL_ITEM, {V::int32(1)});
    placeholder.put(DISPID_XL_NAME, V::string("~~~~~tmp~~~~~"));
    for (const char* name : {"First", "Second"}) {
        AutomationObject added = worksheets.callObject(
            DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_WORKSHEET)});
        added.put(DISPID_XL_NAME, V::string(name));
        placeholder.call(DISPID_XL_ACTIVATE);
    }
    AutomationObject chart = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_CHART)});
    EXPECT_EQ(chart.getInt32(DISPID_XL_TYPE), XL_CHART);
    EXPECT_EQ(sheetName(1), "First");
    EXPECT_EQ(sheetName(2), "Second");
    EXPECT_EQ(sheetName(3), "~~~~~tmp~~~~~");
    // Chart sheets are not worksheets.
    EXPECT_EQ(worksheets.getInt32(DISPID_XL_COUNT), 3);
    AutomationObject charts = workbook.getObject(DISPID_XL_CHARTS);
    EXPECT_EQ(charts.getInt32(DISPID_XL_COUNT), 1);
    EXPECT_EQ(charts.getObject(DISPID_XL_ITEM, {V::int32(1)}).getString(DISPID_XL_NAME),
              chart.getString(DISPID_XL_NAME));
    EXPECT_EQ(worksheets.getObject(DISPID_XL_ITEM, {V::int32(2)}).getInt32(DISPID_XL_TYPE),
              XL_WORKSHEET);
}

TEST_F(WorkbookAutomation, TheLastWorksheetCannotBeDeleted) {
    AutomationFailure failure = failureOf([&] { sheet.call(DISPID_XL_DELETE); });
    EXPECT_EQ(failure.kind(), AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(failure.code(), kApplicationError);
    EXPECT_EQ(failure.description(), "Delete method of Worksheet class failed");
    AutomationObject added = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_WORKSHEET)});
    added.call(DISPID_XL_DELETE);
    EXPECT_EQ(worksheets.getInt32(DISPID_XL_COUNT), 1);
}

TEST_F(WorkbookAutomation, ValuesComeBackByVariantTypeAndTrueIsMinusOne) {
    enter("A1", "00123");
    enter("A2", "abc");
    enter("A3", "TRUE");
    enter("A4", "=1/0");
    enter("A5", "=1+2");
    AutomationValue number = cell("A1").getVariant(DISPID_XL_VALUE2);
    ASSERT_EQ(number.type(), VT_R8);
    EXPECT_EQ(V_R8(&number.get()), 123);
    EXPECT_EQ(cell("A2").getVariant(DISPID_XL_VALUE2).type(), VT_BSTR);
    AutomationValue boolean = cell("A3").getVariant(DISPID_XL_VALUE2);
    ASSERT_EQ(boolean.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&boolean.get()), -1);
    AutomationValue error = cell("A4").getVariant(DISPID_XL_VALUE2);
    ASSERT_EQ(error.type(), VT_ERROR);
    EXPECT_EQ(static_cast<uint32_t>(V_ERROR(&error.get())), 0x800A07D7u);
    EXPECT_EQ(cell("A4").getVariant(DISPID_XL_TEXT).toString(), "#DIV/0!");
    EXPECT_EQ(cell("A9").getVariant(DISPID_XL_VALUE2).type(), VT_EMPTY);
    AutomationValue hasFormula = cell("A5").getVariant(DISPID_XL_HAS_FORMULA);
    ASSERT_EQ(hasFormula.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&hasFormula.get()), -1);
    EXPECT_FALSE(cell("A1").getVariant(DISPID_XL_HAS_FORMULA).toBool());
    EXPECT_EQ(cell("A5").getVariant(DISPID_XL_FORMULA).toString(), "=1+2");
    EXPECT_EQ(cell("A5").getVariant(DISPID_XL_VALUE2).toDouble(), 3);
    // Recalculated when a precedent changes.
    enter("B1", "2");
    enter("B2", "=B1*10");
    EXPECT_EQ(cell("B2").getVariant(DISPID_XL_VALUE2).toDouble(), 20);
    enter("B1", "5");
    EXPECT_EQ(cell("B2").getVariant(DISPID_XL_VALUE2).toDouble(), 50);
}

TEST_F(WorkbookAutomation, AFormulaEnteredIntoARectangleFillsItRelatively) {
    enter("A1", "1");
    enter("A2", "2");
    sheet.getObject(DISPID_XL_RANGE, {V::string("B1"), V::string("B2")})
        .put(DISPID_XL_FORMULA, V::string("=A1*$A$1*10"));
    EXPECT_EQ(cell("B2").getVariant(DISPID_XL_FORMULA).toString(), "=A2*$A$1*10");
    EXPECT_EQ(cell("B2").getVariant(DISPID_XL_VALUE2).toDouble(), 20);
}

TEST_F(WorkbookAutomation, UsedRangeShapeAndColumnWidth) {
    enter("C3", "1");
    enter("D4", "2");
    AutomationObject used = sheet.getObject(DISPID_XL_USED_RANGE);
    EXPECT_EQ(used.getInt32(DISPID_XL_COLUMN), 3);
    EXPECT_EQ(used.getInt32(DISPID_XL_ROW), 3);
    EXPECT_EQ(used.getObject(DISPID_XL_COLUMNS).getInt32(DISPID_XL_COUNT), 2);
    EXPECT_EQ(used.getObject(DISPID_XL_ROWS).getInt32(DISPID_XL_COUNT), 2);
    EXPECT_EQ(used.getInt32(DISPID_XL_COUNT), 4);
    AutomationObject wide = sheet.getObject(DISPID_XL_RANGE, {V::string("A1"), V::string("C1")});
    EXPECT_EQ(wide.getObject(DISPID_XL_COLUMNS).getInt32(DISPID_XL_COUNT), 3);
    EXPECT_EQ(cell("C1").getVariant(DISPID_XL_WIDTH).toDouble(), 48.0);
}

TEST_F(WorkbookAutomation, DirectPrecedentsAndTheirAddress) {
    enter("A1", "1");
    enter("B1", "2");
    enter("C1", "=A1+B1");
    enter("C2", "=1+2");
    AutomationObject precedents = cell("C1").getObject(DISPID_XL_DIRECT_PRECEDENTS);
    EXPECT_EQ(precedents.getString(
                  DISPID_XL_ADDRESS,
                  {V::int32(1), V::int32(1), V::int32(XL_REFERENCE_A1), V::int32(0), V::omitted()}),
              "$A$1:$B$1");
    EXPECT_EQ(precedents.getString(DISPID_XL_ADDRESS, {V::boolean(false), V::boolean(false)}),
              "A1:B1");
    AutomationFailure none = failureOf([&] { cell("C2").getObject(DISPID_XL_DIRECT_PRECEDENTS); });
    EXPECT_EQ(none.kind(), AutomationFailure::Kind::Dispatch);
    EXPECT_EQ(none.description(), "No cells were found.");
}

TEST_F(WorkbookAutomation, FontAlignmentAndNumberFormat) {
    enter("A1", "3");
    AutomationObject a1 = cell("A1");
    AutomationObject font = a1.getObject(DISPID_XL_FONT);
    EXPECT_EQ(font.getVariant(DISPID_XL_UNDERLINE).toInt32(), XL_UNDERLINE_NONE);
    font.put(DISPID_XL_BOLD, V::boolean(true));
    font.put(DISPID_XL_ITALIC, V::boolean(true));
    font.put(DISPID_XL_UNDERLINE, V::boolean(true));
    AutomationValue bold = cell("A1").getObject(DISPID_XL_FONT).getVariant(DISPID_XL_BOLD);
    ASSERT_EQ(bold.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&bold.get()), -1);
    EXPECT_TRUE(font.getVariant(DISPID_XL_ITALIC).toBool());
    EXPECT_NE(font.getVariant(DISPID_XL_UNDERLINE).toInt32(), XL_UNDERLINE_NONE);
    // A font outlives the range it came from: clients let the range go first.
    AutomationObject b2Font = cell("B2").getObject(DISPID_XL_FONT);
    b2Font.put(DISPID_XL_BOLD, V::boolean(true));
    EXPECT_TRUE(b2Font.getVariant(DISPID_XL_BOLD).toBool());
    EXPECT_TRUE(cell("B2").getObject(DISPID_XL_FONT).getVariant(DISPID_XL_BOLD).toBool());
    EXPECT_FALSE(cell("B1").getObject(DISPID_XL_FONT).getVariant(DISPID_XL_BOLD).toBool());
    a1.put(DISPID_XL_HORIZONTAL_ALIGNMENT, V::int32(XL_HALIGN_CENTER));
    EXPECT_EQ(a1.getVariant(DISPID_XL_HORIZONTAL_ALIGNMENT).toInt32(), XL_HALIGN_CENTER);
    EXPECT_EQ(cell("B1").getVariant(DISPID_XL_HORIZONTAL_ALIGNMENT).toInt32(), XL_HALIGN_GENERAL);
    EXPECT_EQ(a1.getVariant(DISPID_XL_NUMBER_FORMAT).toString(), "General");
    a1.put(DISPID_XL_NUMBER_FORMAT, V::string("0.00"));
    EXPECT_EQ(a1.getVariant(DISPID_XL_NUMBER_FORMAT).toString(), "0.00");
    EXPECT_EQ(a1.getVariant(DISPID_XL_TEXT).toString(), "3.00");
    // A value the application does not know is refused.
    AutomationFailure bad =
        failureOf([&] { a1.put(DISPID_XL_HORIZONTAL_ALIGNMENT, V::int32(12345)); });
    EXPECT_EQ(bad.kind(), AutomationFailure::Kind::Dispatch);
}

TEST_F(WorkbookAutomation, ChartSheetsTitlesTypesAndSeries) {
    AutomationObject chart = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_CHART)});
    chart.put(DISPID_XL_NAME, V::string("Sales"));
    EXPECT_EQ(chart.getString(DISPID_XL_NAME), "Sales");
    EXPECT_FALSE(chart.getBool(DISPID_XL_HAS_TITLE));
    chart.put(DISPID_XL_HAS_TITLE, V::boolean(true));
    AutomationObject title = chart.getObject(DISPID_XL_CHART_TITLE);
    title.put(DISPID_XL_CAPTION, V::string("Quarterly"));
    EXPECT_EQ(chart.getObject(DISPID_XL_CHART_TITLE).getString(DISPID_XL_CAPTION), "Quarterly");
    chart.put(DISPID_XL_CHART_TYPE, V::int32(-4100));
    EXPECT_EQ(chart.getInt32(DISPID_XL_CHART_TYPE), -4100);
    EXPECT_NE(chart.getInt32(DISPID_XL_PLOT_BY), XL_PLOT_BY_ROWS);

    AutomationObject series = chart.callObject(DISPID_XL_SERIES_COLLECTION);
    AutomationObject first = series.callObject(DISPID_XL_NEW_SERIES);
    AutomationObject second = series.callObject(DISPID_XL_NEW_SERIES);
    second.put(DISPID_XL_FORMULA, V::string("=SERIES(,Sheet1!$A$2:$A$5,Sheet1!$B$2:$B$5,1)"));
    first.call(DISPID_XL_DELETE);
    EXPECT_EQ(series.getInt32(DISPID_XL_COUNT), 1);
    EXPECT_EQ(series.callObject(DISPID_XL_ITEM, {V::int32(1)}).getString(DISPID_XL_FORMULA),
              "=SERIES(,Sheet1!$A$2:$A$5,Sheet1!$B$2:$B$5,1)");
    AutomationFailure bad =
        failureOf([&] { second.put(DISPID_XL_FORMULA, V::string("=SERIES(not a series")); });
    EXPECT_EQ(bad.kind(), AutomationFailure::Kind::Dispatch);
}

TEST_F(WorkbookAutomation, EmbeddedChartsThroughChartObjects) {
    AutomationObject none = sheet.callObject(DISPID_XL_CHART_OBJECTS);
    EXPECT_EQ(none.getInt32(DISPID_XL_COUNT), 0);
    // ChartObjects.Add (0xB5) places a chart on the sheet.
    none.callObject(DISPID_XL_ADD, {V::int32(0), V::int32(0), V::int32(200), V::int32(100)});
    AutomationObject objects = sheet.callObject(DISPID_XL_CHART_OBJECTS);
    ASSERT_EQ(objects.getInt32(DISPID_XL_COUNT), 1);
    AutomationObject chart =
        objects.callObject(DISPID_XL_ITEM, {V::int32(1)}).getObject(DISPID_XL_CHART);
    EXPECT_FALSE(chart.getString(DISPID_XL_NAME).empty());
    EXPECT_EQ(chart.callObject(DISPID_XL_SERIES_COLLECTION).getInt32(DISPID_XL_COUNT), 0);
}

TEST_F(WorkbookAutomation, StatusFailuresCarryTheCode) {
    AutomationFailure unknown = failureOf([&] { sheet.getVariant(0x7777); });
    EXPECT_EQ(unknown.kind(), AutomationFailure::Kind::Status);
    EXPECT_EQ(unknown.code(), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(unknown.description().empty());
    // A read-only member cannot be written.
    AutomationFailure readOnly = failureOf([&] { sheet.put(DISPID_XL_TYPE, V::int32(1)); });
    EXPECT_EQ(readOnly.kind(), AutomationFailure::Kind::Status);
    EXPECT_EQ(readOnly.code(), DISP_E_MEMBERNOTFOUND);
    AutomationFailure index =
        failureOf([&] { worksheets.getObject(DISPID_XL_ITEM, {V::int32(99)}); });
    EXPECT_EQ(index.kind(), AutomationFailure::Kind::Status);
    EXPECT_EQ(index.code(), DISP_E_BADINDEX);
    AutomationFailure mismatch =
        failureOf([&] { worksheets.getObject(DISPID_XL_ITEM, {V::string("no such sheet")}); });
    EXPECT_EQ(mismatch.kind(), AutomationFailure::Kind::Status);
}

TEST_F(WorkbookAutomation, TextsCrossInTheAnsiCodePage) {
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "the prefix's ANSI code page is UTF-8";
    std::string name = "Caf\xe9 \x80"; // e-acute and the euro sign in code page 1252
    sheet.put(DISPID_XL_NAME, V::string(name));
    EXPECT_EQ(sheet.getString(DISPID_XL_NAME), name);
    enter("A1", "=\"x\"&\"\xe9\"");
    EXPECT_EQ(cell("A1").getVariant(DISPID_XL_VALUE2).toString(), "x\xe9");
}

TEST(AutomationHandle, AttachDetachAndRelease) {
    AutomationObject app;
    ASSERT_TRUE(app.create(EXCEL_PROG_ID));
    IDispatch* raw = app.get();
    raw->AddRef();
    {
        AutomationObject borrowed;
        borrowed.attach(raw, false); // a caller's object: never released here
    }
    EXPECT_EQ(raw->AddRef(), 3u);
    raw->Release();
    IDispatch* detached = app.detach();
    EXPECT_EQ(detached, raw);
    EXPECT_FALSE(app);
    {
        AutomationObject owner;
        owner.attach(detached, true); // takes over the creation reference
    }
    EXPECT_EQ(raw->Release(), 0u);
    EXPECT_FALSE(AutomationObject().create("No.Such.Application"));
}

TEST_F(WorkbookAutomation, MemberNamesResolveToTheirDispids) {
    const wchar_t* names[] = {L"Workbooks", L"displayalerts"};
    for (int i = 0; i < 2; ++i) {
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        DISPID id = 0;
        ASSERT_EQ(app.get()->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, i == 0 ? DISPID_XL_WORKBOOKS : DISPID_XL_DISPLAY_ALERTS);
    }
    LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
    DISPID id = 0;
    EXPECT_EQ(app.get()->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(WorkbookAutomation, ASavedWorkbookOpensAgainWithItsCellsAndSheets) {
    sheet.put(DISPID_XL_NAME, V::string("Data"));
    enter("A1", "1.5");
    enter("B1", "=A1*2");
    enter("A2", "text");
    cell("A1").put(DISPID_XL_NUMBER_FORMAT, V::string("0.00"));
    cell("A2").getObject(DISPID_XL_FONT).put(DISPID_XL_BOLD, V::boolean(true));
    cell("A2").put(DISPID_XL_HORIZONTAL_ALIGNMENT, V::int32(XL_HALIGN_CENTER));
    worksheets.callObject(DISPID_XL_ADD,
                          {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_WORKSHEET)});

    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    std::string path =
        std::string(folder) + "automation-" + std::to_string(GetCurrentProcessId()) + ".xls";
    workbook.call(DISPID_XL_CLOSE, {V::boolean(true), V::string(path), V::boolean(false)});
    EXPECT_EQ(workbooks.getInt32(DISPID_XL_COUNT), 0);

    AutomationObject opened = workbooks.callObject(DISPID_XL_OPEN, {V::string(path)});
    DeleteFileA(path.c_str());
    ASSERT_TRUE(opened);
    worksheets = opened.getObject(DISPID_XL_WORKSHEETS);
    ASSERT_EQ(worksheets.getInt32(DISPID_XL_COUNT), 2);
    EXPECT_EQ(sheetName(2), "Data");
    sheet = worksheets.getObject(DISPID_XL_ITEM, {V::int32(2)});
    EXPECT_EQ(cell("A1").getVariant(DISPID_XL_VALUE2).toDouble(), 1.5);
    EXPECT_EQ(cell("A1").getVariant(DISPID_XL_TEXT).toString(), "1.50");
    EXPECT_EQ(cell("B1").getVariant(DISPID_XL_FORMULA).toString(), "=A1*2");
    EXPECT_EQ(cell("B1").getVariant(DISPID_XL_VALUE2).toDouble(), 3);
    EXPECT_EQ(cell("A2").getVariant(DISPID_XL_VALUE2).toString(), "text");
    EXPECT_TRUE(cell("A2").getObject(DISPID_XL_FONT).getVariant(DISPID_XL_BOLD).toBool());
    EXPECT_EQ(cell("A2").getVariant(DISPID_XL_HORIZONTAL_ALIGNMENT).toInt32(), XL_HALIGN_CENTER);
}

TEST(AutomationArguments, KindsHaveTheApplicationsVariantForms) {
    AutomationValue yes = AutomationValue::boolean(true);
    ASSERT_EQ(V_VT(&yes.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(&yes.get()), -1);
    AutomationValue omitted = AutomationValue::omitted();
    ASSERT_EQ(V_VT(&omitted.get()), VT_ERROR);
    EXPECT_EQ(V_ERROR(&omitted.get()), DISP_E_PARAMNOTFOUND);
    AutomationValue number = AutomationValue::int32(-4167);
    ASSERT_EQ(V_VT(&number.get()), VT_I4);
    EXPECT_EQ(V_I4(&number.get()), -4167);
    AutomationValue text = AutomationValue::string("Sheet1");
    ASSERT_EQ(V_VT(&text.get()), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(&text.get())), L"Sheet1");
    EXPECT_EQ(AutomationObject::localeFor(DISPID_XL_NUMBER_FORMAT), 1033u);
    EXPECT_EQ(AutomationObject::localeFor(DISPID_XL_FORMULA), 0u);
}
