#include "platform/gdi/internal/GlyphCache.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>

namespace gdi {
namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The classic face names mapped to families that are installed with the program.
struct Library {
    std::mutex mutex; // FreeType's library and fontconfig are not thread-safe: one lock
    FT_Library ft = nullptr;
    bool fcReady = false;
    std::map<std::string, std::string> substitutes = {
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"},
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"system", "Liberation Sans"},
        {"tahoma", "DejaVu Sans"},
        {"verdana", "DejaVu Sans"},
        {"small fonts", "DejaVu Sans"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"fixedsys", "DejaVu Sans Mono"},
        {"simsun", "WenQuanYi Micro Hei"},
        {"nsimsun", "WenQuanYi Micro Hei"},
        {"microsoft yahei", "WenQuanYi Micro Hei"},
        {"\xe5\xae\x8b\xe4\xbd\x93", "WenQuanYi Micro Hei"},
        {"", "Liberation Sans"}};
    std::map<std::string, std::weak_ptr<FontFace>> faces;
};

Library& library() {
    static Library* lib = [] {
        auto* l = new Library;
        FT_Init_FreeType(&l->ft);
        l->fcReady = FcInit();
        return l;
    }();
    return *lib;
}

struct Loaded {
    FT_Face face = nullptr;
    bool emboldenSynth = false;
    bool obliqueSynth = false;
};

// Opens the face fontconfig picks for the pattern; caller holds the library lock.
Loaded openMatch(Library& lib, FcPattern* pattern, int weight, bool italic) {
    Loaded out;
    if (!lib.fcReady || !lib.ft) return out;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (!match) return out;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(lib.ft, reinterpret_cast<const char*>(file), index, &out.face) != 0)
            out.face = nullptr;
        int gotWeight = FC_WEIGHT_REGULAR, gotSlant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &gotWeight);
        FcPatternGetInteger(match, FC_SLANT, 0, &gotSlant);
        out.emboldenSynth = weight >= 600 && gotWeight < FC_WEIGHT_DEMIBOLD;
        out.obliqueSynth = italic && gotSlant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return out;
}

int fcWeight(LONG w) {
    if (w == 0) return FC_WEIGHT_REGULAR;
    if (w < 350) return FC_WEIGHT_LIGHT;
    if (w < 550) return FC_WEIGHT_REGULAR;
    if (w < 650) return FC_WEIGHT_DEMIBOLD;
    if (w < 800) return FC_WEIGHT_BOLD;
    return FC_WEIGHT_BLACK;
}

} // namespace

struct FontFace::Impl {
    Loaded primary;
    std::vector<Loaded> fallbacks; // opened on the first missing glyph
    bool fallbacksTried = false;
    std::string familyAsked;
    int fcw = FC_WEIGHT_REGULAR;
    bool italic = false;
    bool mono = false;

    void setSize(FT_Face f, int em) { FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(em)); }
};

FontFace::~FontFace() {
    if (!impl_) return;
    std::lock_guard lock(library().mutex);
    if (impl_->primary.face) FT_Done_Face(impl_->primary.face);
    for (Loaded& l : impl_->fallbacks)
        FT_Done_Face(l.face);
}

void setSubstitute(const std::string& face, const std::string& family) {
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    if (family.empty())
        lib.substitutes.erase(lower(face));
    else
        lib.substitutes[lower(face)] = family;
    lib.faces.clear();
}

