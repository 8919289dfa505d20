// style_art: draws the bitmaps of the five built-in styles and writes them as a C++ source
// that registers each one, as a BMP file image, under its resource name.
//
//   style_art OUTPUT.cpp [PREVIEW_FOLDER]
//
// With a preview folder it also writes every picture there as NAME.bmp.
#include "Parts.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

using namespace art;

namespace {

struct Resource {
    const char* name;
    int width, height;
};

// Every picture the controls load, with the size they lay themselves out by.
const Resource kResources[] = {
    {"BLUEGLASS_BUTTON", 231, 27},
    {"BLUEGLASS_CHECKBOX", 52, 13},
    {"BLUEGLASS_CHECKLIST", 44, 11},
    {"BLUEGLASS_PROGRESSBAR", 1, 10},
    {"BLUEGLASS_RADIOBUTTON", 52, 13},
    {"BLUEGLASS_SCROLLBAR_BUTTON", 102, 16},
    {"BLUEGLASS_SCROLLBAR_TRACK", 21, 16},
    {"BLUEGLASS_SIDECHENNEL_BAR", 1, 21},
    {"BLUEGLASS_SIDECHENNEL_HANDLE", 8, 86},
    {"BLUEGLASS_TAB", 18, 17},
    {"BLUEGLASS_TAB_LINE", 10, 5},
    {"BLUEGLASS_TITLEBTN", 342, 19},
    {"BLUEGLASS_TITLE_CLIENT", 179, 33},
    {"BLUEGLASS_TITLE_LEFT", 162, 33},
    {"BLUEGLASS_TITLE_RIGHT", 101, 33},
    {"BLUEGLASS_TRACKBAR_BAR", 45, 4},
    {"BLUEGLASS_TRACKBAR_SLIDER", 11, 20},
    {"BLUEGLASS_TRACKBAR_SLIDER_V", 18, 11},
    {"DEEPBLUE_BUTTON", 222, 21},
    {"DEEPBLUE_CHECKBOX", 52, 13},
    {"DEEPBLUE_CHECKLIST", 44, 11},
    {"DEEPBLUE_PROGRESSBAR", 1, 10},
    {"DEEPBLUE_RADIOBUTTON", 52, 13},
    {"DEEPBLUE_SCROLLBAR_BUTTON", 96, 16},
    {"DEEPBLUE_SCROLLBAR_TRACK", 21, 16},
    {"DEEPBLUE_SIDECHENNEL_BAR", 1, 20},
    {"DEEPBLUE_SIDECHENNEL_HANDLE", 8, 83},
    {"DEEPBLUE_TAB", 12, 17},
    {"DEEPBLUE_TAB_LINE", 5, 5},
    {"DEEPBLUE_TITLEBTN", 342, 19},
    {"DEEPBLUE_TITLE_CLIENT", 98, 32},
    {"DEEPBLUE_TITLE_LEFT", 97, 32},
    {"DEEPBLUE_TITLE_RIGHT", 97, 32},
    {"DEEPBLUE_TRACKBAR_BAR", 45, 4},
    {"DEEPBLUE_TRACKBAR_SLIDER", 11, 20},
    {"DEEPBLUE_TRACKBAR_SLIDER_V", 18, 11},
    {"MACOS_BUTTON", 252, 23},
    {"MACOS_CHECKBOX", 60, 17},
    {"MACOS_CHECKLIST", 40, 11},
    {"MACOS_PROGRESSBAR", 13, 10},
    {"MACOS_RADIOBUTTON", 64, 17},
    {"MACOS_SCROLLBAR_BUTTON", 96, 22},
    {"MACOS_SCROLLBAR_TRACK", 33, 16},
    {"MACOS_SCROLLBUTTON", 72, 18},
    {"MACOS_SIDECHENNEL_BAR", 1, 21},
    {"MACOS_SIDECHENNEL_HANDLE", 7, 84},
    {"MACOS_TAB", 36, 27},
    {"MACOS_TAB_LINE", 17, 7},
    {"MACOS_TITLEBTN", 306, 17},
    {"MACOS_TITLE_CLIENT", 49, 23},
    {"MACOS_TITLE_LEFT", 48, 23},
    {"MACOS_TITLE_RIGHT", 48, 23},
    {"MACOS_TRACKBAR_BAR", 45, 5},
    {"MACOS_TRACKBAR_SLIDER", 11, 20},
    {"MACOS_TRACKBAR_SLIDER_V", 19, 11},
    {"MORE_SCROLLBUTTON", 72, 17},
    {"PROTEIN_BUTTON", 222, 21},
    {"PROTEIN_CHECKBOX", 52, 13},
    {"PROTEIN_CHECKLIST", 44, 11},
    {"PROTEIN_PROGRESSBAR", 1, 10},
    {"PROTEIN_RADIOBUTTON", 52, 13},
    {"PROTEIN_SCROLLBAR_BUTTON", 96, 16},
    {"PROTEIN_SCROLLBAR_TRACK", 21, 16},
    {"PROTEIN_SIDECHENNEL_BAR", 1, 21},
    {"PROTEIN_SIDECHENNEL_HANDLE", 8, 83},
    {"PROTEIN_TAB", 18, 17},
    {"PROTEIN_TAB_LINE", 10, 5},
    {"PROTEIN_TITLEBTN", 342, 19},
    {"PROTEIN_TITLE_CLIENT", 1, 23},
    {"PROTEIN_TITLE_LEFT", 441, 23},
    {"PROTEIN_TITLE_RIGHT", 1, 23},
    {"PROTEIN_TRACKBAR_BAR", 45, 4},
    {"PROTEIN_TRACKBAR_SLIDER", 11, 20},
    {"PROTEIN_TRACKBAR_SLIDER_V", 18, 11},
    {"WINXP_BUTTON", 54, 21},
    {"WINXP_CHECKBOX", 52, 13},
    {"WINXP_CHECKLIST", 44, 11},
    {"WINXP_PROGRESSBAR", 6, 10},
    {"WINXP_RADIOBUTTON", 52, 13},
    {"WINXP_SCROLLBAR_BUTTON", 96, 17},
    {"WINXP_SCROLLBAR_TRACK", 21, 16},
    {"WINXP_SCROLLBUTTON", 72, 18},
    {"WINXP_SIDECHENNEL_BAR", 1, 21},
    {"WINXP_SIDECHENNEL_HANDLE", 8, 86},
    {"WINXP_TAB", 18, 18},
    {"WINXP_TAB_LINE", 8, 1},
    {"WINXP_TITLEBTN", 378, 21},
    {"WINXP_TITLE_CLIENT", 37, 29},
    {"WINXP_TITLE_LEFT", 35, 29},
    {"WINXP_TITLE_RIGHT", 35, 29},
    {"WINXP_TRACKBAR_BAR", 45, 8},
    {"WINXP_TRACKBAR_SLIDER", 11, 21},
    {"WINXP_TRACKBAR_SLIDER_V", 22, 11},
    {"MACOS_MENU_BAR", 1, 22},
    {"MACOS_MENU_SELECT", 1, 21},
    {"MACOS_FORM_BACKGROUND", 8, 8},
    {"PROTEIN_FORM_BACKGROUND", 8, 8},
    {"MENU_CHECKED", 16, 16},
    {"MDI_CONTROL_BUTTON", 48, 16},
    {"DBNAV_BUTTON", 160, 16},
    {"MAINICON", 32, 32},
};

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& s, const std::string& head) {
    return s.rfind(head, 0) == 0;
}

