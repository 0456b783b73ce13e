// Defined names and array formulas in workbooks LibreOffice and Gnumeric
// save, read by the engine, saved again and read back by LibreOffice and
// python3-xlrd.
#include "OracleFixture.h"

#include "FormulaParser.h"

#include <cmath>
#include <set>

namespace {

using namespace xls_oracle;
using spreadsheet::CellArea;
using spreadsheet::CellValue;
using spreadsheet::Workbook;

// The book oracle/names_arrays_book.py writes.  The ODF text is what
// LibreOffice shows for the formula; null for the cells an array covers
// besides its first.
struct ExpectedCell {
    int sheet;
    const char* address;
    double value;
    const char* formula;
    const char* odf;
};

constexpr ExpectedCell kCells[] = {
    {0, "E1", 5, "=Rate*C3", "of:=Rate*[.C3]"},
    {0, "D2", 10, "=B2:B6*C2:C6", "of:=[.B2:.B6]*[.C2:.C6]"},
    {0, "D3", 40, "=B2:B6*C2:C6", nullptr},
    {0, "D4", 90, "=B2:B6*C2:C6", nullptr},
    {0, "D5", 160, "=B2:B6*C2:C6", nullptr},
    {0, "D6", 250, "=B2:B6*C2:C6", nullptr},
    {0, "D8", 550, "=SUM(B2:B6*C2:C6)", "of:=SUM([.B2:.B6]*[.C2:.C6])"},
    {1, "B1", 20, "=Rate*10", "of:=Rate*10"},
    {1, "C1", 150, "=SUM(Prices)", "of:=SUM(Prices)"},
    {1, "B2", 12, "=Ten+Rate", "of:=Ten+Rate"},
};

struct ExpectedName {
    const char* scope; // a sheet's name, or "-" for the workbook
    const char* name;
    const char* formula;
    const char* odf;
};

constexpr ExpectedName kNames[] = {
    {"-", "Rate", "=Data!$A$1", "$Data.$A$1"},
    {"-", "Prices", "=Data!$C$2:$C$6", "$Data.$C$2:.$C$6"},
    {"-", "Ten", "=5*2", "5*2"},
    {"Other", "Rate", "=Other!$A$1", "$Other.$A$1"},
};

struct ExpectedArray {
    int sheet;
    const char* area;
};

constexpr ExpectedArray kArrays[] = {{0, "D2:D6"}, {0, "D8"}};

spreadsheet::CellPosition at(const char* address) {
    return *spreadsheet::parseCellAddress(address);
}

void expectEngineHoldsTheBook(Workbook& workbook) {
    ASSERT_EQ(workbook.sheetCount(), 2);
    EXPECT_EQ(workbook.names().size(), std::size(kNames));
    for (const ExpectedName& n : kNames) {
        const spreadsheet::Sheet* scope =
            std::string(n.scope) == "-" ? nullptr : workbook.findSheet(n.scope);
        const spreadsheet::DefinedName* found = workbook.findName(n.name, scope);
        ASSERT_NE(found, nullptr) << n.scope << " " << n.name;
        EXPECT_EQ(found->scope, scope) << n.name;
        EXPECT_EQ(found->refersTo->text, n.formula) << n.scope << " " << n.name;
    }
    for (const ExpectedArray& a : kArrays) {
        const CellArea area = *spreadsheet::parseAreaAddress(a.area);
        const spreadsheet::Cell* first = workbook.sheet(a.sheet).cell(area.first);
        ASSERT_TRUE(first && first->hasFormula() && first->formula->array) << a.area;
        EXPECT_EQ(*first->formula->array, area) << a.area;
    }
    // The values the file brought, and the engine's own.
    for (bool recalculated : {false, true}) {
        if (recalculated) {
            workbook.recalculate();
        }
        for (const ExpectedCell& c : kCells) {
            const spreadsheet::Cell* cell = workbook.sheet(c.sheet).cell(at(c.address));
            ASSERT_TRUE(cell && cell->hasFormula()) << c.address;
            EXPECT_EQ(cell->formula->text, c.formula) << c.address;
            EXPECT_EQ(cell->value, CellValue::fromNumber(c.value))
                << c.address << (recalculated ? " recalculated" : " as read");
        }
    }
}

class NamesArraysOracle : public Oracle {
protected:
    void expectLibreOfficeReads(const fs::path& xls) {
        soffice("fods", xls, dir_ / "back");
        const fs::path listingPath = dir_ / "back.listing";
        python("fods_listing.py", quoted(dir_ / "back" / (xls.stem().string() + ".fods")),
               &listingPath);
        const Listing listing = readListing(listingPath);
        for (const ExpectedCell& c : kCells) {
            const auto pos = at(c.address);
            const std::vector<std::string>* line = find(listing, "cell", c.sheet, pos);
            ASSERT_NE(line, nullptr) << c.address;
            EXPECT_NEAR(std::stod((*line)[5]), c.value, 1e-9) << c.address;
            if (c.odf) {
                EXPECT_EQ((*line)[6], c.odf) << c.address;
            }
        }
        std::set<std::vector<std::string>> arrays, names;
        for (const auto* l : listing.of("array")) {
            arrays.insert(*l);
        }
        for (const ExpectedArray& a : kArrays) {
            const CellArea area = *spreadsheet::parseAreaAddress(a.area);
            EXPECT_EQ(
                arrays.count({"array", std::to_string(a.sheet), std::to_string(area.first.row),
                              std::to_string(area.first.column), std::to_string(area.rowCount()),
                              std::to_string(area.columnCount())}),
                1u)
                << a.area;
        }
        EXPECT_EQ(arrays.size(), std::size(kArrays));
        for (const auto* l : listing.of("name")) {
            names.insert(*l);
        }
        EXPECT_EQ(names.size(), std::size(kNames));
        for (const ExpectedName& n : kNames) {
            EXPECT_EQ(names.count({"name", n.scope, n.name, n.odf}), 1u)
                << n.scope << " " << n.name;
        }
    }

