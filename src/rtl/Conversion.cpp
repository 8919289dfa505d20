#include "rtl/Conversion.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <langinfo.h>
#include <limits>
#include <locale.h>
#include <mutex>

namespace {

std::mutex settingsMutex;
TFormatSettings settings;
bool settingsRead = false;

bool ReadLocale(const String& name, TFormatSettings& out) {
    locale_t loc = ::newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return false;
    const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
    out.DecimalSeparator = radix && *radix ? radix : ".";
    ::freelocale(loc);
    return true;
}

void EnsureSettings() {
    if (settingsRead) return;
    settingsRead = true;
    if (!ReadLocale("", settings)) settings = TFormatSettings{};
}

String Separator() {
    return FormatSettings().DecimalSeparator;
}

[[noreturn]] void NotAnInteger(const String& text) {
    throw EConvertError("'" + text + "' is not a valid integer value");
}

[[noreturn]] void NotAFloat(const String& text) {
    throw EConvertError("'" + text + "' is not a valid floating point value");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses into value, which must fit in `bits` (32 or 64) bits.
bool ParseInteger(const String& text, int bits, Int64& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return false;
    const std::uint64_t hexLimit = bits == 32 ? 0xFFFFFFFFull : ~0ull;
    const std::uint64_t decLimit = (std::uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
    const std::uint64_t limit = hex ? hexLimit : decLimit;
    const unsigned base = hex ? 16 : 10;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0) return false;
        if (magnitude > (limit - static_cast<unsigned>(d)) / base) return false;
        magnitude = magnitude * base + static_cast<unsigned>(d);
    }
    Int64 signedValue;
    if (hex) {
        // Hexadecimal gives the bit pattern of the value.
        signedValue = bits == 32 ? static_cast<Int64>(static_cast<std::int32_t>(
                                       static_cast<std::uint32_t>(magnitude)))
                                 : static_cast<Int64>(magnitude);
        if (negative) {
            if (signedValue == std::numeric_limits<Int64>::min()) return false;
            signedValue = -signedValue;
            if (bits == 32 && signedValue > std::numeric_limits<std::int32_t>::max()) return false;
        }
    } else if (negative) {
        signedValue = magnitude == (std::uint64_t{1} << 63) ? std::numeric_limits<Int64>::min()
                                                            : -static_cast<Int64>(magnitude);
    } else {
        signedValue = static_cast<Int64>(magnitude);
    }
    value = signedValue;
    return true;
}

// The value as `precision` significant decimal digits (no trailing zeros removed) and the
// exponent of the first digit: value = 0.d1d2... * 10^(exponent + 1).
struct Decimal {
    bool negative = false;
    String digits;
    int exponent = 0;
};

Decimal ToDecimal(double value, int precision) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0) {
        d.digits = String(static_cast<size_t>(precision), '0');
        return d;
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific, precision - 1);
    String text(buffer, result.ptr);
    size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.') d.digits += text[i];
    d.exponent = std::atoi(text.c_str() + e + 1);
    return d;
}

int ClampPrecision(int precision) {
    return precision < 1 ? 1 : precision > 17 ? 17 : precision;
}

// Keeps `kept` leading digits, rounding the rest half away from zero; may add a digit.
void RoundDigits(Decimal& d, int kept) {
    if (kept >= static_cast<int>(d.digits.size())) return;
    if (kept < 0) {
        d.digits = "0";
        return;
    }
    bool up = d.digits[static_cast<size_t>(kept)] >= '5';
    d.digits.resize(static_cast<size_t>(kept));
    if (!up) return;
    int i = kept - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9')
        d.digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
        ++d.digits[static_cast<size_t>(i)];
    } else {
        d.digits.insert(d.digits.begin(), '1');
        ++d.exponent;
    }
}

