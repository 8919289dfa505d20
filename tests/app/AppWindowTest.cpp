// The whole road through the real main window on the headless display: open a video that
// shows its frame number in every picture, position the cells, capture, compose, make and
// save the GIF and the AVI, and the failures on the way. The player works in real time, so
// these tests run on the real clock and keep their videos, grids and runs small.
#include "AppTestUtil.h"
#include "MainWindowTestUtil.h"
#include "app/MainForm.h"
#include "app/OrImage.h"
#include "framework/Application.h"
#include "gif/GIFGraphic.h"
#include "movie/ActiveMovie.h"
#include "platform/headless/Headless.h"
#include "platform/kernel/Clock.h"
#include "platform/media/PlayerDispatch.h"
#include "platform/user/User.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/media/AviReadBack.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

constexpr int kFps = 25;

String ReadAll(const String& path) {
    std::ifstream in(path, std::ios::binary);
    return String((std::istreambuf_iterator<char>(in)), {});
}

// The frame number a 24-bit picture (or a part of it) shows.
int FrameNumberIn(TBitmap* bitmap, int left = 0, int top = 0, int width = -1, int height = -1) {
    if (width < 0) width = bitmap->Width();
    if (height < 0) height = bitmap->Height();
    ObjectPtr<TBitmap> copy(CreateObject<TBitmap>());
    copy->Assign(bitmap);
    copy->SetPixelFormat(pf24bit);
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> dib(size_t(stride) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = static_cast<const BYTE*>(copy->ScanLine(top + y));
        std::copy(row + 3 * left, row + 3 * (left + width),
                  dib.begin() + ptrdiff_t(height - 1 - y) * stride);
    }
    return fixtures::ReadFrameNumber(dib.data(), width, height);
}

class AppWindowTest : public apptest::MainWindowFixture {
protected:
    AppWindowTest() : MainWindowFixture(realClock_, "korvid-app-") {}
    // The state a finished (or refused) capture leaves: another one can start.
    void ExpectReadyToCapture() {
        EXPECT_TRUE(form_->ActiveMovie1->ShowControls());
        EXPECT_TRUE(form_->Button6->Enabled());
        EXPECT_TRUE(form_->PageControl1->Enabled());
        EXPECT_TRUE(form_->Button2->Enabled());
        for (TControl* seek : std::initializer_list<TControl*>{form_->skButton3, form_->Button11,
                                                               form_->Button12, form_->skButton2})
            EXPECT_TRUE(seek->Enabled());
    }

    // A video of `seconds` at 25 frames a second, every frame showing its number.
    String Video(const char* name, int seconds) {
        String path = Path(name);
        fixtures::MovieDesc clip{.container = "mpeg", .frames = seconds * kFps};
        fixtures::WriteMovie(path, clip);
        return path;
    }
    // Chooses the file in the open dialog and clicks "Open", as a user does.
    void Open(const String& path) {
        user::DialogAnswer answer;
        answer.accepted = true;
        answer.fileName = path;
        session_->QueueDialogAnswer(answer);
        Click(form_->Button1);
    }
    void SetText(TFormEdit* edit, const String& text) { edit->SetText(text); }

    kernel::RealClock realClock_;
};

