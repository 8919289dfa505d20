#include "GdiTestUtil.h"

#include <gtest/gtest.h>

using namespace gdi_test;

namespace {

HFONT font(const char* face, LONG height, LONG weight = FW_NORMAL) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
    return CreateFontIndirect(&lf);
}

// A white 32-bit canvas with black text in the given font, transparent background.
struct TextCanvas : Dib {
    HFONT f;
    HGDIOBJ old;
    TextCanvas(int w, int h, HFONT fnt) : Dib(w, h, 32), f(fnt) {
        fill(0xFFFFFF);
        old = SelectObject(dc, f);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    ~TextCanvas() {
        SelectObject(dc, old);
        DeleteObject(f);
    }
    int width(const char* s) {
        SIZE sz{};
        GetTextExtentPoint32(dc, s, -1, &sz);
        return sz.cx;
    }
    // Inked columns [first, last] and rows; -1 when blank.
    void inkBox(int& x0, int& x1, int& y0, int& y1) const {
        x0 = y0 = 1 << 30;
        x1 = y1 = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width_(); ++x)
                if (at(x, y) != 0xFFFFFF) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
    }
    int width_() const { return Dib::width; }
    int inkCount() const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < Dib::width; ++x)
                n += at(x, y) != 0xFFFFFF;
        return n;
    }
};

} // namespace

TEST(Fonts, NegativeHeightIsCharacterHeightPositiveIsCellHeight) {
    for (const char* face : {"MS Sans Serif", "Arial", "Tahoma", "Small Fonts"}) {
        TextCanvas c(10, 10, font(face, -11));
        TEXTMETRIC tm;
        ASSERT_TRUE(GetTextMetrics(c.dc, &tm)) << face;
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11) << face;
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent) << face;
        EXPECT_GT(tm.tmAveCharWidth, 2) << face;
        char name[64];
        EXPECT_GT(GetTextFace(c.dc, sizeof name, name), 0) << face;
        TextCanvas p(10, 10, font(face, 20));
        GetTextMetrics(p.dc, &tm);
        EXPECT_EQ(tm.tmHeight, 20) << face;
    }
}

TEST(Fonts, BoldIsHeavierAndExtentsAddUp) {
    TextCanvas n(10, 10, font("Tahoma", -13)), b(10, 10, font("Tahoma", -13, FW_BOLD));
    EXPECT_EQ(n.width("ab"), n.width("a") + n.width("b"));
    EXPECT_GE(b.width("Hello"), n.width("Hello"));
    TEXTMETRIC tm;
    GetTextMetrics(b.dc, &tm);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    SIZE sz{};
    EXPECT_TRUE(GetTextExtentPoint32(n.dc, "\xff\xfe\xc3", 3,
                                     &sz)); // broken UTF-8 is drawn as replacement marks
    EXPECT_GT(sz.cx, 0);
}

TEST(Text, AntiAliasedGlyphsInsideTheirCell) {
    TextCanvas c(60, 30, font("Arial", -20));
    ASSERT_TRUE(TextOut(c.dc, 5, 3, "Wo", -1));
    int x0, x1, y0, y1;
    c.inkBox(x0, x1, y0, y1);
    TEXTMETRIC tm;
    GetTextMetrics(c.dc, &tm);
    EXPECT_GE(x0, 5);
    EXPECT_LT(x1, 5 + c.width("Wo") + 2);
    EXPECT_GE(y0, 3);
    EXPECT_LT(y1, 3 + tm.tmHeight);
    bool grey = false, black = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            DWORD v = c.at(x, y);
            black |= v == 0;
            grey |= v != 0 && v != 0xFFFFFF && (v & 0xFF) == ((v >> 16) & 0xFF);
        }
    EXPECT_TRUE(black);
    EXPECT_TRUE(grey);
    // Opaque: the cell behind the text takes the background colour.
    TextCanvas o(60, 30, font("Arial", -20));
    SetBkMode(o.dc, OPAQUE);
    SetBkColor(o.dc, RGB(0, 0, 255));
    TextOut(o.dc, 0, 0, "Wo", -1);
    EXPECT_EQ(o.at(o.width("Wo") - 1, tm.tmHeight - 1), 0x0000FFu);
    EXPECT_EQ(o.at(o.width("Wo") + 1, 0), 0xFFFFFFu);
}

