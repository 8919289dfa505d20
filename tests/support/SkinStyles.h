#pragma once
// What the skin tests on the headless and on the real display share: the built-in styles,
// each with the name its screenshots carry, and the main window's page control.
#include "skin/SKPageControl.h"
#include "skin/SKPublic.h"

namespace test_support {

struct NamedStyle {
    TskUIStyle style;
    const char* name;
};

inline constexpr NamedStyle kBuiltinStyles[] = {{MacOS, "macos"},
                                                {WinXP, "winxp"},
                                                {DeepBlue, "deepblue"},
                                                {Protein, "protein"},
                                                {BlueGlass, "blueglass"}};

// The main window's four pages in a page control filling parent, the first one shown.
inline TskPageControl* AddMainWindowPages(TComponent* owner, TWinControl* parent) {
    auto* pages = CreateComponent<TskPageControl>(owner);
    pages->SetParent(parent);
    pages->SetAlign(alClient);
    for (const char* caption : {"Set Cell Positions", "Create GIF/AVI", "Brightness", "Help"}) {
        auto* sheet = CreateComponent<TskTabSheet>(owner);
        sheet->SetCaption(caption);
        sheet->SetParent(pages);
    }
    pages->SetActivePageIndex(0);
    return pages;
}

} // namespace test_support
