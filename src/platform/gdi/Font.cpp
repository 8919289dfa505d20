#include "platform/gdi/Font.h"

#include "platform/Utf8.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/internal/Paint.h"
#include "platform/gdi/internal/Text.h"

#include <algorithm>
#include <cstring>

using namespace gdi;

namespace gdi {

std::shared_ptr<FontFace> faceOf(const DcObj& dc) {
    auto f = find<FontObj>(dc.state.font);
    if (!f) f = find<FontObj>(defaultFont());
    if (!f) return nullptr;
    if (!f->face) f->face = FontFace::forFont(f->log);
    return f->face;
}

int runWidth(FontFace& face, const std::u32string& text, const INT* dx) {
    int w = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        w += dx ? dx[i] : face.advance(text[i]);
    return w;
}

namespace {

RECT clipBox(const Target& t, const RECT* clip) {
    RECT b = t.clip->bounds();
    if (clip) {
        b.left = std::max(b.left, clip->left);
        b.top = std::max(b.top, clip->top);
        b.right = std::min(b.right, clip->right);
        b.bottom = std::min(b.bottom, clip->bottom);
    }
    return b;
}

void blendGlyph(Target& t, const Glyph& g, int gx, int gy, Px color, const RECT& box,
                Encoder& encoder) {
    const Surface& s = t.surface;
    int y0 = std::max(gy, static_cast<int>(box.top)),
        y1 = std::min(gy + g.height, static_cast<int>(box.bottom));
    int x0 = std::max(gx, static_cast<int>(box.left)),
        x1 = std::min(gx + g.width, static_cast<int>(box.right));
    if (x0 >= x1 || y0 >= y1) return;
    std::vector<Px> px(static_cast<std::size_t>(x1 - x0));
    const std::uint32_t cr = (color >> 16) & 0xFF, cg = (color >> 8) & 0xFF, cb = color & 0xFF;
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* cov = g.coverage.data() + static_cast<std::size_t>(y - gy) * g.width;
        t.clip->forSpans(y, x0, x1, [&](int a, int b) {
            int n = b - a;
            readPxRow(s, y, a, n, px.data());
            bool any = false;
            for (int i = 0; i < n; ++i) {
                std::uint32_t c = cov[a + i - gx];
                if (c == 0) continue;
                any = true;
                if (s.mono) c = c >= 128 ? 255 : 0;
                Px d = px[i];
                std::uint32_t r = ((d >> 16) & 0xFF) * (255 - c) + cr * c;
                std::uint32_t gg = ((d >> 8) & 0xFF) * (255 - c) + cg * c;
                std::uint32_t bb = (d & 0xFF) * (255 - c) + cb * c;
                px[i] = (((r + 127) / 255) << 16) | (((gg + 127) / 255) << 8) | ((bb + 127) / 255);
            }
            if (any) writePxRow(s, encoder, y, a, n, px.data());
        });
    }
}

} // namespace

void drawBar(Target& t, int x0, int x1, int y, int thickness, const RECT* clip) {
    if (!t.drawable() || x0 >= x1) return;
    RECT box = clipBox(t, clip);
    RECT bar{std::max(x0, static_cast<int>(box.left)), std::max(y, static_cast<int>(box.top)),
             std::min(x1, static_cast<int>(box.right)),
             std::min(y + thickness, static_cast<int>(box.bottom))};
    if (bar.left >= bar.right || bar.top >= bar.bottom) return;
    paintShape(t, RegionData(bar), solidPattern(t, colorPx(*t.dc, t.dc->state.textColor)), 0xF0);
}

void drawRun(Target& t, FontFace& face, int x, int baseline, const std::u32string& text,
             const INT* dx, const RECT* clip) {
    if (!t.drawable()) return;
    RECT box = clipBox(t, clip);
    Px color = colorPx(*t.dc, t.dc->state.textColor);
    Encoder encoder(t.surface);
    int pen = x;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph& g = face.glyph(text[i]);
        if (!g.coverage.empty())
            blendGlyph(t, g, pen + g.left, baseline - g.top, color, box, encoder);
        pen += dx ? dx[i] : g.advance;
    }
    if (face.underline)
        drawBar(t, x, pen, baseline + face.underlinePosition, face.lineThickness, clip);
    if (face.strikeOut) drawBar(t, x, pen, baseline - face.ascent / 3, face.lineThickness, clip);
}

} // namespace gdi

HFONT CreateFontIndirect(const LOGFONT* font) {
    if (!font) return 0;
    auto [h, f] = make<FontObj>();
    f->log = *font;
    f->log.lfFaceName[LF_FACESIZE - 1] = 0;
    return h;
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
    return CreateFontIndirect(&lf);
}

UINT SetTextAlign(HDC h, UINT align) {
    auto dc = find<DcObj>(h);
    if (!dc) return 0xFFFFFFFF; // GDI_ERROR
    UINT old = dc->state.textAlign;
    dc->state.textAlign = align;
    return old;
}

UINT GetTextAlign(HDC h) {
    auto dc = find<DcObj>(h);
    return dc ? dc->state.textAlign : 0xFFFFFFFF;
}

