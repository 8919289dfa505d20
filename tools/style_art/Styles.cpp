#include "Styles.h"

namespace art {

namespace {

constexpr int kLookCount = 5;

// The colours of the five looks: one row a colour, one column a look, in the order of Look.
// Silver's caption is dark brushed steel, so the caption glyphs on it are white.
struct ColourRow {
    Rgb Style::*colour;
    unsigned hex[kLookCount];
};

// clang-format off
const ColourRow kColours[] = {
    //                         Aqua      Xp        Deep      Silver    Glass
    {&Style::background,       {0xE7E7E7, 0xEFEBDE, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    {&Style::border,           {0x8A8D92, 0x1F4A8C, 0x132C5C, 0x4E525A, 0x3469A6}},
    {&Style::faceTop,          {0xFFFFFF, 0xFFFFFF, 0xE3ECFA, 0xFDFDFD, 0xD9EDFF}},
    {&Style::faceBottom,       {0xD9DCE1, 0xE5E2D6, 0x9FB8E2, 0xC4C8CF, 0x8FC3F0}},
    {&Style::hotTop,           {0xE4F1FD, 0xFFF7E6, 0xF2F7FF, 0xFFFFFF, 0xE9F6FF}},
    {&Style::hotBottom,        {0xA9CFF3, 0xF3D9A2, 0xB8CFF2, 0xD6DCE6, 0xA9DBFF}},
    {&Style::downTop,          {0x9CCBF5, 0xE0DDD0, 0x7F9FD6, 0xAEB3BB, 0x6FA7DD}},
    {&Style::downBottom,       {0x3E8EDB, 0xF2F0E8, 0xAFC6EC, 0xE6E8EC, 0x9ACBF3}},
    {&Style::accent,           {0x4A9BE6, 0x2F9E3B, 0x24519E, 0x5B6270, 0x2F7FD0}},
    {&Style::accentDark,       {0x1E5FA8, 0x1E6F28, 0x0F2C63, 0x2A2E35, 0x174D8A}},
    {&Style::glyph,            {0x3C3F44, 0x4D6185, 0x132C5C, 0x33363C, 0x17406E}},
    {&Style::titleTop,         {0xF2F2F2, 0x2F78E0, 0x2C55A0, 0x6A707B, 0x285F9E}},
    {&Style::titleBottom,      {0xC9C9C9, 0x0A4FD0, 0x0C1F4A, 0x3A3F47, 0x143E70}},
    {&Style::titleHighlight,   {0xFFFFFF, 0x6FA6F2, 0x5F86CC, 0x959BA5, 0x6C9BD0}},
    {&Style::titleShadow,      {0x9A9A9A, 0x0A3A9E, 0x061330, 0x25282E, 0x1A4478}},
    {&Style::titleGlyph,       {0x4A4A4A, 0xFFFFFF, 0xFFFFFF, 0xF2F3F5, 0xFFFFFF}},
    {&Style::scrollBackground, {0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4}},
};
// clang-format on

// The rest of each look, one row a look.
struct ShapeRow {
    const char* prefix;
    double radius;
    bool buttonSeeThrough, titleButtonSeeThrough, gloss;
    int titleButtonTop;
};

// clang-format off
const ShapeRow kShapes[kLookCount] = {
    // prefix      radius  buttonSeeThrough  titleButtonSeeThrough  gloss  titleButtonTop
    {"MACOS",     9,      true,             false,                 true,  1},
    {"WINXP",     3,      false,            false,                 false, 2},
    {"DEEPBLUE",  2,      false,            false,                 false, 0},
    {"PROTEIN",   3,      false,            true,                  false, 0},
    {"BLUEGLASS", 6,      true,             true,                  true,  3},
};
// clang-format on

Style MakeStyle(int look) {
    const ShapeRow& shape = kShapes[look];
    Style s;
    s.prefix = shape.prefix;
    s.look = Look(look);
    for (const ColourRow& row : kColours)
        s.*row.colour = Hex(row.hex[look]);
    s.radius = shape.radius;
    s.buttonSeeThrough = shape.buttonSeeThrough;
    s.titleButtonSeeThrough = shape.titleButtonSeeThrough;
    s.gloss = shape.gloss;
    s.titleButtonTop = shape.titleButtonTop;
    return s;
}

} // namespace

const Style& StyleFor(Look look) {
    static const Style styles[] = {MakeStyle(0), MakeStyle(1), MakeStyle(2), MakeStyle(3),
                                   MakeStyle(4)};
    return styles[int(look)];
}

} // namespace art
