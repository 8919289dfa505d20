#pragma once
// Numbers to text and back. Floating-point text uses the decimal separator of the user's
// numeric locale (LC_NUMERIC, as the environment gives it), as the system's regional setting
// does; integers never carry group separators.
#include "rtl/Exception.h"
#include "rtl/Types.h"

struct TFormatSettings {
    String DecimalSeparator = ".";
};

// The settings in use (a copy), read from the environment's LC_NUMERIC on first use.
TFormatSettings FormatSettings();
// Reads the settings again from the named locale ("" means the environment's). Returns false,
// and keeps the settings, when the locale is not installed.
bool LoadFormatSettings(const String& localeName = "");
void SetFormatSettings(const TFormatSettings& settings);

String IntToStr(Int64 value);
String IntToHex(Int64 value, int digits);

// Decimal with an optional sign, or hexadecimal after "$" or "0x". Leading blanks are
// skipped; anything else, or a value out of range, raises EConvertError
// "'text' is not a valid integer value". Hexadecimal text may give the full 32 (64) bits, so
// "$FFFFFFFF" is -1.
int StrToInt(const String& text);
Int64 StrToInt64(const String& text);
int StrToIntDef(const String& text, int fallback);
bool TryStrToInt(const String& text, int& value);
bool TryStrToInt64(const String& text, Int64& value);

// A decimal number with the locale's decimal separator and an optional exponent; blanks
// around it are allowed. Else EConvertError "'text' is not a valid floating point value".
double StrToFloat(const String& text);
double StrToFloatDef(const String& text, double fallback);
bool TryStrToFloat(const String& text, double& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// The general format: the shortest text for the value at 15 significant digits, in fixed
// notation unless the exponent is below -4 or not below 15 ("1E20", "1.5E-7").
// 12.5 -> "12.5", 0 -> "0", 10/3 -> "3.33333333333333".
String FloatToStr(double value);
// ffGeneral as FloatToStr at the given precision; ffFixed with `digits` decimals after
// rounding to `precision` significant digits, halves away from zero (20/3 with 2 -> "6.67");
// ffNumber as ffFixed with thousands separators omitted; ffExponent as "1.2345E+003".
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Pictures of "0" (a digit always shown), "#" (a digit when significant) and one decimal
// point, e.g. "0.00" (12.5 -> "12.50") or "#.##"; other characters are copied.
String FormatFloat(const String& format, double value);
