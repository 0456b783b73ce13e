#include "SeriesRange.h"

#include <cctype>

namespace sheaf {
namespace {

struct CellCorner {
    int32_t column = 0;
    int32_t row = 0;
};

// Reads "$B$2", "B2" or "$B2": optional '$', letters, optional '$', digits.
CellCorner parseCorner(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && text[i] == '$') {
        ++i;
    }
    const size_t lettersStart = i;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    CellCorner corner;
    corner.column = SeriesRange::lettersToColumn(text.substr(lettersStart, i - lettersStart));
    if (i < text.size() && text[i] == '$') {
        ++i;
    }
    int64_t row = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        row = row * 10 + (text[i] - '0');
        if (row > INT32_MAX) {
            row = INT32_MAX;
        }
    }
    corner.row = static_cast<int32_t>(row);
    return corner;
}

} // namespace

int32_t SeriesRange::findOutsideQuotes(std::string_view text, std::string_view set) {
    bool insideQuotes = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') {
            const bool doubledBefore = i > 0 && text[i - 1] == '\'';
            const bool doubledAfter = i + 1 < text.size() && text[i + 1] == '\'';
            if (!doubledBefore && !doubledAfter) {
                insideQuotes = !insideQuotes;
            }
            continue;
        }
        if (!insideQuotes && set.find(c) != std::string_view::npos) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void SeriesRange::parseValuesReference(std::string_view text) {
    const int32_t bang = findOutsideQuotes(text, "!");
    if (bang < 0) {
        sheet.clear();
        firstColumn = firstRow = lastColumn = lastRow = 0;
        return;
    }
    sheet.assign(text.substr(0, bang));
    const std::string_view cells = text.substr(bang + 1);
    const int32_t colon = findOutsideQuotes(cells, ":");
    const CellCorner first = parseCorner(colon < 0 ? cells : cells.substr(0, colon));
    const CellCorner last = colon < 0 ? first : parseCorner(cells.substr(colon + 1));
    firstColumn = first.column;
    firstRow = first.row;
    lastColumn = last.column;
    lastRow = last.row;
}

int32_t SeriesRange::lettersToColumn(std::string_view letters) {
    // Bijective base 26: A is 1, Z 26, AA 27.  Three letters reach the widest
    // sheets; anything longer cannot be a column.
    int32_t column = 0;
    for (size_t i = 0; i < letters.size() && i < 3; ++i) {
        const int letter = std::toupper(static_cast<unsigned char>(letters[i]));
        if (letter < 'A' || letter > 'Z') {
            break;
        }
        column = column * 26 + (letter - 'A' + 1);
    }
    return column;
}

std::string SeriesRange::columnToLetters(int32_t column) {
    if (column <= 0) {
        return "Z";
    }
    std::string letters;
    for (int32_t n = column; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

std::string SeriesRange::addressText() const {
    return sheet + "!$" + columnToLetters(firstColumn) + "$" + std::to_string(firstRow) + ":$" +
           columnToLetters(lastColumn) + "$" + std::to_string(lastRow);
}

bool SeriesRange::merge(const SeriesRange& other, bool inRows) {
    if (empty()) {
        *this = other;
        return true;
    }
    if (sheet != other.sheet) {
        return false;
    }
    if (inRows) {
        if (other.firstRow <= lastRow + 1) {
            lastRow = other.lastRow;
            return true;
        }
    } else if (other.firstColumn <= lastColumn + 1) {
        lastColumn = other.lastColumn;
        return true;
    }
    return false;
}

SeriesRange SeriesRange::splitOffSeries(bool inRows) {
    if (empty()) {
        return SeriesRange();
    }
    SeriesRange series = *this;
    if (inRows) {
        series.lastRow = series.firstRow;
        ++firstRow;
    } else {
        series.lastColumn = series.firstColumn;
        ++firstColumn;
    }
    if (lastColumn < firstColumn || lastRow < firstRow) {
        reset();
    }
    return series;
}

std::string SeriesRange::seriesFormula(int32_t order) const {
    std::string formula =
        "=SERIES(;" + categories + ";" + addressText() + ";" + std::to_string(order);
    if (!sizes.empty()) {
        formula += ";" + sizes;
    }
    return formula + ")";
}

void SeriesRange::quoteSheetOfReference(std::string& reference) {
    if (reference.empty() || findOutsideQuotes(reference, "!") < 0) {
        return;
    }
    const size_t open = reference.find('[');
    if (open != std::string::npos) {
        const size_t close = reference.find(']', open);
        if (close != std::string::npos) {
            reference.erase(open, close - open + 1);
        }
    }
    if (reference.empty() || reference.front() == '\'') {
        return;
    }
    const int32_t bang = findOutsideQuotes(reference, "!");
    if (bang < 0) {
        return;
    }
    reference = "'" + reference.substr(0, bang) + "'" + reference.substr(bang);
}

} // namespace sheaf
