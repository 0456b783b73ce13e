#include "DateSerial.h"
#include "Evaluator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <numeric>

namespace spreadsheet {

namespace {

using Args = FormulaNode::Children;

CellValue valueError() {
    return CellValue::fromError(ErrorCode::Value);
}

bool argCountIn(const FormulaNode& call, size_t low, size_t high) {
    return call.children.size() >= low && call.children.size() <= high;
}

// The numeric value of argument i; false with error set when it has none.
bool numberArg(Evaluator& e, const FormulaNode& call, size_t i, double& out, CellValue& error) {
    return toNumber(e.scalar(*call.children[i]), out, error);
}

bool textArg(Evaluator& e, const FormulaNode& call, size_t i, std::string& out, CellValue& error) {
    CellValue v = e.scalar(*call.children[i]);
    if (v.isError()) {
        error = v;
        return false;
    }
    out = toText(v);
    return true;
}

bool boolOf(const CellValue& v, bool& out, CellValue& error) {
    if (v.kind == ValueKind::Text) {
        std::string t = v.text;
        for (char& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (t == "TRUE" || t == "FALSE") {
            out = t == "TRUE";
            return true;
        }
        error = valueError();
        return false;
    }
    double n;
    if (!toNumber(v, n, error))
        return false;
    out = n != 0;
    return true;
}

// Collects the numbers of every argument the way SUM and its kin do: cells of
// ranges count only when they hold numbers; direct values are converted.
struct NumberList {
    std::vector<double> numbers;
    CellValue error;
    bool failed = false;
};

NumberList collectNumbers(Evaluator& e, const FormulaNode& call) {
    NumberList list;
    for (const auto& arg : call.children) {
        if (arg->kind == NodeKind::Missing)
            continue;
        Operand op = e.operand(*arg);
        e.forEachValue(op, [&](const CellValue& v, bool fromRange) {
            if (v.isError()) {
                list.error = v;
                list.failed = true;
                return false;
            }
            if (fromRange) {
                if (v.kind == ValueKind::Number)
                    list.numbers.push_back(v.number);
                return true;
            }
            double n;
            if (!toNumber(v, n, list.error)) {
                list.failed = true;
                return false;
            }
            list.numbers.push_back(n);
            return true;
        });
        if (list.failed)
            break;
    }
    return list;
}

// SUM and its kin: the collected numbers reduced to one result.
template <typename Reduce>
CellValue overNumbers(Evaluator& e, const FormulaNode& call, Reduce reduce) {
    NumberList list = collectNumbers(e, call);
    if (list.failed)
        return list.error;
    return reduce(list.numbers);
}

double total(const std::vector<double>& numbers) {
    return std::accumulate(numbers.begin(), numbers.end(), 0.0);
}

CellValue fnSum(Evaluator& e, const FormulaNode& call) {
    return overNumbers(e, call, [](const auto& n) { return numberResult(total(n)); });
}

CellValue fnProduct(Evaluator& e, const FormulaNode& call) {
    return overNumbers(e, call, [](const auto& n) {
        return numberResult(
            n.empty() ? 0 : std::accumulate(n.begin(), n.end(), 1.0, std::multiplies<double>()));
    });
}

CellValue fnAverage(Evaluator& e, const FormulaNode& call) {
    return overNumbers(e, call, [](const auto& n) {
        if (n.empty())
            return CellValue::fromError(ErrorCode::Div0);
        return numberResult(total(n) / static_cast<double>(n.size()));
    });
}

CellValue fnMin(Evaluator& e, const FormulaNode& call) {
    return overNumbers(e, call, [](const auto& n) {
        return numberResult(n.empty() ? 0 : *std::min_element(n.begin(), n.end()));
    });
}

CellValue fnMax(Evaluator& e, const FormulaNode& call) {
    return overNumbers(e, call, [](const auto& n) {
        return numberResult(n.empty() ? 0 : *std::max_element(n.begin(), n.end()));
    });
}

CellValue fnCount(Evaluator& e, const FormulaNode& call) {
    double count = 0;
    for (const auto& arg : call.children) {
        if (arg->kind == NodeKind::Missing)
            continue;
        e.forEachValue(e.operand(*arg), [&](const CellValue& v, bool fromRange) {
            double n;
            CellValue ignored;
            if (v.kind == ValueKind::Number ||
                (!fromRange && !v.isError() && !v.isEmpty() && toNumber(v, n, ignored)))
                ++count;
            return true;
        });
    }
    return CellValue::fromNumber(count);
}

CellValue fnCountA(Evaluator& e, const FormulaNode& call) {
    double count = 0;
    for (const auto& arg : call.children) {
        if (arg->kind == NodeKind::Missing)
            continue;
        e.forEachValue(e.operand(*arg), [&](const CellValue& v, bool fromRange) {
            if (!fromRange || !v.isEmpty())
                ++count;
            return true;
        });
    }
    return CellValue::fromNumber(count);
}

CellValue fnIf(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 3))
        return valueError();
    bool condition;
    CellValue error;
    if (!boolOf(e.scalar(*call.children[0]), condition, error))
        return error;
    if (condition) {
        if (call.children.size() < 2)
            return CellValue::fromBoolean(true);
        if (call.children[1]->kind == NodeKind::Missing)
            return CellValue::fromNumber(0);
        return e.scalar(*call.children[1]);
    }
    if (call.children.size() < 3)
        return CellValue::fromBoolean(false);
    if (call.children[2]->kind == NodeKind::Missing)
        return CellValue::fromNumber(0);
    return e.scalar(*call.children[2]);
}

// AND and OR: booleans and numbers count; texts in ranges and empty cells are skipped.
CellValue logical(Evaluator& e, const FormulaNode& call, bool isAnd) {
    if (call.children.empty())
        return valueError();
    bool any = false;
    bool result = isAnd;
    CellValue error;
    bool failed = false;
    for (const auto& arg : call.children) {
        e.forEachValue(e.operand(*arg), [&](const CellValue& v, bool fromRange) {
            if (v.isError()) {
                error = v;
                failed = true;
                return false;
            }
            if (v.isEmpty() || (fromRange && v.kind == ValueKind::Text))
                return true;
            bool b;
            if (!boolOf(v, b, error)) {
                failed = true;
                return false;
            }
            any = true;
            result = isAnd ? (result && b) : (result || b);
            return true;
        });
        if (failed)
            return error;
    }
    if (!any)
        return valueError();
    return CellValue::fromBoolean(result);
}

CellValue fnAnd(Evaluator& e, const FormulaNode& call) {
    return logical(e, call, true);
}
CellValue fnOr(Evaluator& e, const FormulaNode& call) {
    return logical(e, call, false);
}

CellValue fnNot(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 1))
        return valueError();
    bool b;
    CellValue error;
    if (!boolOf(e.scalar(*call.children[0]), b, error))
        return error;
    return CellValue::fromBoolean(!b);
}