String Special(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Fixed notation with exactly `decimals` digits after the separator; `minDecimals` of them
// kept even when they are trailing zeros, `minIntegers` integer digits at least.
String Fixed(double value, int precision, int decimals, int minDecimals, int minIntegers,
             const String& separator) {
    Decimal d = ToDecimal(value, precision);
    RoundDigits(d, d.exponent + 1 + decimals);
    // Digit k of the number (k = 0 the first integer digit of a number below 10) lies at
    // digits[k + ...]: integer digits are those with position <= exponent.
    String integer, fraction;
    int count = static_cast<int>(d.digits.size());
    for (int pos = d.exponent; pos >= 0; --pos) {
        int index = d.exponent - pos;
        integer += index < count ? d.digits[static_cast<size_t>(index)] : '0';
    }
    for (int k = 1; k <= decimals; ++k) {
        int index = d.exponent + k;
        fraction += index >= 0 && index < count ? d.digits[static_cast<size_t>(index)] : '0';
    }
    while (static_cast<int>(fraction.size()) > minDecimals && !fraction.empty() &&
           fraction.back() == '0')
        fraction.pop_back();
    size_t lead = 0;
    while (lead < integer.size() && integer[lead] == '0')
        ++lead;
    integer.erase(0, lead);
    while (static_cast<int>(integer.size()) < minIntegers)
        integer.insert(integer.begin(), '0');
    bool zero = integer.find_first_not_of('0') == String::npos &&
                fraction.find_first_not_of('0') == String::npos;
    String text = (d.negative && !zero) ? "-" : "";
    text += integer;
    if (!fraction.empty()) text += separator + fraction;
    return text;
}

String General(double value, int precision, const String& separator) {
    if (value == 0) return "0";
    Decimal d = ToDecimal(value, precision);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    String text = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent < -4 || d.exponent >= precision) {
        text += d.digits[0];
        if (n > 1) text += separator + d.digits.substr(1);
        text += "E" + std::to_string(d.exponent);
        return text;
    }
    if (d.exponent >= 0) {
        for (int i = 0; i <= d.exponent; ++i)
            text += i < n ? d.digits[static_cast<size_t>(i)] : '0';
        if (n > d.exponent + 1)
            text += separator + d.digits.substr(static_cast<size_t>(d.exponent + 1));
    } else {
        text += "0" + separator + String(static_cast<size_t>(-d.exponent - 1), '0') + d.digits;
    }
    return text;
}

} // namespace

TFormatSettings FormatSettings() {
    std::lock_guard<std::mutex> guard(settingsMutex);
    EnsureSettings();
    return settings;
}

bool LoadFormatSettings(const String& localeName) {
    TFormatSettings read;
    if (!ReadLocale(localeName, read)) return false;
    std::lock_guard<std::mutex> guard(settingsMutex);
    settings = read;
    settingsRead = true;
    return true;
}

void SetFormatSettings(const TFormatSettings& value) {
    std::lock_guard<std::mutex> guard(settingsMutex);
    settings = value;
    settingsRead = true;
}

String IntToStr(Int64 value) {
    return std::to_string(value);
}

String IntToHex(Int64 value, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    auto bits = static_cast<std::uint64_t>(value);
    String text;
    do {
        text.insert(text.begin(), kHex[bits & 15]);
        bits >>= 4;
    } while (bits);
    while (static_cast<int>(text.size()) < digits)
        text.insert(text.begin(), '0');
    return text;
}

bool TryStrToInt64(const String& text, Int64& value) {
    return ParseInteger(text, 64, value);
}

bool TryStrToInt(const String& text, int& value) {
    Int64 v;
    if (!ParseInteger(text, 32, v)) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const String& text) {
    int v;
    if (!TryStrToInt(text, v)) NotAnInteger(text);
    return v;
}

Int64 StrToInt64(const String& text) {
    Int64 v;
    if (!TryStrToInt64(text, v)) NotAnInteger(text);
    return v;
}

