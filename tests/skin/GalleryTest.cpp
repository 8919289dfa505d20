// Every control of the library on one form, in each of the five styles. Each control must
// paint itself in every style, and the styles must look different. With KORVID_SKIN_GALLERY
// set to a folder, each style's picture is also written there as a BMP file.
#include "SkinTestUtil.h"
#include "support/SkinStyles.h"

#include "framework/Resources.h"
#include "skin/SKCheckBox.h"
#include "skin/SKEdit.h"
#include "skin/SKScrollBar.h"

#include <cstdlib>
#include <fstream>
#include <map>

namespace {

void SaveBmp(const std::string& path, const std::vector<COLORREF>& pixels, int w, int h) {
    const int stride = (w * 3 + 3) & ~3;
    std::vector<Byte> out;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(Byte(v >> (8 * i)));
    };
    auto put16 = [&](unsigned v) {
        out.push_back(Byte(v));
        out.push_back(Byte(v >> 8));
    };
    out.push_back('B');
    out.push_back('M');
    put32(std::uint32_t(54 + stride * h));
    put32(0);
    put32(54);
    put32(40);
    put32(std::uint32_t(w));
    put32(std::uint32_t(h));
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i)
        put32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = pixels[size_t(y) * size_t(w) + size_t(x)];
            out.push_back(Byte(c >> 16));
            out.push_back(Byte(c >> 8));
            out.push_back(Byte(c));
        }
        for (int p = w * 3; p < stride; ++p)
            out.push_back(0);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
}

class GalleryTest : public skin_test::SkinFixture {
protected:
    static constexpr int kW = 460, kH = 330;

    template <class T> T* Add(int x, int y, int w, int h) {
        auto* c = CreateComponent<T>(form_);
        c->SetParent(form_);
        c->SetBounds(x, y, w, h);
        controls_.push_back(c);
        return c;
    }
    TskImagePanel* Picture(int x, int y, const String& resource, int w = 0,
                           TskDrawStyle style = skNormal) {
        ObjectPtr<TPicture> p = MakeObject<TPicture>();
        p->Bitmap()->LoadFromResourceName(HInstance, resource);
        auto* panel = Add<TskImagePanel>(x, y, w ? w : p->Width(), p->Height());
        panel->SetDrawStyle(style);
        panel->SetPicture(p.get());
        return panel;
    }

