// The output steps of the main window on grid frames the tests lay down themselves (no player
// runs, so the fixed waits pass on a fake clock): empty frames, steps started while another
// runs, what the output radios give the GIF builder and the AVI saver, and the dialogs.
#include "AppTestUtil.h"
#include "MainWindowTestUtil.h"
#include "app/MainForm.h"
#include "framework/Application.h"
#include "framework/TextMeasure.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "movie/ActiveMovie.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/headless/Headless.h"
#include "platform/kernel/Clock.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"
#include "skin/SKMgr.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"
#include "support/media/AviReadBack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using apptest::MakeBitmap;
using Picture = std::function<std::uint32_t(int x, int y)>;

String ReadAll(const String& path) {
    std::ifstream in(path, std::ios::binary);
    return String((std::istreambuf_iterator<char>(in)), {});
}

// Grid frame i is one colour of its own.
Picture Solid(int i) {
    return [i](int, int) -> std::uint32_t { return std::uint32_t(40 + i * 50) << 16 | 0x3020; };
}

class WindowSteps : public apptest::MainWindowFixture {
protected:
    WindowSteps() : MainWindowFixture(fakeClock_, "korvid-steps-") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        form_->WorkingFiles().Prepare();
        // Where a capture would write its cell positions.
        form_->Edit1->SetText(Path("clip.mpg"));
        form_->Edit3->SetText(Path("out.gif"));
        form_->skEdit2->SetText(Path("out.avi"));
    }
    void TearDown() override {
        form_->OnStepIdle = nullptr;
        MainWindowFixture::TearDown();
    }
    // Grid frames as a capture leaves them: working bitmap i + 1 and list item i for each;
    // an empty picture is saved as an empty bitmap, as a capture of no pictures saves it.
    void Captured(const std::vector<Picture>& frames, int width = 48, int height = 36) {
        for (size_t i = 0; i < frames.size(); ++i) {
            ObjectPtr<TBitmap> grid = frames[i] ? MakeBitmap(width, height, frames[i])
                                                : ObjectPtr<TBitmap>(CreateObject<TBitmap>());
            grid->SaveToFile(form_->WorkingFiles().FileName(int(i) + 1));
            form_->ListView1->Items()->Add()->SetCaption(IntToStr(int(i) + 1));
        }
        for (TControl* c : std::initializer_list<TControl*>{form_->Button9, form_->Button7,
                                                            form_->skButton5, form_->Button6})
            c->SetEnabled(true);
        form_->skButton7Click(form_->skButton7); // the output page
        Pump();
    }
    // What lies in the test's folder: no temporary may stay behind.
    std::vector<std::string> SortedNames() {
        std::vector<std::string> names = dir_.Names();
        std::sort(names.begin(), names.end());
        return names;
    }
    TGIFGraphic* Gif() { return dynamic_cast<TGIFGraphic*>(form_->Image1->Picture()->Graphic()); }

    kernel::FakeClock fakeClock_;
};

// A file without video gives a capture of empty grid frames; one missing or empty frame among
// pictures is the same fault on a smaller scale. No step may crash or write a file: the file
// saved before stays, and the window takes the next step.
TEST_F(WindowSteps, EmptyGridFramesGiveTheMessageAndWriteNothing) {
    struct Case {
        const char* name;
        std::vector<Picture> frames;
        int missing; // working bitmap number to delete, 0 for none
        String message;
    };
    const String none =
        "No picture was captured: the grid frames are empty. Capture frames from a file with video";
    const String frame2 = "No picture was captured for grid frame 2: capture frames again";
    const std::vector<Case> cases = {
        {"every frame empty", {nullptr, nullptr, nullptr}, 0, none},
        {"one frame empty", {Solid(0), nullptr, Solid(2)}, 0, frame2},
        {"one frame missing", {Solid(0), Solid(1), Solid(2)}, 2, frame2},
        {"the only picture missing", {Solid(0), nullptr}, 1, none},
    };
    for (const Case& c : cases) {
        for (TControl* step :
             std::initializer_list<TControl*>{form_->Button9, form_->Button7, form_->skButton5}) {
            SCOPED_TRACE(String(c.name) + ", " + static_cast<TskButton*>(step)->Caption());
            form_->ListView1->Items()->Clear();
            form_->WorkingFiles().DeleteRange(0, 10);
            Captured(c.frames);
            if (c.missing) DeleteFile(form_->WorkingFiles().FileName(c.missing));
            std::ofstream(Path("out.gif")) << "the GIF saved before";
            std::ofstream(Path("out.avi")) << "the AVI saved before";
            session_->ClearCalls();
            Click(step);
            EXPECT_EQ(MessageBoxTexts(), std::vector<String>{c.message});
            EXPECT_EQ(ReadAll(Path("out.gif")), "the GIF saved before");
            EXPECT_EQ(ReadAll(Path("out.avi")), "the AVI saved before");
            EXPECT_EQ(SortedNames(), (std::vector<std::string>{"out.avi", "out.gif", "temp"}));
            EXPECT_TRUE(form_->ActiveMovie1->ShowControls());
        }
    }
    // Usable: with pictures in every frame the same steps work.
    form_->ListView1->Items()->Clear();
    Captured({Solid(0), Solid(1)});
    session_->ClearCalls();
    Click(form_->Button7);
    Click(form_->skButton5);
    EXPECT_TRUE(MessageBoxTexts().empty());
    EXPECT_EQ(ReadAll(Path("out.gif")).substr(0, 6), "GIF89a");
    EXPECT_EQ(avitest::ReadAvi(Path("out.avi")).packetSamples.size(), 2u);
}

