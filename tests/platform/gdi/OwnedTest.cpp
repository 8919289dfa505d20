#include "platform/gdi/Owned.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

HPALETTE TwoColourPalette() {
    struct {
        WORD version = 0x300;
        WORD count = 2;
        PALETTEENTRY entries[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } block;
    return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&block));
}

} // namespace

TEST(GdiOwned, UniqueObjectDeletesOnEveryPathAndGivesUpOnRelease) {
    HGDIOBJ kept = 0, dropped = 0, moved = 0;
    EXPECT_THROW(
        {
            gdi::UniqueObject brush(CreateSolidBrush(RGB(1, 2, 3)));
            dropped = brush.get();
            ASSERT_EQ(GetObjectType(dropped), OBJ_BRUSH);
            throw std::runtime_error("drawing failed");
        },
        std::runtime_error);
    EXPECT_EQ(GetObjectType(dropped), 0u);
    {
        gdi::UniqueObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        kept = pen.release();
        gdi::UniqueObject first(CreateSolidBrush(RGB(4, 5, 6)));
        moved = first.get();
        gdi::UniqueObject second = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), moved);
    }
    EXPECT_EQ(GetObjectType(kept), OBJ_PEN);
    EXPECT_EQ(GetObjectType(moved), 0u); // deleted once, by the object it moved to
    DeleteObject(kept);
}

TEST(GdiOwned, SelectionsAndSavedStateAreUndoneInReverseOrder) {
    gdi::MemoryDC dc;
    ASSERT_TRUE(dc);
    const HGDIOBJ penBefore = GetCurrentObject(dc.get(), OBJ_PEN);
    const HGDIOBJ paletteBefore = GetCurrentObject(dc.get(), OBJ_PAL);
    const COLORREF textBefore = GetTextColor(dc.get());
    gdi::UniqueObject pen(CreatePen(PS_SOLID, 3, RGB(9, 9, 9)));
    gdi::UniqueObject palette(TwoColourPalette());
    EXPECT_THROW(
        {
            gdi::SavedDC saved(dc.get());
            SetTextColor(dc.get(), RGB(200, 0, 0));
            gdi::ObjectSelection selected(dc.get(), pen.get());
            EXPECT_EQ(selected.previous(), penBefore);
            gdi::PaletteSelection selectedPalette(dc.get(), palette.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PAL), palette.get());
            throw std::runtime_error("painting failed");
        },
        std::runtime_error);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), penBefore);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PAL), paletteBefore);
    EXPECT_EQ(GetTextColor(dc.get()), textBefore);
    // Nothing holds the pen any more, so it can go.
    EXPECT_TRUE(DeleteObject(pen.release()));
}

TEST(GdiOwned, MemoryDCIsDeletedWithItsOwner) {
    HDC seen = 0;
    {
        gdi::MemoryDC dc;
        seen = dc.get();
        EXPECT_EQ(GetObjectType(seen), OBJ_MEMDC);
    }
    EXPECT_EQ(GetObjectType(seen), 0u);
}