std::shared_ptr<FontFace> FontFace::forFont(const LOGFONT& font) {
    Library& lib = library();
    std::string name(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    std::string key = lower(name) + "|" + std::to_string(font.lfHeight) + "|" +
                      std::to_string(font.lfWeight) + "|" + std::to_string(font.lfItalic != 0) +
                      std::to_string(font.lfUnderline != 0) +
                      std::to_string(font.lfStrikeOut != 0) +
                      std::to_string(font.lfQuality == NONANTIALIASED_QUALITY);
    std::lock_guard lock(lib.mutex);
    if (auto it = lib.faces.find(key); it != lib.faces.end())
        if (auto f = it->second.lock()) return f;

    std::shared_ptr<FontFace> face(new FontFace);
    face->impl_ = std::make_unique<Impl>();
    Impl& im = *face->impl_;
    auto sub = lib.substitutes.find(lower(name));
    im.familyAsked = sub != lib.substitutes.end() ? sub->second : name;
    im.fcw = fcWeight(font.lfWeight);
    im.italic = font.lfItalic != 0;
    im.mono = font.lfQuality == NONANTIALIASED_QUALITY;
    face->underline = font.lfUnderline != 0;
    face->strikeOut = font.lfStrikeOut != 0;
    face->weight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
    face->italic = im.italic;

    if (lib.fcReady) {
        FcPattern* pat = FcPatternCreate();
        FcPatternAddString(pat, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(im.familyAsked.c_str()));
        FcPatternAddInteger(pat, FC_WEIGHT, im.fcw);
        FcPatternAddInteger(pat, FC_SLANT, im.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
        im.primary = openMatch(lib, pat, font.lfWeight, im.italic);
        FcPatternDestroy(pat);
    }

    FT_Face f = im.primary.face;
    int em = 13; // the default when no height is asked for
    if (font.lfHeight < 0) em = -font.lfHeight;
    if (f && f->units_per_EM) {
        int up = f->units_per_EM;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        int asc = os2 && os2->usWinAscent ? os2->usWinAscent : f->ascender;
        int desc = os2 && os2->usWinDescent ? os2->usWinDescent : -f->descender;
        if (asc + desc <= 0) {
            asc = up;
            desc = 0;
        }
        if (font.lfHeight > 0)
            em = std::max(1,
                          static_cast<int>(std::lround(font.lfHeight * double(up) / (asc + desc))));
        face->ascent = static_cast<int>(std::lround(asc * double(em) / up));
        face->descent = static_cast<int>(std::lround(desc * double(em) / up));
        if (font.lfHeight > 0) face->descent = font.lfHeight - face->ascent;
        im.setSize(f, em);
        face->underlinePosition =
            std::max(1, static_cast<int>(std::lround(-f->underline_position * double(em) / up)));
        face->lineThickness =
            std::max(1, static_cast<int>(std::lround(f->underline_thickness * double(em) / up)));
        const char* fam = f->family_name ? f->family_name : "";
        face->family = fam;
    } else {
        if (font.lfHeight > 0) em = font.lfHeight;
        face->ascent = (em * 4 + 2) / 5;
        face->descent = em - face->ascent;
        face->family = im.familyAsked;
    }
    face->emPixels = em;
    lib.faces[key] = face;
    return face;
}

namespace {

bool renderInto(FT_Face f, FT_UInt index, const Loaded& how, bool mono, Glyph& g) {
    FT_Int32 flags = mono ? (FT_LOAD_TARGET_MONO) : (FT_LOAD_TARGET_LIGHT);
    if (FT_Load_Glyph(f, index, flags) != 0) return false;
    FT_GlyphSlot slot = f->glyph;
    if (how.emboldenSynth) FT_GlyphSlot_Embolden(slot);
    if (how.obliqueSynth) FT_GlyphSlot_Oblique(slot);
    if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_Bitmap& bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bm.width);
    g.height = static_cast<int>(bm.rows);
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.coverage.assign(static_cast<std::size_t>(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        for (int x = 0; x < g.width; ++x) {
            std::uint8_t v;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                v = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
            else
                v = row[x];
            g.coverage[static_cast<std::size_t>(y) * g.width + x] = v;
        }
    }
    return true;
}

} // namespace

const Glyph& FontFace::glyph(char32_t c) {
    std::lock_guard own(mutex_);
    if (auto it = glyphs_.find(c); it != glyphs_.end()) return *it->second;
    auto g = std::make_unique<Glyph>();
    Library& lib = library();
    {
        std::lock_guard lock(lib.mutex);
        Impl& im = *impl_;
        bool done = false;
        if (c == U'\t' || c == U'\n' || c == U'\r') {
            done = true; // control characters take no room and show nothing
        }
        if (!done && im.primary.face) {
            FT_UInt index = FT_Get_Char_Index(im.primary.face, c);
            if (index) done = renderInto(im.primary.face, index, im.primary, im.mono, *g);
        }
        if (!done && lib.fcReady) {
            if (!im.fallbacksTried) {
                im.fallbacksTried = true;
                // Fontconfig's ordered list for the family, plus the CJK face we install.
                const char* families[] = {"WenQuanYi Micro Hei", "DejaVu Sans", "sans-serif"};
                for (const char* fam : families) {
                    FcPattern* pat = FcPatternCreate();
                    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam));
                    FcPatternAddInteger(pat, FC_WEIGHT, im.fcw);
                    Loaded l = openMatch(lib, pat, weight, im.italic);
                    FcPatternDestroy(pat);
                    if (l.face) {
                        im.setSize(l.face, emPixels);
                        im.fallbacks.push_back(l);
                    }
                }
            }
            for (Loaded& l : im.fallbacks) {
                FT_UInt index = FT_Get_Char_Index(l.face, c);
                if (index && renderInto(l.face, index, l, im.mono, *g)) {
                    done = true;
                    break;
                }
            }
        }
        if (!done && c != U'\t' && c != U'\n' && c != U'\r') {
            // Nothing has it: the missing-glyph box of the face, or an empty cell.
            if (!(im.primary.face && renderInto(im.primary.face, 0, im.primary, im.mono, *g)))
                g->advance = (emPixels + 1) / 2;
        }
    }
    const Glyph& ref = *g;
    glyphs_.emplace(c, std::move(g));
    return ref;
}

} // namespace gdi
