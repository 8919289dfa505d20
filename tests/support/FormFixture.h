#pragma once
// A headless screen with an application and one borderless form at (100, 100), the ground most
// control tests stand on; the folders' own fixtures give it its size and title.
#include "framework/Application.h"
#include "platform/headless/Headless.h"

#include <gtest/gtest.h>

#include <string>

namespace test_support {

class FormFixture : public ::testing::Test {
protected:
    FormFixture(const char* title, int width, int height)
        : title_(title), width_(width), height_(height) {}

    void SetUp() override {
        app_ = CreateComponent<TApplication>(nullptr);
        app_->SetTitle(title_);
        app_->CreateForm(form_);
        form_->SetBorderStyle(bsNone);
        form_->SetBounds(100, 100, width_, height_);
    }
    void TearDown() override {
        app_->Free();
        app_ = nullptr;
    }
    void ShowForm() {
        form_->Show();
        Pump();
    }
    void Pump() { headless::HeadlessBackend::PumpMessages(); }
    // Input as a user gives it, each followed by the messages it causes.
    void Type(const std::string& text) {
        session_->TypeText(text);
        Pump();
    }
    void Key(int vk, bool shift = false, bool ctrl = false) {
        session_->PressKey(vk, shift, ctrl);
        Pump();
    }

    headless::HeadlessSession session_;
    TApplication* app_ = nullptr;
    TForm* form_ = nullptr;

private:
    const char* title_;
    int width_, height_;
};

} // namespace test_support
