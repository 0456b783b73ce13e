// Application, Workbooks and Workbook.
#include "Objects.h"

#include "WorkbookFileFormat.h"

#include <algorithm>

namespace spreadsheet::automation {

namespace {

constexpr int32_t kTemplateWorksheet = -4167;
constexpr int32_t kTemplateChart = -4109;
// A new workbook without a template has this many worksheets.
constexpr int kSheetsInNewWorkbook = 3;

std::string currentUserName() {
    wchar_t name[256];
    DWORD size = 256;
    if (!GetUserNameW(name, &size) || size == 0)
        return "User";
    return toUtf8(name, size - 1);
}

class ApplicationObject : public DispatchObject {
public:
    ApplicationObject() : state_(std::make_shared<ApplicationState>()) {
        state_->userName = currentUserName();
        state_->applicationObject = this;
    }
    ~ApplicationObject() override { state_->applicationObject = nullptr; }

protected:
    void invoke(DISPID id, Invocation& call) override {
        switch (id) {
        case 0x23C: // Workbooks
            call.setObject(newWorkbooks(state_));
            return;
        case 0x157: // DisplayAlerts
            return flag(call, state_->displayAlerts);
        case 0x3E0: // AskToUpdateLinks
            return flag(call, state_->askToUpdateLinks);
        case 0x3A2:
            return flag(call, state_->option3A2);
        case 0x187: // UserName
            if (call.isPut())
                state_->userName = call.putString();
            else
                call.setString(state_->userName);
            return;
        case 0x12E: // Quit
            state_->workbooks.clear();
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Workbooks", 0x23C},
                                           {L"DisplayAlerts", 0x157, true},
                                           {L"AskToUpdateLinks", 0x3E0, true},
                                           {nullptr, 0x3A2, true},
                                           {L"UserName", 0x187, true},
                                           {L"Quit", 0x12E}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Application"; }

private:
    static void flag(Invocation& call, bool& value) {
        if (call.isPut())
            value = call.putBool();
        else
            call.setBool(value);
    }

    std::shared_ptr<ApplicationState> state_;
};

std::wstring fileNameOf(const std::filesystem::path& path) {
    return path.filename().wstring();
}

class WorkbooksObject : public DispatchObject {
public:
    explicit WorkbooksObject(std::shared_ptr<ApplicationState> app) : app_(std::move(app)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        switch (id) {
        case 0xB5:
            return add(call);
        case 0x2AA:
            return open(call);
        case 0x115: // Close: every workbook, unsaved (alerts are the caller's business)
            app_->workbooks.clear();
            return;
        case 0x76:
            call.setInt(static_cast<int32_t>(app_->workbooks.size()));
            return;
        case 0xAA:
        case DISPID_VALUE:
            return item(call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Add", 0xB5},    {L"Open", 0x2AA},
                                           {L"Close", 0x115}, {L"Count", 0x76},
                                           {L"Item", 0xAA},   {nullptr, DISPID_VALUE}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Workbooks"; }

private:
    void add(Invocation& call) {
        const VARIANT* templateArg = call.arg(0);
        int32_t kind = 0;
        if (templateArg) {
            kind = variantToInt(*templateArg, 0);
            if (kind != kTemplateWorksheet && kind != kTemplateChart)
                failMethod(L"Add", className());
        }
        auto book = app_->newWorkbook();
        if (kind == kTemplateChart) {
            book->book.insertSheet(0, SheetType::Chart);
        } else {
            int sheets = kind == kTemplateWorksheet ? 1 : kSheetsInNewWorkbook;
            for (int i = 0; i < sheets; ++i)
                book->book.insertSheet(book->book.sheetCount(), SheetType::Worksheet);
        }
        book->book.activate(0);
        call.setObject(newWorkbook(app_, book));
    }

    void open(Invocation& call) {
        std::string name = call.stringArg(0);
        std::filesystem::path path(toWide(name));
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            failWith(L"'" + toWide(name) +
                     L"' could not be found. Check the spelling of the file name, and verify "
                     L"that the file location is correct.");
        const WorkbookFileFormat* format = workbookFileFormatFor(path);
        auto book = std::make_shared<WorkbookState>(
            toUtf8(fileNameOf(path).c_str(), fileNameOf(path).size()));
        std::string error;
        if (!format)
            failWith(L"'" + fileNameOf(path) +
                     L"' cannot be opened: the file format is not recognised.");
        if (!format->open(path, book->book, error) || book->book.worksheetCount() == 0)
            failWith(L"'" + fileNameOf(path) + L"' cannot be opened. " +
                     toWide(error.empty() ? "The file is damaged." : error));
        book->path = path;
        book->book.activate(
            std::clamp(book->book.activeSheetIndex(), 0, book->book.sheetCount() - 1));
        app_->workbooks.push_back(book);
        call.setObject(newWorkbook(app_, book));
    }

    void item(Invocation& call) {
        int32_t index = call.intArg(0, 0);
        if (index < 1 || index > static_cast<int32_t>(app_->workbooks.size()))
            throw StatusFailure{DISP_E_BADINDEX};
        call.setObject(newWorkbook(app_, app_->workbooks[index - 1]));
    }

    std::shared_ptr<ApplicationState> app_;
};

class WorkbookObject : public DispatchObject {
public:
    WorkbookObject(std::shared_ptr<ApplicationState> app, std::shared_ptr<WorkbookState> book)
        : app_(std::move(app)), book_(std::move(book)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        switch (id) {
        case 0x94: // Application
            if (!app_->applicationObject)
                failGet(L"Application", className());
            app_->applicationObject->AddRef();
            call.setObject(app_->applicationObject);
            return;
        case 0x1E5:
            call.setObject(newSheets(book_, SheetsKind::Worksheets));
            return;
        case 0x79:
            call.setObject(newSheets(book_, SheetsKind::Charts));
            return;
        case 0x1BA: // Names
            call.setObject(newNames(book_));
            return;
        case 0x6E:
            call.setString(book_->book.name());
            return;
        case 0x115:
            return close(call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Application", 0x94}, {L"Worksheets", 0x1E5},
                                           {L"Charts", 0x79},      {L"Names", 0x1BA},
                                           {L"Name", 0x6E},        {L"Close", 0x115}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Workbook"; }

private:
    // Close(SaveChanges, Filename, RouteWorkbook).
    void close(Invocation& call) {
        bool save = call.boolArg(0, false);
        if (save) {
            std::filesystem::path path = book_->path;
            if (call.arg(1))
                path = std::filesystem::path(toWide(call.stringArg(1)));
            if (path.empty())
                failMethod(L"Close", className());
            const WorkbookFileFormat* format = workbookFileFormatFor(path);
            if (!format)
                failWith(L"Cannot access '" + fileNameOf(path) +
                         L"': the file format is not supported.");
            if (book_->book.needsRecalculation())
                book_->book.recalculate();
            std::string error;
            if (!format->save(book_->book, path, error))
                failWith(L"Cannot access '" + fileNameOf(path) + L"'. " + toWide(error));
            book_->path = path;
        }
        app_->closeWorkbook(book_.get());
    }

    std::shared_ptr<ApplicationState> app_;
    std::shared_ptr<WorkbookState> book_;
};

} // namespace

std::shared_ptr<WorkbookState> ApplicationState::newWorkbook() {
    auto book = std::make_shared<WorkbookState>("Book" + std::to_string(nextBookNumber++));
    workbooks.push_back(book);
    return book;
}

void ApplicationState::closeWorkbook(const WorkbookState* book) {
    workbooks.erase(std::remove_if(workbooks.begin(), workbooks.end(),
                                   [book](const auto& b) { return b.get() == book; }),
                    workbooks.end());
}

IDispatch* newApplication() {
    return new ApplicationObject();
}

IDispatch* newWorkbooks(std::shared_ptr<ApplicationState> app) {
    return new WorkbooksObject(std::move(app));
}

IDispatch* newWorkbook(std::shared_ptr<ApplicationState> app, std::shared_ptr<WorkbookState> book) {
    return new WorkbookObject(std::move(app), std::move(book));
}

} // namespace spreadsheet::automation