TEST_F(AppWindowTest, TheSkinCoversTheClientAndLeavesTheControlsWhereTheyWerePut) {
    TskForm* skin = form_->skForm1;
    EXPECT_EQ(skin->Form(), form_);
    EXPECT_EQ(skin->BoundsRect(), Rect(0, 0, 951, 612));
    EXPECT_EQ(skin->UIStyle(), Protein);
    EXPECT_EQ(skin->BorderColor(), clBlack);
    EXPECT_EQ(skin->BorderWidth(), 1);
    EXPECT_EQ(skin->Caption(), "Varnelo  -  V 1.2");
    EXPECT_FALSE(skin->TitleBarDrawAppIcon());
    EXPECT_EQ(skin->MenuBarColor(), TColor(0xFBFBFB));
    EXPECT_EQ(skin->MenuBarHeight(), 22);
    EXPECT_EQ(skin->RoundCorner(), 0);
    TskTitleBarButtons* buttons = skin->TitleBarButtons();
    ASSERT_EQ(buttons->Count(), 4);
    for (int i = 0; i < buttons->Count(); ++i) {
        TskTitleBarButton* b = buttons->Items(i);
        EXPECT_EQ(b->Visible(), b->ButtonType() == skClose) << i;
        EXPECT_TRUE(b->Transparent()) << i;
        EXPECT_EQ(b->Top(), 2) << i;
    }
    TskTitleBarSections* sections = skin->TitleBarSections();
    ASSERT_EQ(sections->Count(), 3);
    EXPECT_EQ(sections->Items(0)->Align(), skLeft);
    EXPECT_EQ(sections->Items(1)->Align(), skRight);
    EXPECT_EQ(sections->Items(2)->Align(), skClient);
    EXPECT_TRUE(sections->Items(2)->Stretch());
    TFont* font = skin->TitleBar()->Font();
    EXPECT_EQ(font->Name(), "Arial");
    EXPECT_EQ(font->Height(), -12);
    EXPECT_EQ(font->Style(), TFontStyles({fsBold, fsItalic}));
    EXPECT_EQ(font->Color(), clWhite);
    // The title bar ends above the first control; everything sits on the skin as placed.
    EXPECT_LE(skin->GetTitleBarHeight(), 24);
    EXPECT_EQ(form_->Button1->Parent(), skin);
    EXPECT_EQ(form_->Button1->BoundsRect(), Rect(8, 34, 113, 73));
    EXPECT_EQ(form_->PageControl1->Parent(), skin);
    EXPECT_EQ(form_->PageControl1->BoundsRect(), Rect(328, 24, 945, 609));
    EXPECT_EQ(form_->PageControl1->LeftMargin(), 10);
    EXPECT_EQ(form_->PageControl1->PageCount(), 4);
    EXPECT_EQ(form_->PageControl1->Pages(3), form_->HelpSheet);
    EXPECT_TRUE(form_->skMemo1->ReadOnly());
    EXPECT_EQ(form_->skMemo1->ScrollBars(), ssVertical);
    EXPECT_EQ(form_->skMemo1->UIStyle(), Protein);
    // Labels given their text while the window was built are sized to the whole of it.
    EXPECT_EQ(form_->Label1->Caption(), "Waiting ...");
    EXPECT_GT(form_->Label1->Width(), 40);
    EXPECT_GE(form_->CellLabels[0]->Width(), 6); // two bold dots, not one blank
}

TEST_F(AppWindowTest, StartsWithBrightnessTwentyAndTheOutputPageHidden) {
    EXPECT_EQ(form_->Caption(), "Varnelo  -  V 1.2");
    EXPECT_EQ(form_->ClientWidth(), 951);
    EXPECT_EQ(form_->ClientHeight(), 612);
    EXPECT_EQ(form_->Edit2->Text(), "20");
    EXPECT_EQ(form_->OrImage1->PicBrightness(), 20);
    EXPECT_FALSE(form_->skTabSheet3->TabVisible());
    EXPECT_EQ(form_->PageControl1->ActivePage(), form_->TabSheet2);
    EXPECT_TRUE(form_->Button1->Enabled());
    for (TControl* c :
         std::initializer_list<TControl*>{form_->Button2, form_->Button6, form_->skButton4,
                                          form_->skButton7, form_->Button9, form_->skButton5})
        EXPECT_FALSE(c->Enabled());
    // The 3 x 3 grid shows; row and column 4 are hidden.
    EXPECT_TRUE(form_->CellImages[CellIndex(2, 2)]->Visible());
    EXPECT_FALSE(form_->CellImages[CellIndex(3, 0)]->Visible());
    EXPECT_FALSE(form_->CellImages[CellIndex(0, 3)]->Visible());
    // Typing a capture rate copies it to the output rate and updates the total.
    form_->skSpinEdit2->SetText("4");
    EXPECT_EQ(form_->skSpinEdit3->Text(), "4");
    EXPECT_EQ(form_->Label2->Caption(), "Total Capture:5.00s");
    form_->skSpinEdit2->SetText("");
    EXPECT_EQ(form_->skSpinEdit3->Text(), "4");
    EXPECT_EQ(form_->Label2->Caption(), "Total Capture:6.67s");
}

