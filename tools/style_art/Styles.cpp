#include "Styles.h"

namespace art {

namespace {

Style Aqua() {
    Style s;
    s.prefix = "MACOS";
    s.look = Look::Aqua;
    s.background = Hex(0xE7E7E7);
    s.border = Hex(0x8A8D92);
    s.faceTop = Hex(0xFFFFFF);
    s.faceBottom = Hex(0xD9DCE1);
    s.hotTop = Hex(0xE4F1FD);
    s.hotBottom = Hex(0xA9CFF3);
    s.downTop = Hex(0x9CCBF5);
    s.downBottom = Hex(0x3E8EDB);
    s.accent = Hex(0x4A9BE6);
    s.accentDark = Hex(0x1E5FA8);
    s.glyph = Hex(0x3C3F44);
    s.titleTop = Hex(0xF2F2F2);
    s.titleBottom = Hex(0xC9C9C9);
    s.titleHighlight = Hex(0xFFFFFF);
    s.titleShadow = Hex(0x9A9A9A);
    s.titleGlyph = Hex(0x4A4A4A);
    s.scrollBackground = Hex(0xC9C9C9);
    s.radius = 9;
    s.buttonSeeThrough = true;
    s.titleButtonSeeThrough = false;
    s.gloss = true;
    s.titleButtonTop = 1;
    return s;
}

Style Xp() {
    Style s;
    s.prefix = "WINXP";
    s.look = Look::Xp;
    s.background = Hex(0xEFEBDE);
    s.border = Hex(0x1F4A8C);
    s.faceTop = Hex(0xFFFFFF);
    s.faceBottom = Hex(0xE5E2D6);
    s.hotTop = Hex(0xFFF7E6);
    s.hotBottom = Hex(0xF3D9A2);
    s.downTop = Hex(0xE0DDD0);
    s.downBottom = Hex(0xF2F0E8);
    s.accent = Hex(0x2F9E3B);
    s.accentDark = Hex(0x1E6F28);
    s.glyph = Hex(0x4D6185);
    s.titleTop = Hex(0x2F78E0);
    s.titleBottom = Hex(0x0A4FD0);
    s.titleHighlight = Hex(0x6FA6F2);
    s.titleShadow = Hex(0x0A3A9E);
    s.titleGlyph = Hex(0xFFFFFF);
    s.scrollBackground = Hex(0xF9F9F9);
    s.radius = 3;
    s.buttonSeeThrough = false;
    s.titleButtonSeeThrough = false;
    s.gloss = false;
    s.titleButtonTop = 2;
    return s;
}

Style Deep() {
    Style s;
    s.prefix = "DEEPBLUE";
    s.look = Look::Deep;
    s.background = Hex(0xE8E8E8);
    s.border = Hex(0x132C5C);
    s.faceTop = Hex(0xE3ECFA);
    s.faceBottom = Hex(0x9FB8E2);
    s.hotTop = Hex(0xF2F7FF);
    s.hotBottom = Hex(0xB8CFF2);
    s.downTop = Hex(0x7F9FD6);
    s.downBottom = Hex(0xAFC6EC);
    s.accent = Hex(0x24519E);
    s.accentDark = Hex(0x0F2C63);
    s.glyph = Hex(0x132C5C);
    s.titleTop = Hex(0x2C55A0);
    s.titleBottom = Hex(0x0C1F4A);
    s.titleHighlight = Hex(0x5F86CC);
    s.titleShadow = Hex(0x061330);
    s.titleGlyph = Hex(0xFFFFFF);
    s.scrollBackground = Hex(0xF5F5F5);
    s.radius = 2;
    s.buttonSeeThrough = false;
    s.titleButtonSeeThrough = false;
    s.gloss = false;
    s.titleButtonTop = 0;
    return s;
}

Style Silver() {
    Style s;
    s.prefix = "PROTEIN";
    s.look = Look::Silver;
    s.background = Hex(0xFBFBFB);
    s.border = Hex(0x4E525A);
    s.faceTop = Hex(0xFDFDFD);
    s.faceBottom = Hex(0xC4C8CF);
    s.hotTop = Hex(0xFFFFFF);
    s.hotBottom = Hex(0xD6DCE6);
    s.downTop = Hex(0xAEB3BB);
    s.downBottom = Hex(0xE6E8EC);
    s.accent = Hex(0x5B6270);
    s.accentDark = Hex(0x2A2E35);
    s.glyph = Hex(0x33363C);
    // Dark brushed steel: the caption on it is white.
    s.titleTop = Hex(0x6A707B);
    s.titleBottom = Hex(0x3A3F47);
    s.titleHighlight = Hex(0x959BA5);
    s.titleShadow = Hex(0x25282E);
    s.titleGlyph = Hex(0xF2F3F5);
    s.scrollBackground = Hex(0xF5F5F5);
    s.radius = 3;
    s.buttonSeeThrough = false;
    s.titleButtonSeeThrough = true;
    s.gloss = false;
    s.titleButtonTop = 0;
    return s;
}

Style Glass() {
    Style s;
    s.prefix = "BLUEGLASS";
    s.look = Look::Glass;
    s.background = Hex(0xE7E7E7);
    s.border = Hex(0x3469A6);
    s.faceTop = Hex(0xD9EDFF);
    s.faceBottom = Hex(0x8FC3F0);
    s.hotTop = Hex(0xE9F6FF);
    s.hotBottom = Hex(0xA9DBFF);
    s.downTop = Hex(0x6FA7DD);
    s.downBottom = Hex(0x9ACBF3);
    s.accent = Hex(0x2F7FD0);
    s.accentDark = Hex(0x174D8A);
    s.glyph = Hex(0x17406E);
    s.titleTop = Hex(0x285F9E);
    s.titleBottom = Hex(0x143E70);
    s.titleHighlight = Hex(0x6C9BD0);
    s.titleShadow = Hex(0x1A4478);
    s.titleGlyph = Hex(0xFFFFFF);
    s.scrollBackground = Hex(0xF4F4F4);
    s.radius = 6;
    s.buttonSeeThrough = true;
    s.titleButtonSeeThrough = true;
    s.gloss = true;
    s.titleButtonTop = 3;
    return s;
}

} // namespace

const Style& StyleFor(Look look) {
    static const Style styles[] = {Aqua(), Xp(), Deep(), Silver(), Glass()};
    return styles[int(look)];
}

} // namespace art