// Rounds half away from zero after taking the value to 15 significant digits,
// so 2.675 rounds to 2.68 as it is shown.
// Scales by an exact power of ten in both directions: 10^-2 has no exact double,
// and 1234 * 0.01 rounded and divided by 0.01 gives 1199.9999999999998 in
// double arithmetic (extended-precision x87 hid that).
double roundTo(double x, double digits, int direction) {
    double places = std::trunc(digits);
    double power = std::pow(10.0, std::fabs(places));
    bool toTens = places < 0;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", toTens ? x / power : x * power);
    double scaled = std::strtod(buffer, nullptr);
    double r;
    if (direction > 0)
        r = scaled < 0 ? -std::ceil(-scaled) : std::ceil(scaled);
    else if (direction < 0)
        r = std::trunc(scaled);
    else
        r = std::round(scaled);
    return toTens ? r * power : r / power;
}

CellValue roundWith(Evaluator& e, const FormulaNode& call, int direction) {
    if (!argCountIn(call, 1, 2))
        return valueError();
    double x, digits = 0;
    CellValue error;
    if (!numberArg(e, call, 0, x, error))
        return error;
    if (call.children.size() == 2 && !numberArg(e, call, 1, digits, error))
        return error;
    return numberResult(roundTo(x, digits, direction));
}

CellValue fnRound(Evaluator& e, const FormulaNode& call) {
    return roundWith(e, call, 0);
}
CellValue fnRoundUp(Evaluator& e, const FormulaNode& call) {
    return roundWith(e, call, 1);
}
CellValue fnRoundDown(Evaluator& e, const FormulaNode& call) {
    return roundWith(e, call, -1);
}

