#pragma once
// Points in time as days since 30 December 1899 with the time of day as the fraction.
#include "rtl/Types.h"

using TDateTime = double;

// Local time now.
TDateTime Now();
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// Format letters (any case): yyyy, yy, m, mm (month, or minutes right after an hour), d,
// dd, h, hh, n, nn, s, ss, z, zzz; text in quotes is copied, as is every other character.
// FormatDateTime("yymmdd_hhmmss_zzz", t) -> "240131_235959_042".
String FormatDateTime(const String& format, TDateTime value);