// Make GIF and both saves dispatch messages once a frame. A step clicked meanwhile must not
// start: a capture would clear the list and rewrite the working bitmaps under the running
// loop, another output step would read them twice over. The running step then ends as if
// alone: every frame, no message, its own progress only.
TEST_F(WindowSteps, AStepClickedWhileAnotherRunsDoesNotStart) {
    const std::vector<Picture> frames = {Solid(0), Solid(1), Solid(2), Solid(3)};
    struct Running {
        TControl* button;
        const char* finished;
    };
    for (Running running : {Running{form_->Button9, "Build Animation GIF Finished"},
                            Running{form_->Button7, "Build Animation GIF Finished"},
                            Running{form_->skButton5, "Build/Save AVI Finished"}})
        for (TControl* other : std::initializer_list<TControl*>{form_->Button6, form_->Button9,
                                                                form_->Button7, form_->skButton5}) {
            SCOPED_TRACE(static_cast<TskButton*>(running.button)->Caption() + " with " +
                         static_cast<TskButton*>(other)->Caption());
            form_->ListView1->Items()->Clear();
            Captured(frames);
            DeleteFile(Path("out.gif"));
            DeleteFile(Path("out.avi"));
            session_->ClearCalls();
            int idle = 0;
            form_->OnStepIdle = [&] {
                if (++idle == 1) Click(other);
            };
            Click(running.button);
            form_->OnStepIdle = nullptr;
            EXPECT_TRUE(MessageBoxTexts().empty()) << MessageBoxTexts()[0];
            EXPECT_EQ(form_->Label2->Caption(), running.finished);
            // One progress line a frame: no loop of the other step ran inside.
            EXPECT_EQ(idle, int(frames.size()));
            ASSERT_EQ(form_->ListView1->Items()->Count(), int(frames.size()));
            for (int i = 1; i <= int(frames.size()); ++i)
                EXPECT_TRUE(form_->WorkingFiles().Exists(i)) << i;
            if (running.button == form_->skButton5) {
                EXPECT_EQ(avitest::ReadAvi(Path("out.avi")).packetSamples.size(), frames.size());
            } else {
                ASSERT_NE(Gif(), nullptr);
                EXPECT_EQ(Gif()->Frames().Count(), int(frames.size()));
            }
            EXPECT_EQ(FileExists(Path("out.gif")), running.button == form_->Button7);
            EXPECT_TRUE(form_->ActiveMovie1->ShowControls());
        }
}

// A disk that fills up while the GIF is saved: the message names the system's reason, the
// GIF saved before stays byte for byte and nothing else is left beside it.
TEST_F(WindowSteps, AFailedSaveToGifKeepsTheFileSavedBefore) {
    std::vector<Picture> frames;
    for (int i = 0; i < 6; ++i)
        frames.push_back(
            [i](int x, int y) -> std::uint32_t { return (x * 7 + y * 13 + i) * 2654435761u; });
    Captured(frames, 120, 90);
    Click(form_->Button7);
    const String before = ReadAll(Path("out.gif"));
    ASSERT_GT(before.size(), 4096u);
    form_->skSpinEdit3->SetText("5"); // a new file differs from the old one
    session_->ClearCalls();
    {
        test_support::FileSizeLimit full(before.size() / 2);
        ASSERT_TRUE(full.Set());
        Click(form_->Button7);
    }
    EXPECT_EQ(MessageBoxTexts(),
              std::vector<String>{"Cannot write file \"" + Path("out.gif") + "\". File too large"});
    EXPECT_EQ(ReadAll(Path("out.gif")), before);
    EXPECT_EQ(SortedNames(), (std::vector<std::string>{"out.gif", "temp"}));
    EXPECT_TRUE(form_->ActiveMovie1->ShowControls());
}

