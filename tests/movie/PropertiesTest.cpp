// The component's defaults, its setters' rules, the operations' results in every state, and
// the properties passed straight to the player by dispatch id, by name too.
#include "MovieTestUtil.h"

#include "framework/Timer.h"
#include "rtl/Files.h"

using namespace movie_tests;

namespace {

namespace d = media::dispid;

class MovieProperties : public MovieTest {};

TEST_F(MovieProperties, DefaultsOfANewComponent) {
    TActiveMovie* m = CreateComponent<TActiveMovie>(form);
    EXPECT_EQ(m->AutoFileName(), fnSequential);
    EXPECT_EQ(m->AutoFilePrefix(), "am");
    EXPECT_FALSE(m->FGrabber_Enabled());
    EXPECT_EQ(m->FGrabber_BurstCount(), 0);
    EXPECT_EQ(m->FGrabber_BurstInterval(), 0);
    EXPECT_FALSE(m->FGrabber_BurstMode());
    EXPECT_EQ(m->JPEGPerformance(), jpBestQuality);
    EXPECT_FALSE(m->JPEGProgressiveDisplay());
    EXPECT_EQ(m->JPEGQuality(), 100);
    EXPECT_EQ(m->StoragePath(), GetCurrentDir());
    EXPECT_TRUE(m->ShowScrollBars());
    EXPECT_EQ(m->CaptureSize(), 100);
    EXPECT_FALSE(m->Loop());
    EXPECT_TRUE(m->ParentColor());
    EXPECT_EQ(m->Width(), 240);
    EXPECT_EQ(m->Height(), 200);
    EXPECT_TRUE(m->FileName().empty());
    EXPECT_TRUE(m->AutoStart());
    EXPECT_EQ(m->ScrollBarsThickness(), 16);
    EXPECT_EQ(m->SelectionStart(), -1.0);
    EXPECT_EQ(m->SelectionEnd(), -1.0);
    EXPECT_EQ(m->DisplaySize(), mpDefaultSize);
    EXPECT_TRUE(m->DisplayLogo());
    EXPECT_EQ(m->ZoomSize(), 100);
    EXPECT_EQ(m->Rate(), 1.0);
    EXPECT_TRUE(m->Visible());
    EXPECT_EQ(m->Duration(), 0.0);
    EXPECT_EQ(m->FrameCount(), 0u);
    EXPECT_EQ(m->BorderWidth(), 0);
    EXPECT_EQ(m->BevelInner(), bvNone);
    EXPECT_EQ(m->BevelOuter(), bvNone);
    EXPECT_TRUE(m->Caption().empty());
    EXPECT_EQ(m->PollTimer()->Interval(), 50u);
    EXPECT_TRUE(m->PollTimer()->Enabled());
    EXPECT_EQ(m->DisplayMode(), mpTime);
    // Written to the player at construction.
    EXPECT_FALSE(m->VideoBorder3D());
    EXPECT_FALSE(m->GetWordBoolProp(d::AutoSize));
    EXPECT_FALSE(m->GetWordBoolProp(d::VideoInFrame));
}

TEST_F(MovieProperties, SelectionSettersKeepStartNotAboveEnd) {
    const struct {
        double start, end; // set in this order
        double keptStart, keptEnd;
    } cases[] = {
        {5, 3, 5, -1}, // the end may not go below the start
        {2, 3, 2, 3},
        {-2, -7, -1, -1}, // below -1: ignored
        {0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TActiveMovie* m = CreateComponent<TActiveMovie>(form);
        m->SetSelectionStart(c.start);
        m->SetSelectionEnd(c.end);
        EXPECT_EQ(m->SelectionStart(), c.keptStart) << c.start << ", " << c.end;
        EXPECT_EQ(m->SelectionEnd(), c.keptEnd) << c.start << ", " << c.end;
    }
    // With an end of 3, a start of 5 keeps the old one; -1 switches it off.
    movie->SetSelectionEnd(3);
    movie->SetSelectionStart(1);
    movie->SetSelectionStart(5);
    EXPECT_EQ(movie->SelectionStart(), 1.0);
    movie->SetSelectionStart(-2);
    EXPECT_EQ(movie->SelectionStart(), 1.0);
    movie->SetSelectionStart(-1);
    EXPECT_EQ(movie->SelectionStart(), -1.0);
    movie->SetSelectionEnd(-1);
    movie->SetSelectionStart(5);
    EXPECT_EQ(movie->SelectionStart(), 5.0);
}

TEST_F(MovieProperties, BurstSettingsTakeOnlyValuesFromZero) {
    movie->SetFGrabber_BurstCount(4);
    movie->SetFGrabber_BurstCount(-1);
    EXPECT_EQ(movie->FGrabber_BurstCount(), 4);
    movie->SetFGrabber_BurstInterval(2);
    movie->SetFGrabber_BurstInterval(-3);
    EXPECT_EQ(movie->FGrabber_BurstInterval(), 2);
}

TEST_F(MovieProperties, PauseAnswersTrueOnlyForAPlayingMovie) {
    EXPECT_FALSE(movie->Pause()); // nothing open
    movie->Play();
    movie->Stop();
    movie->Close();
    EXPECT_EQ(OpenState(), kOpenStateClosed);
    ASSERT_TRUE(OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, 160, 120, 50}, "clip.avi")));
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
    EXPECT_TRUE(movie->Pause());
    EXPECT_FALSE(movie->Pause()); // paused
    movie->Stop();
    EXPECT_EQ(PlayState(), kPlayStateStopped);
    EXPECT_EQ(movie->GetDoubleProp(d::CurrentPosition), 0.0);
    EXPECT_FALSE(movie->Pause()); // stopped
    movie->Play();
    EXPECT_EQ(PlayState(), kPlayStatePlaying);
    movie->Close();
    ASSERT_TRUE(WaitFor([&] { return OpenState() == kOpenStateClosed; }));
    EXPECT_FALSE(movie->Pause());
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    EXPECT_FALSE(movie->CaptureFrameToBitmap(frame.get()));
}

