// DrawText: lines, word wrapping, tabs, alignment and accelerator prefixes.
#include "platform/gdi/Font.h"

#include "platform/Utf8.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/internal/Paint.h"
#include "platform/gdi/internal/Text.h"

#include <algorithm>
#include <cstring>

using namespace gdi;

namespace {

struct Line {
    std::u32string text;
    std::vector<int> advances; // per character (tabs expanded)
    int underline = -1;        // index of the character the prefix marks
    int width = 0;
};

struct Laid {
    std::vector<Line> lines;
    int maxWidth = 0;
};

// Removes the prefix marks: "&x" marks x, "&&" is a plain "&", a lone trailing "&" goes.
std::u32string stripPrefixes(const std::u32string& in, int& marked) {
    std::u32string out;
    marked = -1;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == U'&') {
            if (i + 1 >= in.size()) break;
            ++i;
            if (in[i] != U'&') marked = static_cast<int>(out.size());
        }
        out.push_back(in[i]);
    }
    return out;
}

void measure(FontFace& face, Line& line, int tabWidth, int startX) {
    line.advances.resize(line.text.size());
    int x = startX;
    for (std::size_t i = 0; i < line.text.size(); ++i) {
        int a;
        if (line.text[i] == U'\t' && tabWidth > 0)
            a = (x / tabWidth + 1) * tabWidth - x;
        else
            a = face.advance(line.text[i]);
        line.advances[i] = a;
        x += a;
    }
    line.width = x - startX;
}

Line slice(const Line& src, std::size_t from, std::size_t to) {
    Line l;
    l.text = src.text.substr(from, to - from);
    l.advances.assign(src.advances.begin() + static_cast<std::ptrdiff_t>(from),
                      src.advances.begin() + static_cast<std::ptrdiff_t>(to));
    for (int a : l.advances)
        l.width += a;
    if (src.underline >= static_cast<int>(from) && src.underline < static_cast<int>(to))
        l.underline = src.underline - static_cast<int>(from);
    return l;
}

bool isSpace(char32_t c) {
    return c == U' ' || c == U'\t';
}

// Breaks one paragraph into lines no wider than width, at spaces; a word wider than the
// line stands alone on its line.
void wrap(const Line& para, int width, std::vector<Line>& out) {
    std::size_t n = para.text.size(), start = 0;
    if (n == 0) {
        out.push_back(para);
        return;
    }
    while (start < n) {
        int w = 0;
        std::size_t i = start, lastBreak = std::string::npos;
        while (i < n) {
            if (isSpace(para.text[i])) lastBreak = i;
            if (w + para.advances[i] > width && i > start && !isSpace(para.text[i])) break;
            w += para.advances[i];
            ++i;
        }
        std::size_t end = i;
        std::size_t next = i;
        if (i < n && lastBreak != std::string::npos && lastBreak > start) {
            end = lastBreak;
            next = lastBreak;
        } else if (i < n) {
            // One long word: carry on to its end.
            while (end < n && !isSpace(para.text[end]))
                ++end;
            next = end;
        }
        // Spaces at the break belong to no line.
        std::size_t trimmed = end;
        while (trimmed > start && isSpace(para.text[trimmed - 1]))
            --trimmed;
        out.push_back(slice(para, start, trimmed));
        while (next < n && isSpace(para.text[next]))
            ++next;
        start = next;
    }
}

void ellipsize(FontFace& face, Line& line, int width) {
    if (line.width <= width) return;
    const std::u32string dots = U"...";
    int dotsWidth = runWidth(face, dots);
    while (!line.text.empty() && line.width + dotsWidth > width) {
        line.width -= line.advances.back();
        line.text.pop_back();
        line.advances.pop_back();
    }
    if (line.underline >= static_cast<int>(line.text.size())) line.underline = -1;
    for (char32_t c : dots) {
        line.text.push_back(c);
        line.advances.push_back(face.advance(c));
        line.width += line.advances.back();
    }
}