TEST(Text, ChineseCaptionsComeFromTheFallbackFace) {
    TextCanvas c(80, 30, font("Tahoma", -16));
    ASSERT_TRUE(TextOut(c.dc, 0, 0, "\xe4\xb8\xad\xe6\x96\x87", -1));
    EXPECT_GT(c.inkCount(), 40);
    EXPECT_GE(c.width("\xe4\xb8\xad\xe6\x96\x87"), 2 * 12);
}

TEST(DrawText, CalcRectWrapsAtSpacesAndMeasures) {
    TextCanvas c(200, 100, font("MS Sans Serif", -11));
    TEXTMETRIC tm;
    GetTextMetrics(c.dc, &tm);
    int two = c.width("aaa bbb");
    RECT r{10, 10, 10 + two, 10};
    int h = DrawText(c.dc, "aaa bbb ccc", -1, &r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 2 * tm.tmHeight);
    EXPECT_EQ(r, (RECT{10, 10, 10 + two, 10 + 2 * tm.tmHeight}));
    // A word wider than the rectangle stays whole and widens the result.
    RECT narrow{0, 0, 5, 0};
    DrawText(c.dc, "abcdef gh", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(narrow.right, c.width("abcdef"));
    EXPECT_EQ(narrow.bottom, 2 * tm.tmHeight);
    // Line breaks, and single line ignoring them.
    RECT lines{0, 0, 200, 0};
    EXPECT_EQ(DrawText(c.dc, "a\r\nb\nc", -1, &lines, DT_CALCRECT), 3 * tm.tmHeight);
    RECT one{0, 0, 200, 0};
    EXPECT_EQ(DrawText(c.dc, "a\r\nb", -1, &one, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    // Tabs expand to multiples of eight average widths.
    RECT tab{0, 0, 200, 0};
    DrawText(c.dc, "\tx", -1, &tab, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_EQ(tab.right, 8 * tm.tmAveCharWidth + c.width("x"));
    // Nothing drew while measuring.
    EXPECT_EQ(c.inkCount(), 0);
}

TEST(DrawText, AlignsHorizontallyAndVertically) {
    struct Case {
        UINT format;
        int expectLeft; // where the text box starts, from the rectangle's left
    };
    TextCanvas probe(10, 10, font("Arial", -14));
    int w = probe.width("X");
    TEXTMETRIC tm;
    GetTextMetrics(probe.dc, &tm);
    for (Case k : {Case{DT_LEFT, 0}, Case{DT_CENTER, (60 - w) / 2}, Case{DT_RIGHT, 60 - w}}) {
        TextCanvas c(80, 60, font("Arial", -14));
        RECT r{10, 5, 70, 55};
        DrawText(c.dc, "X", -1, &r, k.format | DT_SINGLELINE | DT_VCENTER);
        int x0, x1, y0, y1;
        c.inkBox(x0, x1, y0, y1);
        EXPECT_NEAR(x0, 10 + k.expectLeft, 2) << k.format;
        EXPECT_LE(x1, 10 + k.expectLeft + w) << k.format;
        int top = 5 + (50 - tm.tmHeight) / 2;
        EXPECT_GE(y0, top) << k.format;
        EXPECT_LT(y1, top + tm.tmHeight) << k.format;
    }
    TextCanvas b(40, 60, font("Arial", -14));
    RECT r{0, 0, 40, 60};
    DrawText(b.dc, "X", -1, &r, DT_SINGLELINE | DT_BOTTOM);
    int x0, x1, y0, y1;
    b.inkBox(x0, x1, y0, y1);
    EXPECT_GE(y0, 60 - tm.tmHeight);
}

TEST(DrawText, AmpersandMarksTheAcceleratorUnlessNoPrefix) {
    TextCanvas c(100, 30, font("MS Sans Serif", -11));
    auto calc = [&](const char* s, UINT f) {
        RECT r{0, 0, 100, 0};
        DrawText(c.dc, s, -1, &r, DT_CALCRECT | f);
        return r.right;
    };
    EXPECT_EQ(calc("&File", 0), c.width("File"));
    EXPECT_EQ(calc("a&&b", 0), c.width("a&b"));
    EXPECT_EQ(calc("&File", DT_NOPREFIX), c.width("&File"));
    // The marked character gets an underline: more ink than the plain text, and a row of
    // it below the baseline under the "F" only.
    TextCanvas plain(100, 30, font("MS Sans Serif", -11)),
        marked(100, 30, font("MS Sans Serif", -11));
    RECT r{0, 0, 100, 30};
    DrawText(plain.dc, "File", -1, &r, DT_SINGLELINE);
    DrawText(marked.dc, "&File", -1, &r, DT_SINGLELINE);
    EXPECT_GT(marked.inkCount(), plain.inkCount());
    TEXTMETRIC tm;
    GetTextMetrics(marked.dc, &tm);
    int wF = marked.width("F");
    bool underF = false, underRest = false;
    for (int y = tm.tmAscent; y < tm.tmHeight; ++y) {
        for (int x = 0; x < wF; ++x)
            underF |= marked.at(x, y) != plain.at(x, y);
        for (int x = wF + 1; x < 100; ++x)
            underRest |= marked.at(x, y) != plain.at(x, y);
    }
    EXPECT_TRUE(underF);
    EXPECT_FALSE(underRest);
}

TEST(DrawText, ClipsToItsRectangle) {
    TextCanvas c(60, 20, font("Arial", -16));
    RECT r{0, 0, 12, 20};
    DrawText(c.dc, "WWWWWW", -1, &r, DT_SINGLELINE);
    int x0, x1, y0, y1;
    c.inkBox(x0, x1, y0, y1);
    EXPECT_LT(x1, 12);
    TextCanvas n(60, 20, font("Arial", -16));
    DrawText(n.dc, "WWWWWW", -1, &r, DT_SINGLELINE | DT_NOCLIP);
    n.inkBox(x0, x1, y0, y1);
    EXPECT_GT(x1, 20);
}

TEST(Fonts, UnderlineItalicAndStrikeOutChangeTheInk) {
    struct Case {
        const char* name;
        BYTE italic, underline, strikeOut;
    };
    auto make = [](const Case& k) {
        LOGFONT lf;
        lf.lfHeight = -16;
        lf.lfItalic = k.italic;
        lf.lfUnderline = k.underline;
        lf.lfStrikeOut = k.strikeOut;
        std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
        return CreateFontIndirect(&lf);
    };
    TextCanvas plain(80, 24, make(Case{"plain", 0, 0, 0}));
    TextOut(plain.dc, 2, 2, "Hill", -1);
    int px0, px1, py0, py1;
    plain.inkBox(px0, px1, py0, py1);
    ASSERT_GE(px1, 0);
    for (const Case& k :
         {Case{"italic", 1, 0, 0}, Case{"underline", 0, 1, 0}, Case{"strike-out", 0, 0, 1}}) {
        TextCanvas c(80, 24, make(k));
        LOGFONT back;
        ASSERT_EQ(GetObject(c.f, sizeof back, &back), static_cast<int>(sizeof back)) << k.name;
        EXPECT_EQ(back.lfItalic, k.italic) << k.name;
        EXPECT_EQ(back.lfUnderline, k.underline) << k.name;
        TextOut(c.dc, 2, 2, "Hill", -1);
        int x0, x1, y0, y1;
        c.inkBox(x0, x1, y0, y1);
        // Each style inks what the plain text leaves blank.
        bool differs = false;
        for (int y = 0; y < 24 && !differs; ++y)
            for (int x = 0; x < 80 && !differs; ++x)
                differs = (c.at(x, y) == 0xFFFFFF) != (plain.at(x, y) == 0xFFFFFF);
        EXPECT_TRUE(differs) << k.name;
        TEXTMETRIC tm;
        GetTextMetrics(c.dc, &tm);
        EXPECT_EQ(tm.tmItalic, k.italic) << k.name;
        EXPECT_EQ(tm.tmUnderlined, k.underline) << k.name;
        if (k.underline) {
            // A bar under the baseline spanning the word, in the cell.
            EXPECT_GT(y1, 2 + tm.tmAscent - 1) << k.name;
            EXPECT_LT(y1, 2 + tm.tmHeight) << k.name;
            int bar = 0;
            for (int x = px0; x <= px1; ++x)
                bar += c.at(x, y1) != 0xFFFFFF;
            EXPECT_GE(bar, (px1 - px0 + 1) * 9 / 10) << k.name;
        }
        if (k.strikeOut) {
            // A bar through the letters: a row inside the ink box inked from end to end.
            bool through = false;
            for (int y = py0 + 1; y < py1 && !through; ++y) {
                int n = 0;
                for (int x = px0; x <= px1; ++x)
                    n += c.at(x, y) != 0xFFFFFF;
                through = n >= (px1 - px0 + 1) * 9 / 10;
            }
            EXPECT_TRUE(through) << k.name;
        }
    }
}