TEST_F(MovieProperties, RateIsWrittenAndARefusedOneKeepsTheOld) {
    movie->SetRate(2.0);
    EXPECT_EQ(movie->Rate(), 2.0);
    EXPECT_EQ(movie->GetDoubleProp(d::Rate), 2.0);
    EXPECT_THROW(movie->SetRate(-1), EOleException);
    EXPECT_EQ(movie->Rate(), 2.0);
}

TEST_F(MovieProperties, SeekTakesSecondsInEitherModeAndIgnoresPositionsBeyondTheLength) {
    movie->SetAutoStart(false);
    ASSERT_TRUE(OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, 160, 120, 50}, "clip.avi")));
    Ticks(1);
    movie->SetDisplayMode(mpFrames);
    movie->Seek(1.0);
    ASSERT_TRUE(WaitFor([&] { return !movie->Player()->MediaPlayer().Engine().Seeking(); }));
    EXPECT_EQ(movie->DisplayMode(), mpFrames);
    EXPECT_EQ(movie->GetDoubleProp(d::CurrentPosition), 25.0);
    movie->Seek(2.5);
    EXPECT_FALSE(movie->Player()->MediaPlayer().Engine().Seeking());
    EXPECT_EQ(movie->GetDoubleProp(d::CurrentPosition), 25.0);
}

// Each pass-through property writes its own dispatch id.
struct PassThrough {
    const char* name;
    DISPID id;
    std::function<void(TActiveMovie&)> set;
    media::Variant expected;
};