// Open, the seek buttons, auto positions on a 2 x 2 grid of a 100 s video, capture of 3
// frames per cell, the position file, the frame list, Make GIF, both saves, [X] skipping and
// closing.
TEST_F(AppWindowTest, TheWholeRoadOnATwoByTwoGrid) {
    String video = Video("clip.mpg", 100);
    Open(video);
    EXPECT_EQ(form_->Edit1->Text(), video);
    EXPECT_EQ(form_->Edit3->Text(), Path("clip.gif"));
    EXPECT_EQ(form_->skEdit2->Text(), Path("clip_thumb.avi"));
    EXPECT_FALSE(form_->Button1->Enabled());
    EXPECT_TRUE(form_->Button2->Enabled());
    EXPECT_TRUE(form_->Button6->Enabled());
    EXPECT_TRUE(form_->skButton7->Enabled());
    // Every cell, hidden or not, shows the same frame, 145 pixels wide with its aspect kept.
    TImage* first = form_->CellImages[0];
    EXPECT_EQ(first->Picture()->Width(), 145);
    EXPECT_EQ(first->Picture()->Height(), 120 * 145 / 160);
    const String label = form_->CellLabels[0]->Caption();
    for (int i = 0; i < kCellCount; ++i) {
        EXPECT_EQ(form_->CellLabels[size_t(i)]->Caption(), label);
        EXPECT_EQ(form_->CellPositions[size_t(i)], form_->CellPositions[0]);
        EXPECT_TRUE(form_->CellButtons[size_t(i)]->Enabled());
    }
    form_->ActiveMovie1OpenComplete(form_);
    EXPECT_EQ(form_->Label1->Caption(), "Total:2500Frames");

    // Seek buttons pause first; "Prev 5s" does nothing at 5 s or less.
    form_->ActiveMovie1->Pause();
    form_->ActiveMovie1->SetCurrentPosition(3.0);
    Click(form_->Button11);
    EXPECT_NEAR(form_->ActiveMovie1->CurrentPosition(), 3.0, 1e-9);
    Click(form_->Button12);
    EXPECT_NEAR(form_->ActiveMovie1->CurrentPosition(), 8.0, 1e-9);
    Click(form_->skButton3);
    EXPECT_NEAR(form_->ActiveMovie1->CurrentPosition(), 7.9, 1e-9);

    Click(form_->skRadioButton3); // 2x2
    EXPECT_FALSE(form_->CellImages[CellIndex(2, 2)]->Visible());
    EXPECT_TRUE(form_->CellImages[CellIndex(1, 1)]->Visible());
    Click(form_->skButton4);
    const double expected[] = {20, 40, 60, 80};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            size_t i = size_t(CellIndex(r, c));
            EXPECT_NEAR(form_->CellPositions[i], expected[r * 2 + c], 1e-9);
            EXPECT_EQ(form_->CellLabels[i]->Caption(),
                      FloatToStrF(expected[r * 2 + c], ffFixed, 5, 2) + "s");
            TBitmap* picture = form_->CellImages[i]->Picture()->Bitmap();
            EXPECT_EQ(FrameNumberIn(picture), int(expected[r * 2 + c]) * kFps) << "cell " << i;
        }

    Click(form_->skButton7);
    EXPECT_TRUE(form_->skTabSheet3->TabVisible());
    EXPECT_EQ(form_->PageControl1->ActivePage(), form_->skTabSheet3);
    SetText(form_->skSpinEdit2, "3");
    SetText(form_->skSpinEdit1, "3");
    Click(form_->Button6);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;

    // The product page was opened first.
    ASSERT_FALSE(session_->Calls().empty());
    bool shell = false;
    for (auto& call : session_->Calls())
        if (call.kind == headless::RecordedCall::Kind::Shell)
            shell = call.text.find("korvid.html") != String::npos;
    EXPECT_TRUE(shell);

    // The cells outside the grid keep the position the video was opened at.
    const String o = FloatToStr(form_->CellPositions[15]);
    EXPECT_EQ(ReadAll(Path("clip.ini")),
              "<Maxstep>2</Maxstep><P11>20</P11><P12>40</P12><P13>" + o + "</P13><P14>" + o +
                  "</P14>"
                  "<P21>60</P21><P22>80</P22><P23>" +
                  o + "</P23><P24>" + o +
                  "</P24>"
                  "<P31>" +
                  o + "</P31><P32>" + o + "</P32><P33>" + o + "</P33><P34>" + o +
                  "</P34>"
                  "<P41>" +
                  o + "</P41><P42>" + o + "</P42><P43>" + o + "</P43><P44>" + o + "</P44>");
    // Grid frames 1..3 hold the cells' frames one, two and three steps after their starts.
    TWorkingFiles& files = form_->WorkingFiles();
    for (int k = 1; k <= 3; ++k) {
        ObjectPtr<TBitmap> grid(CreateObject<TBitmap>());
        grid->LoadFromFile(files.FileName(k));
        ASSERT_EQ(grid->Width(), 160);
        ASSERT_EQ(grid->Height(), 120);
        for (int cell = 0; cell < 4; ++cell) {
            double t = expected[cell] + k / 3.0;
            int want = int(std::floor(t * kFps + 1e-6));
            EXPECT_EQ(FrameNumberIn(grid.get(), (cell % 2) * 80, (cell / 2) * 60, 80, 60), want)
                << "step " << k << " cell " << cell;
        }
    }
    for (int number = 4; number <= 12; ++number)
        EXPECT_FALSE(files.Exists(number)) << number;
    ASSERT_EQ(form_->ListView1->Items()->Count(), 3);
    EXPECT_EQ(form_->ListView1->Items()->Item(2)->Caption(), "3");
    EXPECT_EQ(form_->ImageList1->Count(), 3);
    EXPECT_TRUE(form_->Button6->Enabled());
    EXPECT_TRUE(form_->PageControl1->Enabled());
    EXPECT_TRUE(form_->Button2->Enabled());
    EXPECT_EQ(form_->Label1->Caption(), "Total:2500Frames");

    // Make GIF; "Save to GIF" writes GIF data also under a name ending in .bmp.
    Click(form_->Button9);
    EXPECT_EQ(form_->Label2->Caption(), "Build Animation GIF Finished");
    SetText(form_->Edit3, Path("out.bmp"));
    Click(form_->Button7);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
    EXPECT_EQ(ReadAll(Path("out.bmp")).substr(0, 6), "GIF89a");
    apptest::DecodedGif gif = apptest::DecodeGifWithFFmpeg(Path("out.bmp"));
    EXPECT_EQ(gif.frames.size(), 3u);
    EXPECT_EQ(gif.width, 160);

    // An item marked [X] is left out of both.
    form_->ListView1->Items()->Item(1)->SetCaption("2 [X]");
    SetText(form_->Edit3, Path("skip.gif"));
    Click(form_->Button7);
    EXPECT_EQ(apptest::DecodeGifWithFFmpeg(Path("skip.gif")).frames.size(), 2u);
    Click(form_->skButton5);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
    EXPECT_EQ(form_->Label2->Caption(), "Build/Save AVI Finished");
    avitest::ReadBack avi = avitest::ReadAvi(Path("clip_thumb.avi"));
    EXPECT_NEAR(avi.frameRate, 90.0 / 33, 1e-6);
    EXPECT_EQ(avi.packetSamples, (std::vector<std::int64_t>{0, 2}));

    // A list click shows that grid frame.
    form_->ListView1->SetSelected(form_->ListView1->Items()->Item(0));
    form_->ListView1Click(form_->ListView1);
    EXPECT_EQ(form_->Image1->Picture()->Width(), 160);

    // "Close" leaves "Make GIF" working on the last capture.
    Click(form_->Button2);
    EXPECT_TRUE(form_->Button1->Enabled());
    EXPECT_FALSE(form_->skButton5->Enabled());
    EXPECT_TRUE(form_->Button9->Enabled());
    Click(form_->Button9);
    EXPECT_EQ(form_->Label2->Caption(), "Build Animation GIF Finished");

    form_->Close();
    Pump();
    EXPECT_FALSE(files.Exists(1));
    EXPECT_TRUE(DirectoryExists(Path("temp")));
}