// How often a row of the first GIF frame changes colour index from one pixel to the next: a
// smooth gradient reduced by error diffusion changes at almost every pixel, reduced to the
// nearest colour only at the edges of its bands.
int IndexChanges(TGIFGraphic* gif) {
    TBitmap* frame = gif->Frames().GetFrame(0)->GetFrameBitmap();
    int changes = 0;
    for (int y = 0; y < frame->Height(); ++y) {
        const auto* row = static_cast<const Byte*>(frame->ScanLine(y));
        for (int x = 1; x < frame->Width(); ++x)
            changes += row[x] != row[x - 1];
    }
    return changes;
}

bool GreyColourMap(TGIFSubImage* frame) {
    const TGIFColorMap& map = frame->OwnColorMap();
    for (int i = 0; i < map.Count(); ++i) {
        const TGIFColor& c = map.Colors()[i];
        if (c.Red != c.Green || c.Green != c.Blue) return false;
    }
    return map.Count() > 0;
}

// Each radio beside the output controls reaches what the GIF builder or the AVI saver is
// given: the dither, the unchanged-pixel transparency, the colour mode, and the colour rule
// each step applies first.
TEST_F(WindowSteps, TheOutputRadiosReachTheBuilderAndTheSaver) {
    // Two equal frames of a gradient with far more than 256 colours.
    const Picture gradient = [](int x, int y) -> std::uint32_t {
        return std::uint32_t(x * 4) << 16 | std::uint32_t(y * 4) << 8 | std::uint32_t(255 - x * 2);
    };
    Captured({gradient, gradient}, 64, 64);
    struct Case {
        const char* name;
        TFormRadioButton* checked;
        TControl* step;
        std::function<void()> expect;
    };
    // The second frame equals the first: with the transparency on it is written transparent.
    auto SecondFrameTransparent = [&] {
        auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(
            Gif()->Frames().GetFrame(1)->FrameExtensions().ExtensionAt(0));
        return gce && gce->HasTransparency();
    };
    const std::vector<Case> cases = {
        {"FloydSteinberg", form_->skRadioButton8, form_->Button9,
         [&] { EXPECT_GT(IndexChanges(Gif()), 64 * 63 / 2); }},
        {"Nearest", form_->skRadioButton9, form_->Button9,
         [&] { EXPECT_LT(IndexChanges(Gif()), 64 * 63 / 4); }},
        {"Smaller Size", form_->skRadioButton1, form_->Button9,
         [&] { EXPECT_TRUE(SecondFrameTransparent()); }},
        {"Best Quality", form_->skRadioButton10, form_->Button9,
         [&] { EXPECT_FALSE(SecondFrameTransparent()); }},
        {"GrayScale GIF", form_->skRadioButton5, form_->Button9,
         [&] {
             EXPECT_TRUE(GreyColourMap(Gif()->Frames().GetFrame(0)));
             EXPECT_TRUE(form_->skRadioButton5->Checked());
         }},
        {"256Colors GIF", form_->skRadioButton2, form_->Button9,
         [&] { EXPECT_FALSE(GreyColourMap(Gif()->Frames().GetFrame(0))); }},
        {"TrueColor GIF becomes 256Colors", form_->skRadioButton6, form_->Button9,
         [&] {
             EXPECT_FALSE(GreyColourMap(Gif()->Frames().GetFrame(0)));
             EXPECT_TRUE(form_->skRadioButton2->Checked());
             EXPECT_FALSE(form_->skRadioButton6->Checked());
         }},
        {"TrueColor AVI", form_->skRadioButton6, form_->skButton5,
         [&] {
             EXPECT_EQ(avitest::ReadAvi(Path("out.avi")).pixelFormat, "bgr24");
             EXPECT_TRUE(form_->skRadioButton6->Checked());
         }},
        {"256Colors AVI", form_->skRadioButton2, form_->skButton5,
         [&] { EXPECT_EQ(avitest::ReadAvi(Path("out.avi")).pixelFormat, "pal8"); }},
        {"GrayScale AVI becomes 256Colors", form_->skRadioButton5, form_->skButton5,
         [&] {
             EXPECT_EQ(avitest::ReadAvi(Path("out.avi")).pixelFormat, "pal8");
             EXPECT_TRUE(form_->skRadioButton2->Checked());
             EXPECT_FALSE(form_->skRadioButton5->Checked());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Click(c.checked);
        ASSERT_TRUE(c.checked->Checked());
        session_->ClearCalls();
        Click(c.step);
        ASSERT_TRUE(MessageBoxTexts().empty()) << MessageBoxTexts()[0];
        c.expect();
    }
}

// A cancelled dialog changes nothing; a confirmed one gives its name.
TEST_F(WindowSteps, CancelledDialogsChangeNothing) {
    Captured({Solid(0)});
    auto answer = [this](bool accepted, const String& name) {
        user::DialogAnswer a;
        a.accepted = accepted;
        a.fileName = name;
        session_->QueueDialogAnswer(a);
    };
    form_->PageControl1->SetActivePageIndex(0);
    Pump();
    answer(false, Path("clip.mpg"));
    Click(form_->Button1);
    EXPECT_EQ(form_->Edit1->Text(), Path("clip.mpg"));
    EXPECT_TRUE(form_->Button1->Enabled());
    EXPECT_FALSE(form_->Button2->Enabled());
    EXPECT_EQ(form_->ActiveMovie1->OpenState(), kOpenStateClosed);
    EXPECT_TRUE(form_->ActiveMovie1->ShowControls());

    form_->PageControl1->SetActivePageIndex(1);
    Pump();
    struct Browse {
        TFormButton* button;
        TFormEdit* edit;
        const char* extension; // the dialog's default
    };
    for (auto [button, edit, extension] : {Browse{form_->Button8, form_->Edit3, ".gif"},
                                           Browse{form_->skButton6, form_->skEdit2, ".avi"}}) {
        button->SetEnabled(true);
        const String before = edit->Text();
        answer(false, Path("other"));
        Click(button);
        EXPECT_EQ(edit->Text(), before);
        answer(true, Path("chosen"));
        Click(button);
        EXPECT_EQ(edit->Text(), Path("chosen") + extension);
    }
    EXPECT_TRUE(MessageBoxTexts().empty());
}

// The room a caption needs, drawn as the control draws it: DT_CALCRECT with the control's
// font, word-wrapped at `wrapWidth` when it is above 0.
TSize TextNeeds(TFont* font, const String& text, int wrapWidth) {
    TTextMeasure measure(font);
    TRect r = Rect(0, 0, wrapWidth, 0);
    UINT flags = DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : 0);
    HGDIOBJ old = SelectObject(measure.DC(), measure.FontHandle());
    DrawText(measure.DC(), text.c_str(), int(text.size()), &r, flags);
    SelectObject(measure.DC(), old);
    return TSize{r.right - r.left, r.bottom - r.top};
}

void CollectControls(TWinControl* parent, std::vector<TControl*>& out) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        out.push_back(c);
        if (auto* w = dynamic_cast<TWinControl*>(c)) CollectControls(w, out);
    }
}

