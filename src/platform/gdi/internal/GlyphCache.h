#pragma once
// Faces on FreeType, found through fontconfig, and the glyphs rendered from them. A FontFace
// is one face at one pixel size and style; it keeps every glyph it has rendered.
#include "platform/gdi/Font.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace gdi {

struct Glyph {
    int left = 0; // from the pen position to the first column
    int top = 0;  // from the baseline up to the first row
    int width = 0;
    int height = 0;
    int advance = 0;                    // whole pixels
    std::vector<std::uint8_t> coverage; // width x height, 0..255
};

class FontFace {
public:
    // Never null: when nothing matches, a face with no glyphs (only advances) stands in.
    static std::shared_ptr<FontFace> forFont(const LOGFONT& font);
    ~FontFace();

    int ascent = 0;
    int descent = 0;
    int emPixels = 0;
    int averageWidth = 0;
    int maxWidth = 0;
    int underlinePosition = 1; // rows below the baseline
    int lineThickness = 1;
    bool underline = false;
    bool strikeOut = false;
    LONG weight = 400;
    bool italic = false;
    std::string family;

    // The glyph of a code point, from a fallback face when this one lacks it. The reference
    // stays valid as long as the face lives.
    const Glyph& glyph(char32_t c);
    int advance(char32_t c) { return glyph(c).advance; }

    struct Impl;

private:
    FontFace() = default;
    std::unique_ptr<Impl> impl_;
    std::mutex mutex_;
    std::unordered_map<char32_t, std::unique_ptr<Glyph>> glyphs_;
};

// Replaces a face name before fontconfig sees it (an empty family removes the entry).
void setSubstitute(const std::string& face, const std::string& family);

} // namespace gdi
