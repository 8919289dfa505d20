#pragma once
// UTF-8, the one encoding of text throughout. Every reader follows one rule: a byte that does
// not begin a well-formed sequence (a stray continuation byte, a cut-short, overlong or
// surrogate sequence, anything past U+10FFFF) is one character, U+FFFD.
#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t codePoint = kReplacement;
    std::size_t length = 1; // bytes, at least 1
};

// The character that starts at byte i (i < s.size()).
inline Decoded DecodeAt(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) return Decoded{lead, 1};
    const int extra = (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) return Decoded{};
    char32_t cp = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((next >> 6) != 2) return Decoded{};
        cp = (cp << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return Decoded{};
    return Decoded{cp, static_cast<std::size_t>(extra) + 1};
}

// The start of the character that holds byte i; i itself at or past the end.
inline std::size_t StartOf(std::string_view s, std::size_t i) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) >> 6) != 2) return i;
    // Only a well-formed sequence spans several bytes, and it starts with a lead byte.
    for (std::size_t back = 1; back <= 3 && back <= i; ++back) {
        const auto b = static_cast<unsigned char>(s[i - back]);
        if ((b >> 6) == 2) continue; // a continuation byte: look further back
        return DecodeAt(s, i - back).length > back ? i - back : i;
    }
    return i;
}

// The byte after the character at i; s.size() at the end.
inline std::size_t Next(std::string_view s, std::size_t i) {
    return i >= s.size() ? s.size() : i + DecodeAt(s, i).length;
}

// The start of the character before i (i on a character boundary); 0 at the start.
inline std::size_t Previous(std::string_view s, std::size_t i) {
    if (i == 0) return 0;
    if (i > s.size()) return s.size();
    return StartOf(s, i - 1);
}

inline std::u32string Decode(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = DecodeAt(s, i);
        out.push_back(d.codePoint);
        i += d.length;
    }
    return out;
}

// Appends the encoding of cp; a code point past U+10FFFF or a surrogate appends U+FFFD.
inline void Append(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

inline std::string Encode(char32_t cp) {
    std::string out;
    Append(out, cp);
    return out;
}

} // namespace utf8
