// The navigator in each built-in style, on a skinned form: one browsing the middle record,
// one editing with the focus on its post button. Dumped for looking at by eye when
// KORVID_SHOT_DIR is set; checked here for the style reaching every button and the glyphs
// showing on the enabled ones.
#include "SkinFormTestUtil.h"
#include "support/SkinStyles.h"

#include "framework/MemoryDataSet.h"
#include "platform/user/Input.h"
#include "skin/SKDBNavigator.h"

#include <set>

namespace {

using skin_test::SkinFormFixture;

TEST_F(SkinFormFixture, NavigatorInEachStyle) {
    auto* set = CreateComponent<TMemoryDataSet>(form_);
    set->FieldDefs()->Add("N", ftInteger);
    set->Open();
    for (int i = 1; i <= 3; ++i)
        set->AppendRecord({Int64(i)});
    set->SetRecNo(2);
    auto* source = CreateComponent<TDataSource>(form_);
    source->SetDataSet(set);
    auto* browsing = CreateComponent<TskDBNavigator>(form_);
    browsing->SetParent(skin_);
    browsing->SetBounds(20, 40, 250, 30);
    browsing->SetDataSource(source);

    auto* other = CreateComponent<TMemoryDataSet>(form_);
    other->FieldDefs()->Add("N", ftInteger);
    other->Open();
    other->AppendRecord({Int64(1)});
    other->Edit();
    auto* otherSource = CreateComponent<TDataSource>(form_);
    otherSource->SetDataSet(other);
    auto* editing = CreateComponent<TskDBNavigator>(form_);
    editing->SetParent(skin_);
    editing->SetBounds(20, 90, 300, 24);
    editing->SetTabStop(true);
    editing->SetDataSource(otherSource);
    skin_->SetUIStyleAutoUpdateSub(true);
    ShowForm();
    editing->SetFocus();
    Pump();
    ASSERT_TRUE(editing->Focused());
    ASSERT_FALSE(editing->Buttons(nbEdit)->Enabled());
    for (int i = 0; i < 6; ++i)
        session_->PressKey(VK_RIGHT); // from first to post, over the disabled edit
    Pump();

    std::set<std::vector<COLORREF>> looks;
    TBitmap* plus = browsing->Buttons(nbInsert)->Glyph();
    for (const auto& s : test_support::kBuiltinStyles) {
        // The skinned form hands its style to the navigators, they to their buttons.
        skin_->SetUIStyle(s.style);
        Pump();
        for (TskDBNavigator* nav : {browsing, editing})
            for (int i = 0; i < kNavButtonCount; ++i)
                EXPECT_EQ(nav->Buttons(static_cast<TNavigateBtn>(i))->UIStyle(), s.style);
        // The middle of the insert glyph, which sits at (5, 7) on a 25 x 30 button, is drawn
        // as it is (not greyed).
        EXPECT_EQ(WindowPixel(browsing->Buttons(nbInsert), 5 + 8, 7 + 8),
                  COLORREF(plus->Canvas()->Pixels(8, 8)))
            << s.name;
        looks.insert(screen().ScreenShot(Rect(120, 140, 370, 170)));
        skin_test::SaveScreenShot(screen(), Rect(100, 100, 500, 400),
                                  std::string("navigator_") + s.name + ".bmp");
    }
    EXPECT_EQ(looks.size(), 5u) << "every style looks different";
    EXPECT_EQ(editing->FocusedButton(), nbPost);
}

} // namespace