    void expectXlrdReads(const fs::path& xls) {
        const fs::path listingPath = dir_ / "xlrd.listing";
        python("xlrd_dump.py", quoted(xls), &listingPath);
        const Listing listing = readListing(listingPath);
        for (const ExpectedCell& c : kCells) {
            const std::vector<std::string>* line = find(listing, "cell", c.sheet, at(c.address));
            ASSERT_NE(line, nullptr) << c.address;
            EXPECT_EQ((*line)[4], "n") << c.address;
            EXPECT_EQ(std::stod((*line)[5]), c.value) << c.address;
        }
        std::set<std::pair<std::string, std::string>> names;
        for (const auto* l : listing.of("name")) {
            names.insert({(*l)[1], (*l)[2]});
        }
        EXPECT_EQ(names.size(), std::size(kNames));
        for (const ExpectedName& n : kNames) {
            EXPECT_EQ(names.count({n.scope, n.name}), 1u) << n.scope << " " << n.name;
        }
    }

    void expectRoundTrip(const fs::path& xls) {
        Workbook workbook;
        open(xls, workbook);
        expectEngineHoldsTheBook(workbook);
        const fs::path saved = save(workbook);
        expectLibreOfficeReads(saved);
        expectXlrdReads(saved);
        Workbook again;
        open(saved, again);
        expectEngineHoldsTheBook(again);
    }

    static const std::vector<std::string>* find(const Listing& listing, const char* kind, int sheet,
                                                spreadsheet::CellPosition pos) {
        for (const auto* l : listing.of(kind)) {
            if ((*l)[1] == std::to_string(sheet) && (*l)[2] == std::to_string(pos.row) &&
                (*l)[3] == std::to_string(pos.column)) {
                return l;
            }
        }
        return nullptr;
    }
};

TEST_F(NamesArraysOracle, LibreOfficeBookKeepsItsNamesAndArraysBothWays) {
    expectRoundTrip(libreOfficeXls(bookFods("names_arrays_book.py", "book")));
}

TEST_F(NamesArraysOracle, GnumericBookKeepsItsNamesAndArraysBothWays) {
    expectRoundTrip(gnumericXls(bookFods("names_arrays_book.py", "book")));
}

// The same book built in the engine, as the automation server builds it.
TEST_F(NamesArraysOracle, EngineBuiltBookOpensInLibreOfficeAndXlrd) {
    Workbook workbook;
    auto& data = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Data");
    auto& other = workbook.appendSheet(spreadsheet::SheetType::Worksheet, "Other");
    data.setValue(at("A1"), CellValue::fromNumber(0.25));
    for (int r = 1; r <= 5; ++r) {
        data.setValue({r, 1}, CellValue::fromNumber(r));
        data.setValue({r, 2}, CellValue::fromNumber(r * 10));
    }
    other.setValue(at("A1"), CellValue::fromNumber(2));
    for (const ExpectedName& n : kNames) {
        const spreadsheet::Sheet* scope =
            std::string(n.scope) == "-" ? nullptr : workbook.findSheet(n.scope);
        ASSERT_TRUE(workbook.defineName(n.name, spreadsheet::makeFormula(n.formula), scope));
    }
    for (const ExpectedArray& a : kArrays) {
        const CellArea area = *spreadsheet::parseAreaAddress(a.area);
        const auto& byText =
            *std::find_if(std::begin(kCells), std::end(kCells),
                          [&](const ExpectedCell& c) { return at(c.address) == area.first; });
        const auto formula = spreadsheet::makeArrayFormula(
            spreadsheet::cloneNode(*spreadsheet::makeFormula(byText.formula)->root), area);
        for (int32_t r = area.first.row; r <= area.last.row; ++r) {
            workbook.sheet(a.sheet).setFormula({r, area.first.column}, formula);
        }
    }
    for (const ExpectedCell& c : kCells) {
        if (!workbook.sheet(c.sheet).cell(at(c.address))) {
            workbook.sheet(c.sheet).setFormula(at(c.address), spreadsheet::makeFormula(c.formula));
        }
    }
    workbook.recalculate();
    expectEngineHoldsTheBook(workbook);
    const fs::path saved = save(workbook);
    expectLibreOfficeReads(saved);
    expectXlrdReads(saved);
}

} // namespace
