#pragma once
// Helpers of the skinned-form tests: a shown form with a TskForm on it, and a screen dump
// for looking at by eye (written only when KORVID_SHOT_DIR is set).
#include "SkinTestUtil.h"
#include "skin/SKForm.h"
#include "support/ScreenShot.h"

namespace skin_test {

// The screen dump, by the name these tests have used.
using test_support::SaveScreenShot;

class SkinFormFixture : public SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        form_->SetBorderStyle(bsSingle);
        form_->SetCaption("Varnelo");
        skin_ = CreateComponent<TskForm>(form_);
    }
    headless::HeadlessBackend& screen() { return *session_; }
    HWND FormWindow() { return form_->Handle(); }
    COLORREF FramePixel(int x, int y) {
        return headless::HeadlessBackend::WindowFramePixel(FormWindow(), x, y);
    }

    TskForm* skin_ = nullptr;
};

} // namespace skin_test
