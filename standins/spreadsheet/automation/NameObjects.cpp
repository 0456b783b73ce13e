// The workbook's Names collection and its Name objects.
#include "Objects.h"

#include "FormulaParser.h"

namespace spreadsheet::automation {

namespace {

// "Sheet!Name" is local to that sheet; a plain name is the workbook's.
struct ScopedName {
    std::string name;
    const Sheet* scope = nullptr;
};

ScopedName scopedName(const Workbook& book, const std::string& text) {
    const size_t bang = text.rfind('!');
    if (bang == std::string::npos)
        return {text, nullptr};
    std::string sheet = text.substr(0, bang);
    if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'')
        sheet = sheet.substr(1, sheet.size() - 2);
    const Sheet* scope = book.findSheet(sheet);
    if (!scope)
        failWith(L"The name refers to a sheet that does not exist: " + toWide(text));
    return {text.substr(bang + 1), scope};
}

// The name of exactly that scope: a sheet's name does not stand in for the workbook's.
const DefinedName* find(const Workbook& book, const ScopedName& wanted) {
    const DefinedName* n = book.findName(wanted.name, wanted.scope);
    return n && n->scope == wanted.scope ? n : nullptr;
}

class NameObject : public DispatchObject {
public:
    NameObject(std::shared_ptr<WorkbookState> book, ScopedName name)
        : book_(std::move(book)), name_(std::move(name)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        const DefinedName& defined = get();
        switch (id) {
        case 0x6E: // Name, with its sheet for a sheet's own name
            call.setString(defined.scope
                               ? quoteSheetName(defined.scope->name()) + "!" + defined.name
                               : defined.name);
            return;
        case 0x3A8: // RefersTo
            if (call.isPut())
                return redefine(call.putString());
            call.setString(defined.refersTo->text);
            return;
        case 0x75: // Delete
            book_->book.removeName(name_.name, name_.scope);
            return;
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {
            {L"Name", 0x6E}, {L"RefersTo", 0x3A8, true}, {L"Delete", 0x75}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Name"; }

private:
    const DefinedName& get() const {
        const DefinedName* n = find(book_->book, name_);
        if (!n)
            failGet(L"Name", className());
        return *n;
    }

    void redefine(const std::string& text) {
        FormulaPtr formula = makeFormula(text.empty() || text[0] != '=' ? "=" + text : text);
        if (!formula || !book_->book.defineName(name_.name, formula, name_.scope))
            failSet(L"RefersTo", className());
    }

    std::shared_ptr<WorkbookState> book_;
    ScopedName name_;
};

class NamesObject : public DispatchObject {
public:
    explicit NamesObject(std::shared_ptr<WorkbookState> book) : book_(std::move(book)) {}

protected:
    void invoke(DISPID id, Invocation& call) override {
        switch (id) {
        case 0x76: // Count
            call.setInt(static_cast<int32_t>(book_->book.names().size()));
            return;
        case 0xAA: // Item(Index): a number from 1, or the name
            return item(call);
        case 0xB5: // Add(Name, RefersTo)
            return add(call);
        }
        noSuchMember();
    }

    const MemberName* members(size_t& count) const override {
        static const MemberName table[] = {{L"Count", 0x76}, {L"Item", 0xAA}, {L"Add", 0xB5}};
        return memberTable(table, count);
    }
    const wchar_t* className() const override { return L"Names"; }

private:
    void item(Invocation& call) {
        const Workbook& book = book_->book;
        const VARIANT* index = call.arg(0);
        if (index && V_VT(index) == VT_BSTR) {
            const ScopedName wanted = scopedName(book, call.stringArg(0));
            const DefinedName* n = find(book, wanted);
            if (!n)
                throw StatusFailure{DISP_E_BADINDEX};
            return call.setObject(new NameObject(book_, {n->name, n->scope}));
        }
        const int32_t i = call.intArg(0, 0);
        if (i < 1 || i > static_cast<int32_t>(book.names().size()))
            throw StatusFailure{DISP_E_BADINDEX};
        const DefinedName& n = book.names()[static_cast<size_t>(i - 1)];
        call.setObject(new NameObject(book_, {n.name, n.scope}));
    }

    void add(Invocation& call) {
        Workbook& book = book_->book;
        const ScopedName name = scopedName(book, call.stringArg(0));
        const std::string text = call.stringArg(1);
        FormulaPtr formula = makeFormula(text.empty() || text[0] != '=' ? "=" + text : text);
        if (!formula || !book.defineName(name.name, formula, name.scope))
            failMethod(L"Add", className());
        call.setObject(new NameObject(book_, name));
    }

    std::shared_ptr<WorkbookState> book_;
};

} // namespace

IDispatch* newNames(std::shared_ptr<WorkbookState> book) {
    return new NamesObject(std::move(book));
}

} // namespace spreadsheet::automation