const Style& StyleOfName(const std::string& name) {
    if (StartsWith(name, "MACOS_")) return StyleFor(Look::Aqua);
    if (StartsWith(name, "WINXP_")) return StyleFor(Look::Xp);
    if (StartsWith(name, "PROTEIN_")) return StyleFor(Look::Silver);
    if (StartsWith(name, "BLUEGLASS_")) return StyleFor(Look::Glass);
    return StyleFor(Look::Deep); // DEEPBLUE_ and the pictures all styles share
}

int TitleHeightOf(const Style& s) {
    switch (s.look) {
    case Look::Aqua:
        return 23;
    case Look::Xp:
        return 29;
    case Look::Deep:
        return 32;
    case Look::Silver:
        return 23;
    case Look::Glass:
        return 33;
    }
    return 23;
}

// Draws one picture; seeThrough tells whether it is meant to show what lies behind it.
bool Draw(const Resource& r, Image& out, bool& seeThrough) {
    const std::string n = r.name;
    const Style& s = StyleOfName(n);
    const int w = r.width, h = r.height;
    seeThrough = false;
    auto is = [&](const char* part) { return EndsWith(n, part); };
    if (n == "MACOS_MENU_BAR")
        out = MenuBarStrip(w, h);
    else if (n == "MACOS_MENU_SELECT")
        out = MenuSelectStrip(w, h);
    else if (is("_FORM_BACKGROUND"))
        out = FormTile(s, w, h);
    else if (n == "MENU_CHECKED")
        out = MenuCheckMark(w, h);
    else if (n == "MDI_CONTROL_BUTTON") {
        out = MdiButtons(w, h);
        seeThrough = true;
    } else if (n == "DBNAV_BUTTON") {
        out = NavigatorGlyphs(w, h);
        seeThrough = true;
    } else if (n == "MAINICON") {
        out = MainIcon(w, h);
        seeThrough = true;
    } else if (is("_BUTTON") && !is("SCROLLBAR_BUTTON")) {
        out = ButtonStrip(s, w, h);
        seeThrough = s.buttonSeeThrough;
    } else if (is("_CHECKBOX"))
        out = CheckStrip(s, w, h, false);
    else if (is("_RADIOBUTTON")) {
        out = CheckStrip(s, w, h, true);
        seeThrough = true;
    } else if (is("_CHECKLIST"))
        out = CheckStrip(s, w, h, false);
    else if (is("_TITLEBTN")) {
        out = TitleButtonStrip(s, w, h, TitleHeightOf(s));
        seeThrough = s.titleButtonSeeThrough;
    } else if (is("_TITLE_LEFT"))
        out = TitleSection(s, w, h, 0);
    else if (is("_TITLE_CLIENT"))
        out = TitleSection(s, w, h, 1);
    else if (is("_TITLE_RIGHT"))
        out = TitleSection(s, w, h, 2);
    else if (is("_PROGRESSBAR"))
        out = ProgressBar(s, w, h);
    else if (is("_TRACKBAR_BAR")) {
        out = TrackBarBar(s, w, h);
        seeThrough = true;
    } else if (is("_TRACKBAR_SLIDER")) {
        out = TrackBarSlider(s, w, h, false);
        seeThrough = true;
    } else if (is("_TRACKBAR_SLIDER_V"))
        out = TrackBarSlider(s, w, h, true);
    else if (is("_SCROLLBAR_BUTTON"))
        out = ScrollBarButtons(s, w, h);
    else if (is("_SCROLLBAR_TRACK"))
        out = ScrollBarThumb(s, w, h);
    else if (is("SCROLLBUTTON"))
        out = TabScrollArrows(s, w, h);
    else if (is("_TAB")) {
        out = TabStrip(s, w, h);
        seeThrough = true;
    } else if (is("_TAB_LINE"))
        out = TabLine(s, w, h);
    else if (is("_SIDECHENNEL_HANDLE"))
        out = SideChannelHandle(s, w, h);
    else if (is("_SIDECHENNEL_BAR"))
        out = SideChannelBar(s, w, h);
    else
        return false;
    return true;
}