TEST_F(MovieProperties, PassThroughPropertiesReachThePlayerByTheirIds) {
    using V = media::Variant;
    const PassThrough cases[] = {
        {"AllowScan", 1035, [](TActiveMovie& m) { m.SetAllowScan(false); }, V::Bool(false)},
        {"AnimationAtStart", 1045, [](TActiveMovie& m) { m.SetAnimationAtStart(false); },
         V::Bool(false)},
        {"AudioStream", 1096, [](TActiveMovie& m) { m.SetAudioStream(2); }, V::Int(2)},
        {"AutoRewind", 1018, [](TActiveMovie& m) { m.SetAutoRewind(false); }, V::Bool(false)},
        {"Balance", 20, [](TActiveMovie& m) { m.SetBalance(-300); }, V::Int(-300)},
        {"BaseURL", 1082, [](TActiveMovie& m) { m.SetBaseURL("http://a/"); }, V::Str("http://a/")},
        {"CaptioningID", 1085, [](TActiveMovie& m) { m.SetCaptioningID("cap"); }, V::Str("cap")},
        {"ClickToPlay", 1025, [](TActiveMovie& m) { m.SetClickToPlay(false); }, V::Bool(false)},
        {"CursorType", 1044, [](TActiveMovie& m) { m.SetCursorType(3); }, V::Int(3)},
        {"DefaultFrame", 1083, [](TActiveMovie& m) { m.SetDefaultFrame("f"); }, V::Str("f")},
        {"EnableContextMenu", 1021, [](TActiveMovie& m) { m.SetEnableContextMenu(false); },
         V::Bool(false)},
        {"Enabled", -514, [](TActiveMovie& m) { m.SetEnabled(false); }, V::Bool(false)},
        {"EnableFullScreenControls", 1108,
         [](TActiveMovie& m) { m.SetEnableFullScreenControls(true); }, V::Bool(true)},
        {"EnablePositionControls", 27, [](TActiveMovie& m) { m.SetEnablePositionControls(false); },
         V::Bool(false)},
        {"EnableTracker", 29, [](TActiveMovie& m) { m.SetEnableTracker(false); }, V::Bool(false)},
        {"InvokeURLs", 1020, [](TActiveMovie& m) { m.SetInvokeURLs(false); }, V::Bool(false)},
        {"Language", 1095, [](TActiveMovie& m) { m.SetLanguage(9); }, V::Int(9)},
        {"Mute", 1089, [](TActiveMovie& m) { m.SetMute(true); }, V::Bool(true)},
        {"PlayCount", 1030, [](TActiveMovie& m) { m.SetPlayCount(3); }, V::Int(3)},
        {"SAMIFileName", 1099, [](TActiveMovie& m) { m.SetSAMIFileName("s.smi"); },
         V::Str("s.smi")},
        {"SAMILang", 1098, [](TActiveMovie& m) { m.SetSAMILang("en"); }, V::Str("en")},
        {"SAMIStyle", 1097, [](TActiveMovie& m) { m.SetSAMIStyle("big"); }, V::Str("big")},
        {"SendErrorEvents", 1064, [](TActiveMovie& m) { m.SetSendErrorEvents(false); },
         V::Bool(false)},
        {"SendKeyboardEvents", 1013, [](TActiveMovie& m) { m.SetSendKeyboardEvents(true); },
         V::Bool(true)},
        {"SendMouseClickEvents", 1014, [](TActiveMovie& m) { m.SetSendMouseClickEvents(true); },
         V::Bool(true)},
        {"SendMouseMoveEvents", 1015, [](TActiveMovie& m) { m.SetSendMouseMoveEvents(true); },
         V::Bool(true)},
        {"SendOpenStateChangeEvents", 1062,
         [](TActiveMovie& m) { m.SetSendOpenStateChangeEvents(false); }, V::Bool(false)},
        {"SendPlayStateChangeEvents", 1069,
         [](TActiveMovie& m) { m.SetSendPlayStateChangeEvents(false); }, V::Bool(false)},
        {"SendWarningEvents", 1063, [](TActiveMovie& m) { m.SetSendWarningEvents(false); },
         V::Bool(false)},
        {"ShowAudioControls", 1107, [](TActiveMovie& m) { m.SetShowAudioControls(false); },
         V::Bool(false)},
        {"ShowCaptioning", 1084, [](TActiveMovie& m) { m.SetShowCaptioning(true); }, V::Bool(true)},
        {"ShowDisplay", 22, [](TActiveMovie& m) { m.SetShowDisplay(true); }, V::Bool(true)},
        {"ShowGotoBar", 1088, [](TActiveMovie& m) { m.SetShowGotoBar(true); }, V::Bool(true)},
        {"ShowPositionControls", 24, [](TActiveMovie& m) { m.SetShowPositionControls(false); },
         V::Bool(false)},
        {"ShowStatusBar", 1086, [](TActiveMovie& m) { m.SetShowStatusBar(true); }, V::Bool(true)},
        {"ShowTracker", 26, [](TActiveMovie& m) { m.SetShowTracker(false); }, V::Bool(false)},
        {"VideoBorder3D", 1103, [](TActiveMovie& m) { m.SetVideoBorder3D(true); }, V::Bool(true)},
        {"VideoBorderColor", 1102, [](TActiveMovie& m) { m.SetVideoBorderColor(0x123456); },
         V::Int(0x123456)},
        {"VideoBorderWidth", 1101, [](TActiveMovie& m) { m.SetVideoBorderWidth(4); }, V::Int(4)},
        {"Volume", 19, [](TActiveMovie& m) { m.SetVolume(-600); }, V::Int(-600)},
    };
    for (const PassThrough& c : cases) {
        TActiveMovie* m = CreateComponent<TActiveMovie>(form);
        c.set(*m);
        media::Variant v;
        ASSERT_EQ(m->Player()->MediaPlayer().GetProperty(c.id, &v), S_OK) << c.name;
        EXPECT_EQ(v, c.expected) << c.name;
        EXPECT_TRUE(IsPublishedProp(m, c.name)) << c.name;
        // Read back by name, which takes the value from the player as its own kind.
        if (c.expected.vt == VT_BSTR)
            EXPECT_EQ(GetStrProp(m, c.name), c.expected.bstrVal) << c.name;
        else if (c.expected.vt == VT_BOOL)
            EXPECT_EQ(GetOrdProp(m, c.name) != 0, c.expected.boolVal != 0) << c.name;
        else
            EXPECT_EQ(GetOrdProp(m, c.name), c.expected.lVal) << c.name;
    }
}