template <double (*F)(double)> CellValue unaryMath(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 1))
        return valueError();
    double x;
    CellValue error;
    if (!numberArg(e, call, 0, x, error))
        return error;
    return numberResult(F(x));
}

int asciiLower(int c) {
    return std::tolower(c);
}
int asciiUpper(int c) {
    return std::toupper(c);
}
double absOf(double x) {
    return std::fabs(x);
}
double intOf(double x) {
    return std::floor(x);
}
double signOf(double x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}
double sqrtOf(double x) {
    return x < 0 ? NAN : std::sqrt(x);
}
double expOf(double x) {
    return std::exp(x);
}
double lnOf(double x) {
    return x <= 0 ? NAN : std::log(x);
}
double log10Of(double x) {
    return x <= 0 ? NAN : std::log10(x);
}

CellValue fnMod(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 2, 2))
        return valueError();
    double n, d;
    CellValue error;
    if (!numberArg(e, call, 0, n, error) || !numberArg(e, call, 1, d, error))
        return error;
    if (d == 0)
        return CellValue::fromError(ErrorCode::Div0);
    return numberResult(n - d * std::floor(n / d));
}

CellValue fnPower(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 2, 2))
        return valueError();
    double x, y;
    CellValue error;
    if (!numberArg(e, call, 0, x, error) || !numberArg(e, call, 1, y, error))
        return error;
    if (x == 0 && y <= 0)
        return CellValue::fromError(y == 0 ? ErrorCode::Num : ErrorCode::Div0);
    if (x < 0 && y != std::floor(y))
        return CellValue::fromError(ErrorCode::Num);
    return numberResult(std::pow(x, y));
}

CellValue fnPi(Evaluator&, const FormulaNode& call) {
    if (!call.children.empty())
        return valueError();
    return CellValue::fromNumber(3.14159265358979);
}

// Texts are UTF-8; the text functions count characters, not bytes.
std::vector<size_t> characterStarts(const std::string& s) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    return starts;
}

std::string characterSlice(const std::string& s, size_t from, size_t count) {
    std::vector<size_t> starts = characterStarts(s);
    if (from >= starts.size())
        return {};
    size_t end = from + count >= starts.size() ? s.size() : starts[from + count];
    return s.substr(starts[from], end - starts[from]);
}

CellValue fnConcatenate(Evaluator& e, const FormulaNode& call) {
    std::string text;
    CellValue error;
    for (size_t i = 0; i < call.children.size(); ++i) {
        std::string part;
        if (!textArg(e, call, i, part, error))
            return error;
        text += part;
    }
    if (text.size() > 32767)
        return valueError();
    return CellValue::fromText(std::move(text));
}

CellValue fnLen(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 1))
        return valueError();
    std::string text;
    CellValue error;
    if (!textArg(e, call, 0, text, error))
        return error;
    return CellValue::fromNumber(static_cast<double>(characterStarts(text).size()));
}

// LEFT and RIGHT: (text, [count = 1]).
CellValue leftOrRight(Evaluator& e, const FormulaNode& call, bool left) {
    if (!argCountIn(call, 1, 2))
        return valueError();
    std::string text;
    double count = 1;
    CellValue error;
    if (!textArg(e, call, 0, text, error))
        return error;
    if (call.children.size() == 2 && !numberArg(e, call, 1, count, error))
        return error;
    if (count < 0)
        return valueError();
    size_t length = characterStarts(text).size();
    size_t n = static_cast<size_t>(std::min<double>(std::floor(count), length));
    return CellValue::fromText(left ? characterSlice(text, 0, n)
                                    : characterSlice(text, length - n, n));
}

CellValue fnLeft(Evaluator& e, const FormulaNode& call) {
    return leftOrRight(e, call, true);
}
CellValue fnRight(Evaluator& e, const FormulaNode& call) {
    return leftOrRight(e, call, false);
}

CellValue fnMid(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 3, 3))
        return valueError();
    std::string text;
    double start, count;
    CellValue error;
    if (!textArg(e, call, 0, text, error) || !numberArg(e, call, 1, start, error) ||
        !numberArg(e, call, 2, count, error))
        return error;
    if (start < 1 || count < 0)
        return valueError();
    double length = static_cast<double>(characterStarts(text).size());
    if (start > length)
        return CellValue::fromText("");
    return CellValue::fromText(characterSlice(text, static_cast<size_t>(start) - 1,
                                              static_cast<size_t>(std::min(count, length))));
}