// The rules every picture keeps; a broken one stops the build.
bool Check(const Resource& r, const Image& img, bool seeThrough) {
    auto fail = [&](const char* what) {
        std::cerr << "style_art: " << r.name << ": " << what << "\n";
        return false;
    };
    if (img.Width() != r.width || img.Height() != r.height) return fail("wrong size");
    const bool corners =
        img.Get(0, 0) == kSeeThrough && img.Get(0, img.Height() - 1) == kSeeThrough;
    if (seeThrough && !corners)
        return fail("a see-through picture needs magenta at (0, 0) and bottom-left");
    if (!seeThrough)
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x)
                if (img.Get(x, y) == kSeeThrough) return fail("magenta inside opaque art");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: style_art OUTPUT.cpp [PREVIEW_FOLDER]\n";
        return 2;
    }
    const std::string preview = argc > 2 ? argv[2] : "";
    std::string source;
    source += "// Made by tools/style_art at build time: the bitmaps of the built-in styles.\n";
    source += "#include \"framework/Resources.h\"\n\nnamespace {\n";
    std::string registry;
    int index = 0;
    for (const Resource& r : kResources) {
        Image img(1, 1);
        bool seeThrough = false;
        if (!Draw(r, img, seeThrough)) {
            std::cerr << "style_art: no drawing for " << r.name << "\n";
            return 1;
        }
        if (!Check(r, img, seeThrough)) return 1;
        const std::vector<std::uint8_t> bmp = img.Bmp();
        if (!preview.empty()) {
            std::ofstream f(preview + "/" + r.name + ".bmp", std::ios::binary);
            f.write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
        }
        source += "const Byte kArt" + std::to_string(index) + "[] = {";
        for (size_t i = 0; i < bmp.size(); ++i) {
            if (i % 24 == 0) source += "\n";
            source += std::to_string(bmp[i]) + ",";
        }
        source += "\n};\n";
        registry += "    resources::RegisterBitmap(\"" + std::string(r.name) + "\", {kArt" +
                    std::to_string(index) + ", sizeof kArt" + std::to_string(index) + "});\n";
        ++index;
    }
    source += "} // namespace\n\nvoid RegisterStyleArtResources() {\n" + registry + "}\n";
    const std::string tmp = std::string(argv[1]) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary);
        out << source;
        if (!out) {
            std::cerr << "style_art: cannot write " << tmp << "\n";
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), argv[1]) != 0) {
        std::cerr << "style_art: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
