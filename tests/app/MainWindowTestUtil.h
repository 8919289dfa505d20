#pragma once
// The main window on the headless display, on a clock the test chooses, with its working
// bitmaps in a folder of the test's own: what the window tests share.
#include "app/MainForm.h"
#include "framework/Application.h"
#include "gif/GIFGraphic.h"
#include "platform/headless/Headless.h"
#include "platform/kernel/Clock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace apptest {

class MainWindowFixture : public ::testing::Test {
protected:
    MainWindowFixture(kernel::Clock& clock, const char* folderPrefix)
        : clockToUse_(clock), dir_(folderPrefix) {}
    void SetUp() override {
        clock_ = std::make_unique<kernel::ScopedClock>(clockToUse_);
        GIFGraphicInit();
        app_ = CreateComponent<TApplication>(nullptr);
        app_->SetTitle("Varnelo");
        app_->CreateForm(Form1);
        form_ = Form1;
        form_->WorkingFiles() = TWorkingFiles({Path("temp")});
        form_->Show();
        Pump();
    }
    void TearDown() override {
        if (app_) app_->Free();
        Form1 = nullptr;
        clock_.reset();
    }
    String Path(const String& name) { return dir_.File(name); }
    void Pump() { headless::HeadlessBackend::PumpMessages(); }
    // A click in the middle of the control, as a user gives it, and what it causes.
    void Click(TControl* control) {
        TPoint p = control->ClientToScreen(Point(control->Width() / 2, control->Height() / 2));
        session_->Click(p.x, p.y);
        Pump();
    }
    std::vector<headless::RecordedCall> MessageBoxes() {
        std::vector<headless::RecordedCall> boxes;
        for (auto& c : session_->Calls())
            if (c.kind == headless::RecordedCall::Kind::MessageBox) boxes.push_back(c);
        return boxes;
    }
    std::vector<String> MessageBoxTexts() {
        std::vector<String> texts;
        for (auto& box : MessageBoxes())
            texts.push_back(box.text);
        return texts;
    }

    headless::HeadlessSession session_;
    kernel::Clock& clockToUse_;
    std::unique_ptr<kernel::ScopedClock> clock_;
    test_support::TempFolder dir_;
    TApplication* app_ = nullptr;
    TForm1* form_ = nullptr;
};

} // namespace apptest