TEST_F(AppWindowTest, BadInputGivesAMessageAndTheWindowStaysUsable) {
    // A file that is no video, and one that is not there.
    std::ofstream(Path("notes.mpg")) << "not a video at all";
    for (auto [name, message] : {std::pair{"notes.mpg", "cannot be opened as a video"},
                                 std::pair{"gone.mpg", "does not exist"}}) {
        Open(Path(name));
        auto boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "The file \"" + Path(name) + "\" " + message);
        EXPECT_TRUE(form_->Button1->Enabled());
        EXPECT_FALSE(form_->Button2->Enabled());
        EXPECT_FALSE(form_->Button6->Enabled());
        EXPECT_TRUE(form_->ActiveMovie1->ShowControls());
        session_->ClearCalls();
    }

    // A real video then opens and captures; the output steps meet bad fields and folders.
    Open(Video("short.mpg", 4));
    ASSERT_TRUE(MessageBoxes().empty());
    Click(form_->skButton7);
    SetText(form_->skSpinEdit1, "2");
    SetText(form_->skSpinEdit2, "x");
    Click(form_->Button6);
    auto boxes = MessageBoxes();
    // The total-time line reads the field first, then capture does.
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "'x' is not a valid floating point value");
    EXPECT_EQ(boxes[1].text, "'x' is not a valid integer value");
    // Refused before anything changed: no position file, and the window as it was.
    EXPECT_FALSE(FileExists(Path("short.ini")));
    ExpectReadyToCapture();
    session_->ClearCalls();
    SetText(form_->skSpinEdit2, ""); // not given: 0.33 s
    Click(form_->Button6);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
    ASSERT_EQ(form_->ListView1->Items()->Count(), 2);

    struct Case {
        const char* rate;
        const char* zoom;
        TControl* button;
        const char* message;
    };
    SetText(form_->Edit3, Path("nofolder/out.gif"));
    SetText(form_->skEdit2, Path("nofolder/out.avi"));
    for (Case c :
         {Case{"fast", "100", form_->Button9, "'fast' is not a valid integer value"},
          Case{"3", "0", form_->skButton5, "'0' is not a valid zoom"},
          Case{"3", "", form_->skButton5, "Failed to create AVI file: No such file or directory"},
          Case{"", "", form_->Button7, ""}}) {
        SetText(form_->skSpinEdit3, c.rate);
        SetText(form_->skSpinEdit4, c.zoom);
        Click(c.button);
        boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.rate << " " << c.zoom;
        if (*c.message)
            EXPECT_EQ(boxes[0].text, c.message);
        else
            EXPECT_NE(boxes[0].text.find("nofolder"), String::npos) << boxes[0].text;
        session_->ClearCalls();
    }
    // Still usable: with good fields both saves work.
    SetText(form_->Edit3, Path("ok.gif"));
    Click(form_->Button7);
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_TRUE(FileExists(Path("ok.gif")));
}

