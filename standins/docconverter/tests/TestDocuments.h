#pragma once

#include "TextDocument.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

// Small documents for the tests, built a paragraph at a time.
namespace docconv::testing {

inline Paragraph paragraph(std::initializer_list<Run> runs,
                           ParagraphRole role = ParagraphRole::Body) {
    return Paragraph{std::vector<Run>(runs), role};
}

inline Paragraph plain(const std::string& text, ParagraphRole role = ParagraphRole::Body) {
    Paragraph p;
    p.role = role;
    if (!text.empty()) {
        p.runs.push_back({text, kPlain});
    }
    return p;
}

inline Paragraph rowEnd() {
    return plain("", ParagraphRole::RowEnd);
}

// Paragraphs, runs in every style, text beyond Windows-1252, a table with an
// empty cell and a cell of two paragraphs, a line break.
inline TextDocument richDocument() {
    TextDocument d;
    d.paragraphs.push_back(plain("First paragraph."));
    d.paragraphs.push_back(paragraph({{"Some ", kPlain},
                                      {"bold", kBold},
                                      {" and ", kPlain},
                                      {"italic", kItalic},
                                      {" and ", kPlain},
                                      {"underlined", kUnderline},
                                      {" and all three", kBold | kItalic | kUnderline},
                                      {".", kPlain}}));
    d.paragraphs.push_back(plain("Grüße € “quotes” Ελληνικά 日本語 😀"));
    d.paragraphs.push_back(plain("a1", ParagraphRole::CellEnd));
    d.paragraphs.push_back(plain("b1 first", ParagraphRole::InCell));
    d.paragraphs.push_back(plain("b1 second", ParagraphRole::CellEnd));
    d.paragraphs.push_back(rowEnd());
    d.paragraphs.push_back(plain("", ParagraphRole::CellEnd));
    d.paragraphs.push_back(plain("b2", ParagraphRole::CellEnd));
    d.paragraphs.push_back(rowEnd());
    d.paragraphs.push_back(plain("line one\nline two\twith a tab"));
    d.paragraphs.push_back(plain(""));
    d.paragraphs.push_back(plain("Last."));
    return d;
}

// Enough paragraphs to fill several formatting pages, alternating styles.
inline TextDocument longDocument(size_t paragraphs) {
    TextDocument d;
    for (size_t i = 0; i < paragraphs; ++i) {
        d.paragraphs.push_back(paragraph({{"Paragraph " + std::to_string(i) + " ", kPlain},
                                          {"styled", static_cast<uint8_t>(1 + i % 7)},
                                          {" ende ÄÖÜ", kPlain}}));
    }
    return d;
}

// Whole files in and out, for the tests that go through files.
inline std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace docconv::testing