template <int (*F)(int)> CellValue changeCase(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 1))
        return valueError();
    std::string text;
    CellValue error;
    if (!textArg(e, call, 0, text, error))
        return error;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x80)
            c = static_cast<char>(F(static_cast<unsigned char>(c)));
    }
    return CellValue::fromText(std::move(text));
}

CellValue fnTrim(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 1))
        return valueError();
    std::string text, out;
    CellValue error;
    if (!textArg(e, call, 0, text, error))
        return error;
    // Leading and trailing spaces go; runs of inner spaces become one.
    for (char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return CellValue::fromText(std::move(out));
}

CellValue fnNow(Evaluator& e, const FormulaNode& call) {
    if (!call.children.empty())
        return valueError();
    return CellValue::fromNumber(e.now());
}

CellValue fnToday(Evaluator& e, const FormulaNode& call) {
    if (!call.children.empty())
        return valueError();
    return CellValue::fromNumber(std::floor(e.now()));
}

CellValue fnDate(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 3, 3))
        return valueError();
    double y, m, d;
    CellValue error;
    if (!numberArg(e, call, 0, y, error) || !numberArg(e, call, 1, m, error) ||
        !numberArg(e, call, 2, d, error))
        return error;
    y = std::trunc(y);
    if (y < 0 || y >= 10000)
        return CellValue::fromError(ErrorCode::Num);
    if (y < 1900)
        y += 1900;
    double serial = serialFromDate(y, std::trunc(m), std::trunc(d));
    if (serial < 0 || serial > 2958465)
        return CellValue::fromError(ErrorCode::Num);
    return CellValue::fromNumber(serial);
}

CellValue fnNa(Evaluator&, const FormulaNode&) {
    return CellValue::fromError(ErrorCode::NA);
}

CellValue fnIsError(Evaluator& e, const FormulaNode& call) {
    if (!argCountIn(call, 1, 1))
        return valueError();
    return CellValue::fromBoolean(e.scalar(*call.children[0]).isError());
}

const std::map<std::string, FunctionImpl>& functionTable() {
    static const std::map<std::string, FunctionImpl> table = {
        {"ABS", unaryMath<absOf>},
        {"AND", fnAnd},
        {"AVERAGE", fnAverage},
        {"CONCATENATE", fnConcatenate},
        {"COUNT", fnCount},
        {"COUNTA", fnCountA},
        {"DATE", fnDate},
        {"EXP", unaryMath<expOf>},
        {"IF", fnIf},
        {"INT", unaryMath<intOf>},
        {"ISERROR", fnIsError},
        {"LEFT", fnLeft},
        {"LEN", fnLen},
        {"LN", unaryMath<lnOf>},
        {"LOG10", unaryMath<log10Of>},
        {"LOWER", changeCase<asciiLower>},
        {"MAX", fnMax},
        {"MID", fnMid},
        {"MIN", fnMin},
        {"MOD", fnMod},
        {"NA", fnNa},
        {"NOT", fnNot},
        {"NOW", fnNow},
        {"OR", fnOr},
        {"PI", fnPi},
        {"POWER", fnPower},
        {"PRODUCT", fnProduct},
        {"RIGHT", fnRight},
        {"ROUND", fnRound},
        {"ROUNDDOWN", fnRoundDown},
        {"ROUNDUP", fnRoundUp},
        {"SIGN", unaryMath<signOf>},
        {"SQRT", unaryMath<sqrtOf>},
        {"SUM", fnSum},
        {"TODAY", fnToday},
        {"TRIM", fnTrim},
        {"UPPER", changeCase<asciiUpper>},
    };
    return table;
}

} // namespace

FunctionImpl findFunction(const std::string& name) {
    const auto& table = functionTable();
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second;
}

bool takesArgumentsWhole(const std::string& name) {
    static const char* const whole[] = {"AND", "AVERAGE", "COUNT",   "COUNTA", "MAX",
                                        "MIN", "OR",      "PRODUCT", "SUM"};
    return std::find(std::begin(whole), std::end(whole), name) != std::end(whole);
}

std::vector<std::string> supportedFunctions() {
    std::vector<std::string> names;
    for (const auto& entry : functionTable())
        names.push_back(entry.first);
    return names;
}

} // namespace spreadsheet