// A working bitmap that cannot be written stops the capture with the message, and the window
// comes back as a finished capture leaves it.
TEST_F(AppWindowTest, AWriteFailingDuringCaptureLeavesTheWindowUsable) {
    form_->WorkingFiles() = TWorkingFiles({Path("work")});
    ForceDirectories(Path("work/1.bmp")); // a folder where the first cell frame goes
    Open(Video("clip.mpg", 2));
    Click(form_->skButton7);
    SetText(form_->skSpinEdit1, "2");
    Click(form_->Button6);
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("1.bmp"), String::npos) << boxes[0].text;
    EXPECT_TRUE(FileExists(Path("clip.ini")));
    ExpectReadyToCapture();
}

TEST_F(AppWindowTest, CaptureStopsBeforeTouchingAnythingWhenNoWorkingFolderCanBeWritten) {
    // Folders below a plain file can be made by nobody.
    std::ofstream(Path("plain")) << "x";
    form_->WorkingFiles() = TWorkingFiles({Path("plain/temp"), Path("plain/cache")});
    Open(Video("clip.mpg", 2));
    Click(form_->skButton7);
    Click(form_->Button6);
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("working bitmaps"), String::npos) << boxes[0].text;
    EXPECT_FALSE(FileExists(Path("clip.ini")));
    EXPECT_TRUE(form_->Button6->Enabled());
    EXPECT_TRUE(form_->PageControl1->Enabled());
}

