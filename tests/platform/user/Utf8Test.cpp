#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every character boundary of s, walking forwards with Next.
std::vector<std::size_t> ForwardBoundaries(const std::string& s) {
    std::vector<std::size_t> out{0};
    for (std::size_t i = 0; i < s.size();)
        out.push_back(i = utf8::Next(s, i));
    return out;
}

} // namespace

TEST(Utf8, DecodesWellFormedTextAndTurnsEachBadByteIntoOneReplacement) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u32string expected;
    };
    const char32_t R = utf8::kReplacement;
    const Case cases[] = {
        {"ascii", "Ab", U"Ab"},
        {"two to four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", U"\u00E9\u20AC\U0001F600"},
        {"stray continuation",
         "a\x80"
         "b",
         {U'a', R, U'b'}},
        {"cut short at the end", "a\xE2\x82", {U'a', R, R}},
        {"cut short by a new lead",
         "\xE2\x82"
         "A",
         {R, R, U'A'}},
        {"overlong slash", "\xC0\xAF", {R, R}},
        {"overlong three bytes", "\xE0\x80\xAF", {R, R, R}},
        {"surrogate", "\xED\xA0\x80", {R, R, R}},
        {"past U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
        {"never a lead", "\xFF\xFE", {R, R}},
        {"largest", "\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8::Decode(c.bytes), c.expected);
        // Walking forwards and backwards meets the same boundaries, one per character.
        const std::vector<std::size_t> forward = ForwardBoundaries(c.bytes);
        EXPECT_EQ(forward.size(), c.expected.size() + 1);
        std::vector<std::size_t> backward{c.bytes.size()};
        for (std::size_t i = c.bytes.size(); i > 0;)
            backward.insert(backward.begin(), i = utf8::Previous(c.bytes, i));
        EXPECT_EQ(backward, forward);
        // Every byte belongs to the character that starts at the boundary before it.
        for (std::size_t b = 1; b < forward.size(); ++b)
            for (std::size_t i = forward[b - 1]; i < forward[b]; ++i)
                EXPECT_EQ(utf8::StartOf(c.bytes, i), forward[b - 1]) << "byte " << i;
    }
}

TEST(Utf8, EncodingRoundTripsAndReplacesWhatCannotBeEncoded) {
    for (char32_t cp : {U'\0', U'A', char32_t(0x7F), char32_t(0x80), char32_t(0x7FF),
                        char32_t(0x800), char32_t(0xFFFF), char32_t(0x10000), char32_t(0x10FFFF)}) {
        const std::string s = utf8::Encode(cp);
        ASSERT_FALSE(s.empty());
        const utf8::Decoded d = utf8::DecodeAt(s, 0);
        EXPECT_EQ(d.codePoint, cp);
        EXPECT_EQ(d.length, s.size());
    }
    EXPECT_EQ(utf8::Encode(0xD800), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8::Encode(0x110000), "\xEF\xBF\xBD");
}
