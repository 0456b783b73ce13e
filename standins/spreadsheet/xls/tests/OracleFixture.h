#pragma once

// What the oracle tests share: temporary folders, the helper scripts in
// oracle/, LibreOffice, and the plain listing the scripts print.
#include "Workbook.h"
#include "XlsFileFormat.h"
#include "testing/LibreOffice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace xls_oracle {

namespace fs = std::filesystem;
inline const char* const kPython = "/usr/bin/python3";

inline std::string unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            const char next = field[++i];
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            out += field[i];
        }
    }
    return out;
}

// The listing written by the oracle scripts (see oracle/listing.py).
struct Listing {
    std::vector<std::vector<std::string>> lines;

    static Listing parse(std::istream& in) {
        Listing listing;
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> fields;
            std::stringstream split(line);
            std::string field;
            while (std::getline(split, field, '\t')) {
                fields.push_back(unescape(field));
            }
            if (!line.empty() && line.back() == '\t') {
                fields.emplace_back();
            }
            listing.lines.push_back(std::move(fields));
        }
        return listing;
    }
    std::vector<const std::vector<std::string>*> of(const std::string& kind) const {
        std::vector<const std::vector<std::string>*> out;
        for (const auto& l : lines) {
            if (!l.empty() && l[0] == kind) {
                out.push_back(&l);
            }
        }
        return out;
    }
};

class Oracle : public ::testing::Test {
protected:
    void SetUp() override {
        scripts_ = XLS_ORACLE_SCRIPTS;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("xls-oracle-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    static int run(const std::string& command) { return std::system(command.c_str()); }
    static std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

    void python(const std::string& script, const std::string& arguments, const fs::path* output) {
        const std::string command = std::string(kPython) + " " + quoted(scripts_ / script) + " " +
                                    arguments + (output ? " > " + quoted(*output) : std::string());
        ASSERT_EQ(run(command), 0) << command;
    }

    // Converts with LibreOffice into `outdir`, with a profile of this test's own.
    void soffice(const std::string& convertTo, const fs::path& input, const fs::path& outdir) {
        const std::string failure =
            quire::testing::ConvertWithLibreOffice(dir_ / "profile", convertTo, outdir, {input});
        ASSERT_TRUE(failure.empty()) << failure;
    }

    // The flat ODF file an oracle script writes (`script` <file>), as <stem>.fods.
    fs::path bookFods(const std::string& script, const std::string& stem) {
        const fs::path fods = dir_ / (stem + ".fods");
        python(script, quoted(fods), nullptr);
        return fods;
    }

    fs::path libreOfficeXls(const fs::path& fods) {
        soffice("xls:MS Excel 97", fods, dir_ / "lo");
        return dir_ / "lo" / (fods.stem().string() + ".xls");
    }

    // Gnumeric reads the ODF package LibreOffice makes of the flat file.
    fs::path gnumericXls(const fs::path& fods) {
        soffice("ods", fods, dir_ / "ods");
        const fs::path xls = dir_ / "gnumeric.xls";
        const std::string command = "ssconvert --export-type=Gnumeric_Excel:excel_biff8 " +
                                    quoted(dir_ / "ods" / (fods.stem().string() + ".ods")) + " " +
                                    quoted(xls) + " > /dev/null 2>&1";
        EXPECT_EQ(run(command), 0) << command;
        return xls;
    }

    // Saves as engine.xls; any note fails the test.
    fs::path save(const spreadsheet::Workbook& workbook) {
        std::string error;
        std::vector<std::string> notes;
        const xls::XlsFileFormat format([&](const std::string& n) { notes.push_back(n); });
        const fs::path path = dir_ / "engine.xls";
        EXPECT_TRUE(format.save(workbook, path, error)) << error;
        for (const std::string& note : notes) {
            ADD_FAILURE() << "unexpected note on save: " << note;
        }
        return path;
    }

    Listing readListing(const fs::path& path) {
        std::ifstream in(path);
        EXPECT_TRUE(in.is_open()) << path;
        Listing listing = Listing::parse(in);
        // A helper script that wrote nothing must not pass as a match.
        EXPECT_FALSE(listing.of("sheet").empty()) << path << " names no sheet";
        EXPECT_FALSE(listing.of("cell").empty()) << path << " holds no cell";
        return listing;
    }

    void open(const fs::path& path, spreadsheet::Workbook& workbook) {
        std::string error;
        std::vector<std::string> notes;
        const xls::XlsFileFormat format([&](const std::string& n) { notes.push_back(n); });
        ASSERT_TRUE(format.open(path, workbook, error)) << error;
        for (const std::string& note : notes) {
            ADD_FAILURE() << "unexpected note: " << note;
        }
    }

    fs::path scripts_;
    fs::path dir_;
};

} // namespace xls_oracle