Laid layout(FontFace& face, const std::u32string& text, const RECT& rect, UINT format,
            int tabWidth) {
    Laid laid;
    bool single = format & DT_SINGLELINE;
    std::vector<std::u32string> paragraphs;
    if (single) {
        std::u32string s;
        for (char32_t c : text)
            if (c != U'\r' && c != U'\n') s.push_back(c);
        paragraphs.push_back(s);
    } else {
        std::u32string cur;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c == U'\r' || c == U'\n') {
                paragraphs.push_back(cur);
                cur.clear();
                if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
            } else {
                cur.push_back(c);
            }
        }
        paragraphs.push_back(cur);
    }
    int width = rect.right - rect.left;
    for (const std::u32string& p : paragraphs) {
        Line line;
        if (format & DT_NOPREFIX)
            line.text = p;
        else
            line.text = stripPrefixes(p, line.underline);
        measure(face, line, (format & DT_EXPANDTABS) ? tabWidth : 0, 0);
        if ((format & DT_WORDBREAK) && !single)
            wrap(line, width, laid.lines);
        else
            laid.lines.push_back(std::move(line));
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (Line& l : laid.lines)
            ellipsize(face, l, width);
    for (const Line& l : laid.lines)
        laid.maxWidth = std::max(laid.maxWidth, l.width);
    return laid;
}

} // namespace

int DrawText(HDC h, LPCSTR text, int length, RECT* rect, UINT format) {
    Target t;
    if (!rect || !resolveTarget(h, t)) return 0;
    auto face = faceOf(*t.dc);
    if (!face) return 0;
    std::size_t n = !text ? 0 : length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    std::u32string chars = utf8::Decode(std::string_view(text ? text : "", n));
    TEXTMETRIC tm;
    GetTextMetrics(h, &tm);
    int tabChars = (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8;
    if (format & DT_TABSTOP) format &= ~0xFF00u;
    int tabWidth = std::max(1, tabChars) * tm.tmAveCharWidth;
    Laid laid = layout(*face, chars, *rect, format, tabWidth);
    int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    int total = lineHeight * static_cast<int>(laid.lines.size());
    if (format & DT_CALCRECT) {
        rect->right = rect->left + laid.maxWidth;
        rect->bottom = rect->top + total;
        return total;
    }
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (rect->bottom - rect->top - total) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - total;
    }
    if (!t.drawable()) return total;
    const DcObj& dc = *t.dc;
    RECT devClip{dc.toDevX(rect->left), dc.toDevY(rect->top), dc.toDevX(rect->right),
                 dc.toDevY(rect->bottom)};
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : &devClip;
    Pattern bk = solidPattern(t, colorPx(dc, dc.state.bkColor));
    bool drawText = !(format & DT_PREFIXONLY);
    bool drawMark = !(format & (DT_HIDEPREFIX | DT_NOPREFIX));
    int y = top;
    for (const Line& line : laid.lines) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rect->right - rect->left - line.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - line.width;
        int devX = dc.toDevX(x), devTop = dc.toDevY(y);
        int baseline = devTop + face->ascent;
        if (dc.state.bkMode == OPAQUE && drawText) {
            RegionData cell(RECT{devX, devTop, devX + line.width, devTop + lineHeight});
            if (clip) cell = RegionData::combine(cell, RegionData(*clip), RegionData::Op::And);
            paintShape(t, cell, bk, 0xF0);
        }
        if (drawText) {
            // Tabs draw nothing; the advances place what follows them.
            drawRun(t, *face, devX, baseline, line.text, line.advances.data(), clip);
        }
        if (drawMark && line.underline >= 0) {
            int ux = devX;
            for (int i = 0; i < line.underline; ++i)
                ux += line.advances[i];
            drawBar(t, ux, ux + line.advances[line.underline], baseline + face->underlinePosition,
                    face->lineThickness, clip);
        }
        y += lineHeight;
    }
    return total;
}
