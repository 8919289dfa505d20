#include "rtl/Text.h"

#include <algorithm>
#include <cstring>

namespace {

unsigned char Fold(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

bool IsTrimmed(unsigned char c) {
    return c <= ' ';
}

} // namespace

int CompareStr(const String& a, const String& b) {
    size_t n = std::min(a.size(), b.size());
    int r = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (r != 0) return r;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int CompareText(const String& a, const String& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int d = Fold(static_cast<unsigned char>(a[i])) - Fold(static_cast<unsigned char>(b[i]));
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(const String& a, const String& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

bool SortsAfterBlank(const String& text) {
    return CompareStr(text, " ") > 0;
}

String TrimLeft(const String& text) {
    size_t i = 0;
    while (i < text.size() && IsTrimmed(static_cast<unsigned char>(text[i])))
        ++i;
    return text.substr(i);
}

String TrimRight(const String& text) {
    size_t n = text.size();
    while (n > 0 && IsTrimmed(static_cast<unsigned char>(text[n - 1])))
        --n;
    return text.substr(0, n);
}

String Trim(const String& text) {
    return TrimLeft(TrimRight(text));
}

String UpperCase(const String& text) {
    String r = text;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

String LowerCase(const String& text) {
    String r = text;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

int Pos(const String& sub, const String& text) {
    if (sub.empty()) return 0;
    size_t at = text.find(sub);
    return at == String::npos ? 0 : static_cast<int>(at) + 1;
}

String Copy(const String& text, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<size_t>(index) > text.size()) return String();
    return text.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

String StringReplaceAll(const String& text, const String& from, const String& to) {
    if (from.empty()) return text;
    String r;
    size_t at = 0;
    for (;;) {
        size_t next = text.find(from, at);
        if (next == String::npos) break;
        r.append(text, at, next - at);
        r += to;
        at = next + from.size();
    }
    r.append(text, at, String::npos);
    return r;
}

bool IsValidIdent(const String& text) {
    if (text.empty()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}
