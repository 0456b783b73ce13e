#include "ConversionTestSupport.h"

namespace sheaf::testing {
namespace {

std::vector<std::pair<int32_t, std::string>> g_reports;
std::string g_stopAt;

} // namespace

void ProgressLog::start(std::string stopAt) {
    g_reports.clear();
    g_stopAt = std::move(stopAt);
}

const std::vector<std::pair<int32_t, std::string>>& ProgressLog::reports() {
    return g_reports;
}

std::vector<std::string> ProgressLog::texts() {
    std::vector<std::string> texts;
    for (const auto& [position, text] : g_reports) {
        texts.push_back(text);
    }
    return texts;
}

int32_t __stdcall ProgressLog::callback(int32_t position, const char* text, void* reserved) {
    EXPECT_EQ(reserved, nullptr);
    g_reports.emplace_back(position, text ? text : "");
    return !g_stopAt.empty() && g_reports.back().second == g_stopAt ? 0 : 1;
}

ScratchFolder::ScratchFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::string(base) + "sheafconv-" + std::to_string(GetCurrentProcessId()) + "-" +
              test->test_suite_name() + "-" + test->name();
    CreateDirectoryA(folder_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder_ + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((folder_ + "\\" + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder_.c_str());
}

bool ScratchFolder::exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

WorkbookSession::WorkbookSession() {
    EXPECT_TRUE(application.create(EXCEL_PROG_ID));
    workbooks = application.getObject(DISPID_XL_WORKBOOKS);
    workbook = workbooks.callObject(DISPID_XL_ADD, {V::int32(XL_WORKSHEET)});
    worksheets = workbook.getObject(DISPID_XL_WORKSHEETS);
}

WorkbookSession::~WorkbookSession() {
    if (application) {
        application.call(DISPID_XL_QUIT);
    }
}

AutomationObject WorkbookSession::worksheet(int32_t index) const {
    return worksheets.getObject(DISPID_XL_ITEM, {V::int32(index)});
}

// Like every new sheet, it goes before the active sheet and becomes active.
AutomationObject WorkbookSession::addWorksheet(const char* name) const {
    AutomationObject sheet = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_WORKSHEET)});
    sheet.put(DISPID_XL_NAME, V::string(name));
    return sheet;
}

AutomationObject WorkbookSession::addChartSheet(const char* name) const {
    AutomationObject chart = worksheets.callObject(
        DISPID_XL_ADD, {V::omitted(), V::omitted(), V::int32(1), V::int32(XL_CHART)});
    chart.put(DISPID_XL_NAME, V::string(name));
    return chart;
}

AutomationObject WorkbookSession::cell(const AutomationObject& sheet, const char* address) const {
    return sheet.getObject(DISPID_XL_RANGE, {V::string(address), V::omitted()});
}

void WorkbookSession::enter(const AutomationObject& sheet, const char* address,
                            const char* text) const {
    cell(sheet, address).put(DISPID_XL_FORMULA, V::string(text));
}

void WorkbookSession::addSeries(const AutomationObject& chart,
                                std::initializer_list<const char*> formulas) {
    const AutomationObject collection = chart.callObject(DISPID_XL_SERIES_COLLECTION);
    for (const char* formula : formulas) {
        collection.callObject(DISPID_XL_NEW_SERIES).put(DISPID_XL_FORMULA, V::string(formula));
    }
}

} // namespace sheaf::testing