int StrToIntDef(const String& text, int fallback) {
    int v;
    return TryStrToInt(text, v) ? v : fallback;
}

bool TryStrToFloat(const String& text, double& value) {
    const String separator = Separator();
    size_t i = 0, end = text.size();
    while (i < end && text[i] == ' ')
        ++i;
    while (end > i && text[end - 1] == ' ')
        --end;
    // Rebuild the number in the form from_chars reads, whatever the locale's separator.
    String plain;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    size_t digits = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9')
        plain += text[i++], ++digits;
    if (i < end && text.compare(i, separator.size(), separator) == 0) {
        plain += '.';
        i += separator.size();
        while (i < end && text[i] >= '0' && text[i] <= '9')
            plain += text[i++], ++digits;
    }
    if (digits == 0) return false;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        size_t expDigits = 0;
        while (i < end && text[i] >= '0' && text[i] <= '9')
            plain += text[i++], ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != end) return false;
    double v = 0;
    auto result = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return false;
    value = v;
    return true;
}

double StrToFloat(const String& text) {
    double v;
    if (!TryStrToFloat(text, v)) NotAFloat(text);
    return v;
}

double StrToFloatDef(const String& text, double fallback) {
    double v;
    return TryStrToFloat(text, v) ? v : fallback;
}

String FloatToStr(double value) {
    return FloatToStrF(value, ffGeneral, 15, 0);
}

String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    if (!std::isfinite(value)) return Special(value);
    precision = ClampPrecision(precision);
    digits = digits < 0 ? 0 : digits > 18 ? 18 : digits;
    const String separator = Separator();
    switch (format) {
    case ffGeneral:
        return General(value, precision, separator);
    case ffExponent: {
        Decimal d = ToDecimal(value, precision);
        if (value == 0) d.exponent = 0;
        String text = d.negative && value != 0 ? "-" : "";
        text += d.digits.substr(0, 1);
        if (d.digits.size() > 1) text += separator + d.digits.substr(1);
        String exp = std::to_string(d.exponent < 0 ? -d.exponent : d.exponent);
        while (static_cast<int>(exp.size()) < digits)
            exp.insert(exp.begin(), '0');
        return text + "E" + (d.exponent < 0 ? "-" : "+") + exp;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency:
        return Fixed(value, precision, digits, digits, 1, separator);
    }
    return General(value, precision, separator);
}

String FormatFloat(const String& format, double value) {
    if (!std::isfinite(value)) return Special(value);
    // Split the picture into literal text before, the digit placeholders, and text after.
    String prefix, suffix;
    int minIntegers = 0, decimals = 0, minDecimals = 0;
    bool inFraction = false, seenPlaceholder = false;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '"' || c == '\'') {
            size_t close = format.find(c, i + 1);
            String quoted =
                format.substr(i + 1, close == String::npos ? String::npos : close - i - 1);
            (seenPlaceholder ? suffix : prefix) += quoted;
            if (close == String::npos) break;
            i = close;
        } else if (c == '0' || c == '#') {
            if (!suffix.empty()) continue; // placeholders after trailing text are ignored
            seenPlaceholder = true;
            if (inFraction) {
                ++decimals;
                if (c == '0') minDecimals = decimals;
            } else if (c == '0') {
                ++minIntegers;
            }
        } else if (c == '.' && !inFraction && suffix.empty()) {
            inFraction = true;
            seenPlaceholder = true;
        } else if (c == ',' && seenPlaceholder && suffix.empty()) {
            // Grouping is not done; the comma is part of the picture, not of the text.
        } else {
            (seenPlaceholder ? suffix : prefix) += c;
        }
    }
    if (!seenPlaceholder) return prefix + suffix;
    String number = Fixed(value, 15, decimals, minDecimals, minIntegers, Separator());
    bool negative = !number.empty() && number[0] == '-';
    if (negative) number.erase(0, 1);
    return (negative ? "-" : "") + prefix + number + suffix;
}