    // Builds the gallery in one style and returns its picture.
    std::vector<COLORREF> Render(TskUIStyle style) {
        for (TControl* c : controls_)
            c->Free();
        controls_.clear();
        const TColor background = GetBuiltinThemeColor(style, tiFormBackgroundColor);
        form_->SetColor(background);
        form_->SetBounds(0, 0, kW, kH);
        RegisterBuiltinThemeArt();
        const String prefix = BuiltinThemeImageName(style, tiButtonImage)
                                  .substr(0, BuiltinThemeImageName(style, tiButtonImage).find('_'));

        // The caption art the skinned form builds its title bar from.
        auto* left = Picture(0, 0, prefix + "_TITLE_LEFT");
        auto* right = Picture(kW - 1, 0, prefix + "_TITLE_RIGHT");
        right->SetLeft(kW - right->Width());
        auto* client = Picture(left->Width(), 0, prefix + "_TITLE_CLIENT",
                               right->Left() - left->Width(), skStretch);
        (void)client;
        ObjectPtr<TBitmap> strip = MakeObject<TBitmap>();
        LoadBuiltinThemeBitmap(style, tiTitleBarButtonImage, strip.get());
        const int piece = strip->Width() / 18;
        const int kinds[3] = {13, 7, 16}; // minimise, maximise, close, each at rest
        for (int i = 0; i < 3; ++i) {
            ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
            SliceBitmap(strip.get(), b.get(), 18, kinds[i]);
            ObjectPtr<TPicture> p = MakeObject<TPicture>();
            p->Bitmap()->Assign(b.get());
            auto* panel = Add<TskImagePanel>(kW - 8 - (3 - i) * (piece + 2), 2, piece, piece);
            panel->SetTransparent(GetBuiltinThemeBool(style, tiTitleBarButtonTransparentBool));
            panel->SetPicture(p.get());
        }

        const int top = 44;
        auto* open = Add<TskButton>(10, top, 80, 27);
        open->SetCaption("Open");
        auto* hot = Add<TskButton>(100, top, 80, 27);
        hot->SetCaption("Capture");
        auto* off = Add<TskButton>(190, top, 80, 27);
        off->SetCaption("Save");
        off->SetEnabled(false);
        auto* glyph = Add<TskButton>(280, top, 100, 27);
        glyph->SetCaption("Next");
        ObjectPtr<TBitmap> nav = MakeObject<TBitmap>();
        nav->LoadFromResourceName(HInstance, "DBNAV_BUTTON");
        ObjectPtr<TBitmap> next = MakeObject<TBitmap>();
        SliceBitmap(nav.get(), next.get(), 10, 3);
        glyph->SetGlyph(next.get());
        auto* speed = Add<TskToolBarSpeedButton>(390, top + 4, 18, 18);
        speed->SetColor(background);
        speed->SetGlyph(next.get());

        const int row2 = top + 40;
        auto* box = Add<TskCheckBox>(10, row2, 120, 20);
        box->SetCaption("Dither");
        box->SetChecked(true);
        box->SetColor(background);
        Add<TskCheckBox>(10, row2 + 24, 120, 20)->SetCaption("Loop");
        auto* offBox = Add<TskCheckBox>(10, row2 + 48, 120, 20);
        offBox->SetCaption("Disabled");
        offBox->SetChecked(true);
        offBox->SetEnabled(false);
        auto* r1 = Add<TskRadioButton>(140, row2, 110, 20);
        r1->SetCaption("2 x 2");
        r1->SetChecked(true);
        Add<TskRadioButton>(140, row2 + 24, 110, 20)->SetCaption("3 x 3");
        auto* r3 = Add<TskRadioButton>(140, row2 + 48, 110, 20);
        r3->SetCaption("4 x 4");
        r3->SetEnabled(false);
        for (TControl* c : controls_)
            if (auto* k = dynamic_cast<TskCheckBox*>(c)) k->SetColor(background);

        auto* edit = Add<TskEdit>(260, row2, 180, 22);
        edit->SetText("movie.avi");
        auto* spin = Add<TskSpinEdit>(260, row2 + 30, 80, 24);
        spin->SetMinValue(5);
        spin->SetMaxValue(500);
        spin->SetValue(20);

        const int row3 = row2 + 84;
        auto* track = Add<TskTrackBar>(10, row3, 200, 25);
        track->SetPosition(4);
        auto* vtrack = Add<TskTrackBar>(420, row3, 25, 25);
        vtrack->SetOrientation(skVertical);
        vtrack->SetBounds(420, row3, 25, 130);
        vtrack->SetPosition(7);
        auto* scroll = Add<TskScrollBar>(10, row3 + 40, 250, 16);
        scroll->SetMin(-255);
        scroll->SetMax(255);
        scroll->SetPosition(20);
        auto* vscroll = Add<TskScrollBar>(390, row3, 16, 130);
        vscroll->SetOrientation(skVertical);
        vscroll->SetBounds(390, row3, 16, 130);
        vscroll->SetPageSize(30);
        vscroll->SetPosition(60);

        auto* tiled = Add<TskImagePanel>(10, row3 + 66, 250, 40);
        ObjectPtr<TPicture> tile = MakeObject<TPicture>();
        tile->Bitmap()->LoadFromResourceName(HInstance, style == MacOS ? "MACOS_FORM_BACKGROUND"
                                                                       : "PROTEIN_FORM_BACKGROUND");
        tiled->SetDrawStyle(skTile);
        tiled->SetPicture(tile.get());
        tiled->SetCaption("Image panel");

        for (TControl* c : controls_)
            if (HasPublishedProperty(c, "UIStyle")) SetOrdProp(c, "UIStyle", Int64(style));
        ShowForm();
        // The pointer over one button, to show its hot look.
        TPoint p = hot->ClientToScreen(Point(40, 13));
        session_->MovePointer(p.x, p.y);
        Pump();
        EXPECT_TRUE(hot->Hot());
        return session_->ScreenShot(RECT{0, 0, kW, kH});
    }

    std::vector<TControl*> controls_;
};

TEST_F(GalleryTest, EveryControlPaintsInEveryStyle) {
    using test_support::kBuiltinStyles, test_support::NamedStyle;
    const char* folder = std::getenv("KORVID_SKIN_GALLERY");
    std::map<int, std::vector<COLORREF>> shots;
    for (const auto& [style, name] : kBuiltinStyles) {
        shots[style] = Render(style);
        const COLORREF background = ColorToRGB(GetBuiltinThemeColor(style, tiFormBackgroundColor));
        for (TControl* c : controls_) {
            // Something of the control differs from the form behind it.
            TPoint o = c->ClientToScreen(Point(0, 0));
            bool painted = false;
            for (int y = 0; y < c->Height() && !painted; ++y)
                for (int x = 0; x < c->Width() && !painted; ++x)
                    painted = session_->ScreenPixel(o.x + x, o.y + y) != background;
            EXPECT_TRUE(painted) << c->ClassName() << " in style " << name;
        }
        if (folder) SaveBmp(std::string(folder) + "/skin-" + name + ".bmp", shots[style], kW, kH);
    }
    for (const NamedStyle& a : kBuiltinStyles)
        for (const NamedStyle& b : kBuiltinStyles) {
            if (b.style <= a.style) continue;
            size_t differ = 0;
            for (size_t i = 0; i < shots[a.style].size(); ++i)
                differ += shots[a.style][i] != shots[b.style][i];
            EXPECT_GT(differ, shots[a.style].size() / 10)
                << a.name << " and " << b.name << " look alike";
        }
}

} // namespace
