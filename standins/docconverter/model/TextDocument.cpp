#include "TextDocument.h"

namespace docconv {

std::string Paragraph::text() const {
    std::string out;
    for (const Run& run : runs) {
        out += run.text;
    }
    return out;
}

std::string TextDocument::plainText() const {
    std::string out;
    for (const Paragraph& paragraph : paragraphs) {
        if (paragraph.role == ParagraphRole::RowEnd) {
            continue;
        }
        out += paragraph.text();
        out += '\n';
    }
    return out;
}

size_t TextDocument::textBytes() const {
    size_t total = 0;
    for (const Paragraph& paragraph : paragraphs) {
        for (const Run& run : paragraph.runs) {
            total += run.text.size();
        }
    }
    return total;
}

void appendText(Paragraph& paragraph, std::string_view text, uint8_t style) {
    if (text.empty()) {
        return;
    }
    if (!paragraph.runs.empty() && paragraph.runs.back().style == style) {
        paragraph.runs.back().text += text;
        return;
    }
    paragraph.runs.push_back({std::string(text), style});
}

} // namespace docconv
