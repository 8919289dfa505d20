#pragma once
// Text routines. Comparisons without regard to case fold ASCII letters only.
#include "rtl/Types.h"

// Byte-wise comparison: negative, zero or positive, as the bytes (unsigned) decide.
int CompareStr(const String& a, const String& b);
int CompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);
// Whether the text sorts after a single blank in the byte-wise order: false for "" and " "
// (and for text starting with a control character), true for "0", "  " or "x". It is how a
// number field is taken as given.
bool SortsAfterBlank(const String& text);

String Trim(const String& text); // blanks and control characters at both ends
String TrimLeft(const String& text);
String TrimRight(const String& text);
String UpperCase(const String& text); // ASCII letters
String LowerCase(const String& text);
// 1-based position of sub in text, 0 when absent.
int Pos(const String& sub, const String& text);
// 1-based, as the program's code counts; out-of-range parts are cut, never read.
String Copy(const String& text, int index, int count);
String StringReplaceAll(const String& text, const String& from, const String& to);
bool IsValidIdent(const String& text);