// With the fonts the setup installs, every label and every button and radio caption of the
// window lies whole inside its control, and every label inside its parent.
TEST_F(WindowSteps, EveryCaptionOfTheWindowIsWhole) {
    EXPECT_NE(form_->HelpLabel->Caption().find("\nMail: "), String::npos);
    // The steps, one a line.
    const TSize steps = TextNeeds(form_->Label5->Font(), form_->Label5->Caption(), 0);
    EXPECT_LE(steps.cx, form_->Label5->Width());
    ObjectPtr<TBitmap> radioBox(CreateObject<TBitmap>());
    SkinBitmap(nullptr, Protein, tiRadioButtonImage, radioBox.get(), 4, 1);
    std::vector<TControl*> controls;
    CollectControls(form_, controls);
    int labels = 0;
    for (TControl* c : controls) {
        SCOPED_TRACE(c->Name() + " " + c->ClassName());
        if (auto* label = dynamic_cast<TLabel*>(c)) {
            ++labels;
            const TSize need =
                TextNeeds(label->Font(), label->Caption(), label->WordWrap() ? label->Width() : 0);
            EXPECT_LE(need.cx, label->Width()) << label->Caption();
            EXPECT_LE(need.cy, label->Height()) << label->Caption();
            EXPECT_LE(label->Left() + need.cx, label->Parent()->ClientWidth()) << label->Caption();
            EXPECT_LE(label->Top() + need.cy, label->Parent()->ClientHeight()) << label->Caption();
        } else if (auto* radio = dynamic_cast<TskRadioButton*>(c)) {
            const TSize need = TextNeeds(radio->Font(), radio->Caption(), 0);
            EXPECT_LE(radioBox->Width() + 4 + need.cx, radio->Width()) << radio->Caption();
            EXPECT_LE(need.cy, radio->Height()) << radio->Caption();
        } else if (auto* button = dynamic_cast<TskButton*>(c)) {
            if (button->Caption().empty()) continue;
            const TSize need = TextNeeds(button->Font(), button->Caption(), button->Width());
            EXPECT_LE(need.cx, button->Width()) << button->Caption();
            EXPECT_LE(need.cy, button->Height()) << button->Caption();
        }
    }
    EXPECT_GT(labels, 16);
}

} // namespace
