// Word documents LibreOffice writes read as LibreOffice itself reads them, and
// the documents the writer makes read the same in LibreOffice, antiword and
// catdoc.  Host build only; the programs come from tools/bootstrap.
#include "DocReader.h"
#include "DocWriter.h"
#include "DocumentConversion.h"
#include "TestDocuments.h"
#include "Utf8.h"
#include "testing/LibreOffice.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace docconv;
using namespace docconv::testing;

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Standard output of a shell command; the test fails when it fails.
std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, count);
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

// Paragraph texts with runs, written as the oracle script lists them: runs of
// one style joined, white space collapsed, empty paragraphs left out.
std::string collapse(const std::string& text) {
    return std::regex_replace(text, std::regex("[ \t\n\r]+"), " ");
}

std::string runListing(const TextDocument& document) {
    std::string listing;
    for (const Paragraph& paragraph : document.paragraphs) {
        if (paragraph.role == ParagraphRole::RowEnd) {
            continue;
        }
        std::vector<std::pair<int, std::string>> runs;
        for (const Run& run : paragraph.runs) {
            const std::string text = collapse(run.text);
            if (!runs.empty() && runs.back().first == run.style) {
                runs.back().second += text;
            } else {
                runs.push_back({run.style, text});
            }
        }
        // Leading and trailing blanks of a paragraph are not shown.
        while (!runs.empty() && runs.front().second.find_first_not_of(' ') == std::string::npos) {
            runs.erase(runs.begin());
        }
        while (!runs.empty() && runs.back().second.find_first_not_of(' ') == std::string::npos) {
            runs.pop_back();
        }
        if (runs.empty()) {
            continue;
        }
        runs.front().second.erase(0, runs.front().second.find_first_not_of(' '));
        runs.back().second.erase(runs.back().second.find_last_not_of(' ') + 1);
        std::string line;
        for (const auto& [style, text] : runs) {
            line += (line.empty() ? "" : "\t") + std::to_string(style) + ":" + text;
        }
        listing += line + "\n";
    }
    return listing;
}

std::string withoutEmptyLines(const std::string& listing) {
    return std::regex_replace(listing, std::regex("\n+"), "\n");
}

// The words of a text, with table rulings and what a reader cannot show
// (characters past U+FFFF become question marks or replacement characters).
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(std::regex_replace(text, std::regex("[|]"), " "));
    std::string word;
    while (in >> word) {
        const auto points = utf8::decode(word);
        const bool shown = points && std::none_of(points->begin(), points->end(), [](char32_t c) {
                               return c >= 0x10000 || c == 0xFFFD || c == '?';
                           });
        if (shown) {
            out.push_back(word);
        }
    }
    return out;
}

class Oracle : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("doc-oracle-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path path(const std::string& name) const { return dir_ / name; }

    // Converts files with LibreOffice into `filter` files beside them.
    void office(const std::string& filter, const std::vector<fs::path>& files) {
        const std::string failure =
            quire::testing::ConvertWithLibreOffice(dir_ / "profile", filter, dir_, files);
        EXPECT_TRUE(failure.empty()) << failure;
    }
    std::string officeText(const fs::path& doc) {
        office("txt:Text (encoded):UTF8", {doc});
        std::string text = run("cat " + quoted(fs::path(doc).replace_extension(".txt")));
        text = std::regex_replace(text, std::regex("\r"), "");
        if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
            text.erase(0, 3);
        }
        return text;
    }
    std::string officeRuns(const fs::path& doc) {
        office("html:HTML (StarWriter)", {doc});
        const std::string listing =
            run(std::string("/usr/bin/python3 ") + DOC_ORACLE_SCRIPTS + "/html_runs.py " +
                quoted(fs::path(doc).replace_extension(".html")));
        return withoutEmptyLines(std::regex_replace(listing, std::regex("\\\\t"), " "));
    }

    fs::path dir_;
};

std::string htmlDocument(const std::string& body) {
    return "<html><head><meta charset=\"utf-8\"></head><body>" + body + "</body></html>";
}

struct Source {
    const char* name;
    std::string html;
};