// A 4 x 4 grid captures all sixteen cells, and every cell frame has the brightness the bar
// gives; "Next 0.1s" moves a tenth on.
TEST_F(AppWindowTest, AFourByFourCaptureWithTheBrightnessOfTheBar) {
    Open(Video("clip.mpg", 18));
    form_->ActiveMovie1->Pause();
    form_->ActiveMovie1->SetCurrentPosition(3.0);
    Click(form_->skButton2);
    EXPECT_NEAR(form_->ActiveMovie1->CurrentPosition(), 3.1, 1e-9);

    Click(form_->skRadioButton7); // 4x4
    EXPECT_TRUE(form_->CellImages[CellIndex(3, 3)]->Visible());
    for (int i = 0; i < kCellCount; ++i)
        form_->CellPositions[size_t(i)] = i + 1;
    // Black shows as the brightness: far above the default's 20.
    form_->sktrackbar1->SetPosition(80);
    EXPECT_EQ(form_->Edit2->Text(), "80");
    Click(form_->skButton7);
    SetText(form_->skSpinEdit2, "3");
    SetText(form_->skSpinEdit1, "2");
    Click(form_->Button6);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
    ASSERT_EQ(form_->ListView1->Items()->Count(), 2);
    EXPECT_EQ(ReadAll(Path("clip.ini")).substr(0, 25), "<Maxstep>4</Maxstep><P11>");
    for (int k = 1; k <= 2; ++k) {
        ObjectPtr<TBitmap> grid(CreateObject<TBitmap>());
        grid->LoadFromFile(form_->WorkingFiles().FileName(k));
        grid->SetPixelFormat(pf24bit);
        ASSERT_EQ(grid->Width(), 160);
        ASSERT_EQ(grid->Height(), 120);
        for (int cell = 0; cell < kCellCount; ++cell) {
            const int left = (cell % 4) * 40, top = (cell / 4) * 30;
            // Each tile shows its own cell (the cells lie 25 frames apart); which of two
            // neighbouring frames a seek lands on is the player's business.
            const int want = int(std::floor((cell + 1 + k / 3.0) * kFps + 1e-6));
            EXPECT_NEAR(FrameNumberIn(grid.get(), left, top, 40, 30), want, 1)
                << "step " << k << " cell " << cell;
            // The block of bit 15, black in every frame of the clip.
            const std::uint32_t black = apptest::PixelOf(grid.get(), left + 35, top + 26);
            EXPECT_GT(int(black & 0xFF), 60) << "step " << k << " cell " << cell;
        }
    }
}

// Close clicked while Auto Positions runs does not close the movie under it: the step ends
// with a movie that is open and the buttons that go with one.
TEST_F(AppWindowTest, CloseDuringAutoPositionsWaitsForTheStep) {
    Open(Video("clip.mpg", 10));
    bool clicked = false;
    form_->OnStepIdle = [&] {
        if (!clicked) {
            clicked = true;
            Click(form_->Button2);
        }
    };
    Click(form_->skButton4);
    form_->OnStepIdle = nullptr;
    ASSERT_TRUE(clicked);
    EXPECT_EQ(form_->ActiveMovie1->OpenState(), kOpenStateOpen);
    EXPECT_FALSE(form_->Button1->Enabled());
    ExpectReadyToCapture();
    EXPECT_NEAR(form_->CellPositions[0], 1.0, 1e-9); // 1/10 of the clip
}

// A file without video: capture finds no picture, and Make GIF and both saves say so
// instead of failing on the empty frames; nothing is written.
TEST_F(AppWindowTest, AFileWithoutVideoCapturesNoPictureAndTheOutputStepsSaySo) {
    String sound = Path("sound.wav");
    fixtures::WriteMovie(sound, {.container = "wav",
                                 .video = fixtures::Video::None,
                                 .audio = fixtures::Audio::Pcm,
                                 .audioSeconds = 2.0});
    Open(sound);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
    Click(form_->skRadioButton3); // 2x2
    Click(form_->skButton7);
    SetText(form_->skSpinEdit1, "2");
    Click(form_->Button6);
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
    ASSERT_EQ(form_->ListView1->Items()->Count(), 2);
    for (TControl* step :
         std::initializer_list<TControl*>{form_->Button9, form_->Button7, form_->skButton5}) {
        session_->ClearCalls();
        Click(step);
        auto boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kNoPictureCaptured);
    }
    EXPECT_FALSE(FileExists(Path("sound.gif")));
    EXPECT_FALSE(FileExists(Path("sound_thumb.avi")));
    ExpectReadyToCapture();
}

