#include "SeriesFormula.h"

#include <string>

namespace sheaf {
namespace {

constexpr std::string_view kSeparators = ",;";

// Removes everything up to and including the first of `set` outside quotes;
// false when there is none.
bool dropThrough(std::string& text, std::string_view set) {
    const int32_t at = SeriesRange::findOutsideQuotes(text, set);
    if (at < 0) {
        return false;
    }
    text.erase(0, static_cast<size_t>(at) + 1);
    return true;
}

// The text before the next separator (all of it when there is none), with
// its sheet quoted; the separator is consumed.
std::string takeArgument(std::string& text) {
    const int32_t at = SeriesRange::findOutsideQuotes(text, kSeparators);
    std::string argument = at < 0 ? text : text.substr(0, static_cast<size_t>(at));
    text.erase(0, at < 0 ? text.size() : static_cast<size_t>(at) + 1);
    SeriesRange::quoteSheetOfReference(argument);
    return argument;
}

} // namespace

SeriesRange parseSeriesFormula(std::string_view formula) {
    SeriesRange range;
    if (formula.empty() || formula.front() != '=') {
        return range;
    }
    std::string text(formula);
    dropThrough(text, "(");
    dropThrough(text, kSeparators);
    if (const int32_t close = SeriesRange::findOutsideQuotes(text, ")"); close >= 0) {
        text.erase(static_cast<size_t>(close), 1);
    }
    const std::string categories = takeArgument(text);
    range.parseValuesReference(takeArgument(text));
    range.categories = categories;
    if (dropThrough(text, kSeparators)) {
        range.sizes = text;
        SeriesRange::quoteSheetOfReference(range.sizes);
    }
    return range;
}

} // namespace sheaf