std::vector<Source> officeSources() {
    std::string longBody;
    for (int i = 0; i < 2500; ++i) {
        longBody += "<p>Paragraph " + std::to_string(i) +
                    (i % 5 == 0 ? " <b>bold " + std::to_string(i) + "</b>" : "") +
                    " with words to fill the line, grüße and Ω and 語</p>";
    }
    return {
        {"paragraphs", "<p>One.</p><p>Two, a longer paragraph of words.</p><p>Three.</p>"},
        {"nonascii", "<p>Grüße, café, naïve, € “quoted” ‘single’ — – …</p>"
                     "<p>Ελληνικά, Русский, 日本語, עברית, 😀 and 𝄞</p>"},
        {"runs", "<p>Plain <b>bold</b> <i>italic</i> <u>under</u> "
                 "<b><i>bold italic</i></b> <b><i><u>all three</u></i></b> end.</p>"
                 "<p><i>Whole italic paragraph.</i></p>"},
        {"table", "<p>Before.</p><table border=\"1\"><tr><td>a1</td><td>b1</td><td>c1</td></tr>"
                  "<tr><td>a2</td><td></td><td><b>c2</b></td></tr></table><p>After.</p>"},
        {"styles", "<h1>Heading one</h1><h2>Heading two</h2><p>Some <strong>strong</strong> "
                   "and <em>emphasised</em> words, <strong><em>both</em></strong>.</p>"},
        {"field", "<p>Page <sdfield type=PAGE subtype=RANDOM format=PAGE>1</sdfield> "
                  "of a field.</p>"},
        {"long", longBody},
    };
}

TEST_F(Oracle, DocumentsLibreOfficeWritesReadAsLibreOfficeReadsThem) {
    std::vector<fs::path> sources;
    for (const Source& source : officeSources()) {
        sources.push_back(path(std::string(source.name) + ".html"));
        const std::string html = htmlDocument(source.html);
        writeFile(sources.back(), std::vector<uint8_t>(html.begin(), html.end()));
    }
    office("doc:MS Word 97", sources);
    for (const Source& source : officeSources()) {
        SCOPED_TRACE(source.name);
        const fs::path doc = path(std::string(source.name) + ".doc");
        ASSERT_TRUE(fs::exists(doc));
        const TextDocument document = readWordDocument(readFile(doc));
        EXPECT_EQ(document.plainText(), officeText(doc));
        EXPECT_EQ(withoutEmptyLines(runListing(document)), officeRuns(doc));
    }
}

TEST_F(Oracle, DocumentsTheWriterMakesReadTheSameEverywhere) {
    const TextDocument documents[] = {richDocument(), longDocument(2000)};
    int index = 0;
    for (const TextDocument& document : documents) {
        SCOPED_TRACE(index);
        const fs::path doc = path("written" + std::to_string(index++) + ".doc");
        writeFile(doc, writeWordDocument(document));
        EXPECT_EQ(officeText(doc), document.plainText());
        EXPECT_EQ(officeRuns(doc), withoutEmptyLines(runListing(document)));
        EXPECT_EQ(words(run("antiword -m UTF-8.txt " + quoted(doc))), words(document.plainText()));
        EXPECT_EQ(words(run("catdoc -d utf-8 " + quoted(doc))), words(document.plainText()));
    }
}

TEST_F(Oracle, ADocumentGoesToTheHandheldAndBack) {
    const fs::path source = path("road.html");
    const std::string html = htmlDocument(officeSources()[3].html + officeSources()[2].html +
                                          officeSources()[1].html + officeSources()[4].html);
    writeFile(source, std::vector<uint8_t>(html.begin(), html.end()));
    office("doc:MS Word 97", {source});
    const fs::path doc = path("road.doc");
    const std::vector<uint8_t> handheld = wordToHandheld(readFile(doc), {});
    const fs::path back = path("back.doc");
    writeFile(back, handheldToWord(handheld, {}));
    const std::string expected = officeText(doc);
    EXPECT_EQ(officeText(back), expected);
    EXPECT_EQ(officeRuns(back), officeRuns(doc));
    EXPECT_EQ(words(run("antiword -m UTF-8.txt " + quoted(back))), words(expected));
    EXPECT_EQ(words(run("catdoc -d utf-8 " + quoted(back))), words(expected));
}

} // namespace
