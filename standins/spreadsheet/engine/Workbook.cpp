#include "Workbook.h"

#include "DateSerial.h"
#include "Evaluator.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace spreadsheet {

namespace {

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

double systemClock() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    // 25569 is the serial number of 1970-01-01.
    double days = static_cast<double>(
        daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) + 25569);
    return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

Workbook::Workbook(std::string name) : name_(std::move(name)) {}

int32_t Workbook::indexOf(const Sheet& sheet) const {
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].get() == &sheet)
            return static_cast<int32_t>(i);
    }
    return -1;
}

Sheet* Workbook::findSheet(const std::string& name) const {
    for (const auto& sheet : sheets_) {
        if (sameNameIgnoringCase(sheet->name(), name))
            return sheet.get();
    }
    return nullptr;
}

int32_t Workbook::worksheetCount() const {
    return static_cast<int32_t>(std::count_if(sheets_.begin(), sheets_.end(),
                                              [](const auto& s) { return s->isWorksheet(); }));
}

int32_t Workbook::chartSheetCount() const {
    return sheetCount() - worksheetCount();
}

Sheet& Workbook::worksheet(int32_t index) const {
    for (const auto& sheet : sheets_) {
        if (sheet->isWorksheet() && index-- == 0)
            return *sheet;
    }
    throw std::out_of_range("worksheet index");
}

Sheet& Workbook::chartSheet(int32_t index) const {
    for (const auto& sheet : sheets_) {
        if (!sheet->isWorksheet() && index-- == 0)
            return *sheet;
    }
    throw std::out_of_range("chart sheet index");
}

std::string Workbook::nextSheetName(SheetType type) const {
    const char* stem = type == SheetType::Worksheet ? "Sheet" : "Chart";
    for (int n = 1;; ++n) {
        std::string name = stem + std::to_string(n);
        if (!findSheet(name))
            return name;
    }
}

Sheet& Workbook::insertSheet(int32_t index, SheetType type) {
    index = std::clamp(index, 0, sheetCount());
    auto sheet = std::make_unique<Sheet>(*this, type, nextSheetName(type));
    Sheet& added = *sheet;
    sheets_.insert(sheets_.begin() + index, std::move(sheet));
    if (sheetCount() > 1 && index <= activeSheet_)
        ++activeSheet_;
    markChanged();
    return added;
}

Sheet& Workbook::appendSheet(SheetType type, const std::string& name) {
    if (!isValidSheetName(name) || findSheet(name))
        throw std::invalid_argument("invalid or duplicate sheet name: " + name);
    sheets_.push_back(std::make_unique<Sheet>(*this, type, name));
    markChanged();
    return *sheets_.back();
}

bool Workbook::removeSheet(int32_t index) {
    if (index < 0 || index >= sheetCount())
        return false;
    if (sheetCount() == 1 || (sheets_[index]->isWorksheet() && worksheetCount() == 1))
        return false;
    // Names local to the sheet go with it.
    const Sheet* removed = sheets_[index].get();
    std::erase_if(names_, [&](const DefinedName& n) { return n.scope == removed; });
    sheets_.erase(sheets_.begin() + index);
    if (activeSheet_ > index || activeSheet_ >= sheetCount())
        activeSheet_ = std::max(0, activeSheet_ - 1);
    markChanged();
    return true;
}

bool Workbook::isValidSheetName(const std::string& name) {
    if (name.empty() || name.size() > kMaxSheetNameLength || name.front() == '\'' ||
        name.back() == '\'')
        return false;
    return name.find_first_of(":\\/?*[]") == std::string::npos;
}

bool Workbook::renameSheet(Sheet& sheet, const std::string& name) {
    if (!isValidSheetName(name))
        return false;
    Sheet* other = findSheet(name);
    if (other && other != &sheet)
        return false;
    sheet.name_ = name;
    markChanged();
    return true;
}

bool isValidDefinedName(const std::string& name) {
    if (name.empty() || name.size() > 255)
        return false;
    const auto first = static_cast<unsigned char>(name[0]);
    if (!std::isalpha(first) && first != '_' && first != '\\' && first < 0x80)
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '_' && c != '.' && c != '\\' && u < 0x80)
            return false;
    }
    return !parseCellAddress(name) && !sameNameIgnoringCase(name, "TRUE") &&
           !sameNameIgnoringCase(name, "FALSE");
}

bool Workbook::defineName(const std::string& name, FormulaPtr refersTo, const Sheet* scope) {
    if (!isValidDefinedName(name) || !refersTo || (scope && indexOf(*scope) < 0))
        return false;
    for (DefinedName& known : names_) {
        if (known.scope == scope && sameNameIgnoringCase(known.name, name)) {
            known.refersTo = std::move(refersTo);
            markChanged();
            return true;
        }
    }
    names_.push_back({name, std::move(refersTo), scope});
    markChanged();
    return true;
}

bool Workbook::removeName(const std::string& name, const Sheet* scope) {
    const auto removed = std::erase_if(names_, [&](const DefinedName& n) {
        return n.scope == scope && sameNameIgnoringCase(n.name, name);
    });
    if (removed)
        markChanged();
    return removed > 0;
}

const DefinedName* Workbook::findName(const std::string& name, const Sheet* from) const {
    const DefinedName* global = nullptr;
    for (const DefinedName& known : names_) {
        if (!sameNameIgnoringCase(known.name, name))
            continue;
        if (from && known.scope == from)
            return &known;
        if (!known.scope)
            global = &known;
    }
    return global;
}

void Workbook::activate(int32_t index) {
    if (index >= 0 && index < sheetCount())
        activeSheet_ = index;
}

void Workbook::recalculate() {
    changed_ = false;
    Evaluator(*this).recalculateAll();
}

} // namespace spreadsheet