namespace {

std::size_t lengthOf(LPCSTR text, long long length) {
    if (!text) return 0;
    return length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
}

} // namespace

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                const INT* dx) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    auto face = faceOf(*t.dc);
    if (!face) return FALSE;
    std::u32string chars = utf8::Decode(std::string_view(text ? text : "", text ? length : 0));
    DcState& s = t.dc->state;
    if (s.textAlign & TA_UPDATECP) {
        x = s.position.x;
        y = s.position.y;
    }
    int width = runWidth(*face, chars, dx);
    int devX = t.dc->toDevX(x), devY = t.dc->toDevY(y);
    UINT h = s.textAlign & TA_CENTER;
    if (h == TA_CENTER)
        devX -= width / 2;
    else if (h == TA_RIGHT)
        devX -= width;
    int baseline = devY + face->ascent;
    if ((s.textAlign & TA_BASELINE) == TA_BASELINE)
        baseline = devY;
    else if (s.textAlign & TA_BOTTOM)
        baseline = devY - face->descent;
    if (s.textAlign & TA_UPDATECP) {
        if (h == TA_LEFT)
            s.position.x += width;
        else if (h == TA_RIGHT)
            s.position.x -= width;
    }
    if (!t.drawable()) return TRUE;
    RECT devRect{};
    if (rect) {
        devRect = RECT{t.dc->toDevX(rect->left), t.dc->toDevY(rect->top), t.dc->toDevX(rect->right),
                       t.dc->toDevY(rect->bottom)};
    }
    Pattern bk = solidPattern(t, colorPx(*t.dc, s.bkColor));
    if (rect && (options & ETO_OPAQUE)) paintShape(t, RegionData(devRect), bk, 0xF0);
    if (s.bkMode == OPAQUE) {
        RECT cell{devX, baseline - face->ascent, devX + width, baseline + face->descent};
        RegionData area(cell);
        if (rect && (options & ETO_CLIPPED))
            area = RegionData::combine(area, RegionData(devRect), RegionData::Op::And);
        paintShape(t, area, bk, 0xF0);
    }
    drawRun(t, *face, devX, baseline, chars, dx,
            rect && (options & ETO_CLIPPED) ? &devRect : nullptr);
    return TRUE;
}

BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int length) {
    return ExtTextOut(dc, x, y, 0, nullptr, text, static_cast<UINT>(lengthOf(text, length)),
                      nullptr);
}

BOOL GetTextExtentPoint32(HDC h, LPCSTR text, int length, SIZE* size) {
    auto dc = find<DcObj>(h);
    if (!dc || !size || (length > 0 && !text)) return FALSE;
    auto face = faceOf(*dc);
    if (!face) return FALSE;
    std::u32string chars = utf8::Decode(std::string_view(text ? text : "", lengthOf(text, length)));
    size->cx = runWidth(*face, chars);
    size->cy = face->ascent + face->descent;
    return TRUE;
}

BOOL GetTextMetrics(HDC h, TEXTMETRIC* m) {
    auto dc = find<DcObj>(h);
    if (!dc || !m) return FALSE;
    auto face = faceOf(*dc);
    if (!face) return FALSE;
    if (face->averageWidth == 0) {
        // The average over the lowercase letters and the space, weighted as the namesake
        // does for the "x" width; the widest of the printable ASCII characters.
        int sum = 0, widest = 0;
        for (char32_t c = U'a'; c <= U'z'; ++c)
            sum += face->advance(c);
        face->averageWidth = std::max(1, (sum + 13) / 26);
        for (char32_t c = 32; c < 127; ++c)
            widest = std::max(widest, face->advance(c));
        face->maxWidth = widest;
    }
    *m = TEXTMETRIC{};
    m->tmAscent = face->ascent;
    m->tmDescent = face->descent;
    m->tmHeight = face->ascent + face->descent;
    m->tmInternalLeading = std::max(0, m->tmHeight - face->emPixels);
    m->tmExternalLeading = 0;
    m->tmAveCharWidth = face->averageWidth;
    m->tmMaxCharWidth = face->maxWidth;
    m->tmWeight = face->weight;
    m->tmItalic = face->italic ? 1 : 0;
    m->tmUnderlined = face->underline ? 1 : 0;
    m->tmStruckOut = face->strikeOut ? 1 : 0;
    m->tmPitchAndFamily = VARIABLE_PITCH | 0x04 /* TMPF_TRUETYPE */;
    return TRUE;
}

int GetTextFace(HDC h, int size, LPSTR out) {
    auto dc = find<DcObj>(h);
    if (!dc) return 0;
    auto face = faceOf(*dc);
    if (!face) return 0;
    const std::string& name = face->family;
    if (!out) return static_cast<int>(name.size()) + 1;
    if (size <= 0) return 0;
    std::size_t n = std::min(name.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(out, name.data(), n);
    out[n] = 0;
    return static_cast<int>(n);
}

void SetFontSubstitute(const std::string& face, const std::string& family) {
    setSubstitute(face, family);
    // Fonts already made keep their faces; later ones see the new mapping.
}