// The player's own menu can put the video in full screen; Esc brings the window back.
TEST_F(AppWindowTest, EscLeavesFullScreen) {
    Open(Video("clip.mpg", 2));
    TActiveMovie* movie = form_->ActiveMovie1;
    ASSERT_EQ(movie->OpenState(), kOpenStateOpen);
    movie->SetIntegerProp(media::dispid::DisplaySize, media::mpFullScreen);
    const HWND renderer = movie->RendererWindow();
    ASSERT_NE(renderer, 0u);
    SendMessage(renderer, WM_KEYDOWN, VK_ESCAPE, 1);
    SendMessage(renderer, WM_KEYUP, VK_ESCAPE, 1 | (LPARAM{3} << 30));
    EXPECT_TRUE(test_support::PollUntil(
        [&] {
            Pump();
            return movie->GetIntegerProp(media::dispid::DisplaySize) != media::mpFullScreen;
        },
        [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }));
    EXPECT_EQ(GetAncestor(renderer, GA_ROOT), form_->Handle());
}

} // namespace

// "Save to GIF" makes the GIF first; while nothing it is made of has changed since the last
// build (fields, switches, items, working bitmaps) and the preview still shows that build, the
// build is reused, and the file holds the bytes a fresh build gives. Each change makes it anew.
TEST_F(AppWindowTest, SaveToGifReusesTheLastBuildWhileNothingItIsMadeOfChanged) {
    TWorkingFiles& files = form_->WorkingFiles();
    files.Prepare();
    const auto writeGrid = [&](int number, int shift) {
        apptest::MakeBitmap(48, 32, [&](int x, int y) {
            return std::uint32_t((x * 5 + shift) & 255) << 16 | std::uint32_t((y * 7) & 255) << 8 |
                   std::uint32_t(number * 60);
        })->SaveToFile(files.FileName(number));
    };
    for (int k = 1; k <= 3; ++k) {
        writeGrid(k, 0);
        form_->ListView1->Items()->Add()->SetCaption(IntToStr(k));
    }
    SetText(form_->skSpinEdit3, "3");
    SetText(form_->skSpinEdit4, "100");
    int saves = 0;
    const auto save = [&] {
        const String name = Path("out" + IntToStr(++saves) + ".gif");
        SetText(form_->Edit3, name);
        form_->sktempButton7Click(form_->Button7);
        EXPECT_EQ(form_->Label2->Caption(), "Build Animation GIF Finished");
        return ReadAll(name);
    };
    form_->sktempButton9Click(form_->Button9);
    const TGraphic* built = form_->Image1->Picture()->Graphic();
    const String first = save();
    EXPECT_EQ(form_->Image1->Picture()->Graphic(), built) << "nothing changed: no new build";
    EXPECT_EQ(save(), first);
    EXPECT_EQ(form_->Image1->Picture()->Graphic(), built);

    // Each change, then its undoing (none: the inputs stayed those of the first build).
    struct Change {
        const char* what;
        std::function<void()> make, undo;
    };
    const Change changes[] = {
        {"output rate", [&] { SetText(form_->skSpinEdit3, "5"); },
         [&] { SetText(form_->skSpinEdit3, "3"); }},
        {"zoom", [&] { SetText(form_->skSpinEdit4, "50"); },
         [&] { SetText(form_->skSpinEdit4, "100"); }},
        {"grey", [&] { form_->skRadioButton5->SetChecked(true); },
         [&] { form_->skRadioButton2->SetChecked(true); }},
        {"an item left out", [&] { form_->ListView1->Items()->Item(1)->SetCaption("2 [X]"); },
         [&] { form_->ListView1->Items()->Item(1)->SetCaption("2"); }},
        {"a working bitmap rewritten", [&] { writeGrid(2, 100); }, [&] { writeGrid(2, 0); }},
        {"the preview showing a grid frame",
         [&] {
             form_->ListView1->SetSelected(form_->ListView1->Items()->Item(0));
             form_->ListView1Click(form_->ListView1);
         },
         nullptr},
    };
    for (const Change& change : changes) {
        change.make();
        const TGraphic* before = form_->Image1->Picture()->Graphic();
        const String changed = save();
        EXPECT_NE(form_->Image1->Picture()->Graphic(), before) << change.what << ": built anew";
        EXPECT_EQ(changed == first, !change.undo) << change.what;
        if (change.undo) change.undo();
        built = form_->Image1->Picture()->Graphic();
        // From the inputs of the first build: its bytes, built anew after an undoing.
        EXPECT_EQ(save(), first) << change.what;
        EXPECT_EQ(form_->Image1->Picture()->Graphic() != built, bool(change.undo)) << change.what;
    }
    ASSERT_TRUE(MessageBoxes().empty()) << MessageBoxes()[0].text;
}