TEST_F(MovieProperties, OwnPropertiesArePublishedByName) {
    SetOrdProp(movie, "CaptureSize", 50);
    EXPECT_EQ(movie->CaptureSize(), 50);
    SetStrProp(movie, "AutoFilePrefix", "clip");
    EXPECT_EQ(movie->AutoFilePrefix(), "clip");
    SetStrProp(movie, "SelectionEnd", "2.5");
    EXPECT_EQ(movie->SelectionEnd(), 2.5);
    SetOrdProp(movie, "DisplaySize", mpHalfSize);
    EXPECT_EQ(movie->DisplaySize(), mpHalfSize);
    SetOrdProp(movie, "Volume", -100);
    EXPECT_EQ(GetOrdProp(movie, "Volume"), -100);
    for (const char* name : {"AutoFileName",
                             "AutoStart",
                             "DisplayLogo",
                             "DisplayMode",
                             "FGrabber_BurstCount",
                             "FGrabber_BurstInterval",
                             "FGrabber_BurstMode",
                             "FGrabber_Enabled",
                             "FileName",
                             "FullScreenMode",
                             "JPEGPerformance",
                             "JPEGProgressiveDisplay",
                             "JPEGQuality",
                             "Loop",
                             "Rate",
                             "ScrollBarsThickness",
                             "SelectionStart",
                             "ShowControls",
                             "ShowScrollBars",
                             "StoragePath",
                             "Visible",
                             "ZoomSize",
                             "Color",
                             "ParentColor",
                             "Align"})
        EXPECT_TRUE(IsPublishedProp(movie, name)) << name;
}

} // namespace

namespace {

// A drag over the player reaches the component's handlers, the component the sender; without
// a handler of its own the component takes no drop.
TEST_F(MovieProperties, DragEventsOverThePlayerReachTheComponent) {
    TPanel* source = CreateComponent<TPanel>(form);
    source->SetParent(form);
    source->SetBounds(0, 0, 20, 20);
    source->BringToFront();
    source->OnMouseDown = [source](TObject*, TMouseButton, TShiftState, int, int) {
        source->BeginDrag(true);
    };
    std::vector<std::string> log;
    TObject* endedOn = form;
    source->OnEndDrag = [&](TObject*, TObject* target, int, int) { endedOn = target; };
    auto drag = [&] {
        session->MovePointer(5, 5);
        session->PressButton();
        Pump();
        session->MovePointer(200, 150);
        Pump();
        session->ReleaseButton();
        Pump();
    };
    drag();
    EXPECT_EQ(endedOn, nullptr);
    movie->OnDragOver = [&](TObject* sender, TObject* from, int, int, TDragState, bool&) {
        EXPECT_EQ(sender, movie);
        EXPECT_EQ(from, source);
        log.push_back("over");
    };
    movie->OnDragDrop = [&](TObject* sender, TObject*, int x, int y) {
        EXPECT_EQ(sender, movie);
        log.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
    };
    drag();
    EXPECT_EQ(log, (std::vector<std::string>{"over", "drop 200,150"}));
    EXPECT_EQ(endedOn, movie->Player());
}

} // namespace
