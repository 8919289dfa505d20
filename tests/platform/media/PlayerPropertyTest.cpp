#include "platform/media/PlayerTestUtil.h"

#include <gtest/gtest.h>

using namespace fixtures;
using namespace media;

namespace {

EngineOptions Silent() {
    EngineOptions o;
    o.useAudioDevice = false;
    return o;
}

} // namespace

TEST(VariantConversion, ConvertsBetweenNumberKindsAndRefusesStrings) {
    Variant out;
    ASSERT_EQ(ChangeType(Variant::Int(5), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out, Variant::Bool(true));
    ASSERT_EQ(ChangeType(Variant::Bool(true), VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, -1);
    ASSERT_EQ(ChangeType(Variant::Double(2.5), VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, 2) << "halves go to even";
    ASSERT_EQ(ChangeType(Variant::Double(3.5), VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, 4);
    EXPECT_EQ(ChangeType(Variant::Double(1e12), VT_I4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(ChangeType(Variant::Str("1"), VT_I4, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ChangeType(Variant::Int(1), VT_BSTR, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ChangeType(Variant{}, VT_R8, &out), DISP_E_TYPEMISMATCH);
}

// Every id the movie component passes through answers with its type and starting value.
TEST(PlayerProperties, PassThroughIdsAnswerTheirTypeAndStartValue) {
    MediaPlayer player(Silent());
    struct Case {
        DISPID id;
        Variant initial;
    };
    const Case cases[] = {
        {dispid::AllowScan, Variant::Bool(true)},
        {dispid::AnimationAtStart, Variant::Bool(true)},
        {dispid::AudioStream, Variant::Int(-1)},
        {dispid::AutoRewind, Variant::Bool(true)},
        {dispid::Balance, Variant::Int(0)},
        {dispid::BaseURL, Variant::Str("")},
        {dispid::CaptioningID, Variant::Str("")},
        {dispid::ClickToPlay, Variant::Bool(true)},
        {dispid::CursorType, Variant::Int(0)},
        {dispid::DefaultFrame, Variant::Str("")},
        {dispid::EnableContextMenu, Variant::Bool(true)},
        {dispid::Enabled, Variant::Bool(true)},
        {dispid::EnableFullScreenControls, Variant::Bool(false)},
        {dispid::EnablePositionControls, Variant::Bool(true)},
        {dispid::EnableTracker, Variant::Bool(true)},
        {dispid::InvokeURLs, Variant::Bool(true)},
        {dispid::Language, Variant::Int(-1)},
        {dispid::Mute, Variant::Bool(false)},
        {dispid::PlayCount, Variant::Int(1)},
        {dispid::SAMIFileName, Variant::Str("")},
        {dispid::SAMILang, Variant::Str("")},
        {dispid::SAMIStyle, Variant::Str("")},
        {dispid::SendErrorEvents, Variant::Bool(true)},
        {dispid::SendKeyboardEvents, Variant::Bool(false)},
        {dispid::SendMouseClickEvents, Variant::Bool(false)},
        {dispid::SendMouseMoveEvents, Variant::Bool(false)},
        {dispid::SendOpenStateChangeEvents, Variant::Bool(true)},
        {dispid::SendPlayStateChangeEvents, Variant::Bool(true)},
        {dispid::SendWarningEvents, Variant::Bool(true)},
        {dispid::ShowAudioControls, Variant::Bool(true)},
        {dispid::ShowCaptioning, Variant::Bool(false)},
        {dispid::ShowDisplay, Variant::Bool(false)},
        {dispid::ShowGotoBar, Variant::Bool(false)},
        {dispid::ShowPositionControls, Variant::Bool(true)},
        {dispid::ShowStatusBar, Variant::Bool(false)},
        {dispid::ShowTracker, Variant::Bool(true)},
        {dispid::VideoBorder3D, Variant::Bool(false)},
        {dispid::VideoBorderColor, Variant::Int(0)},
        {dispid::VideoBorderWidth, Variant::Int(0)},
        {dispid::Volume, Variant::Int(0)},
        {dispid::ShowControls, Variant::Bool(true)},
        {dispid::DisplayMode, Variant::Int(0)},
        {dispid::DisplaySize, Variant::Int(0)},
        {dispid::Rate, Variant::Double(1)},
        {dispid::AutoSize, Variant::Bool(true)},
        {dispid::VideoInFrame, Variant::Bool(false)},
        {dispid::OpenState, Variant::Int(0)},
        {dispid::PlayState, Variant::Int(0)},
        {dispid::ImageSourceWidth, Variant::Int(0)},
        {dispid::ImageSourceHeight, Variant::Int(0)},
        {dispid::Duration, Variant::Double(0)},
        {dispid::CurrentPosition, Variant::Double(0)},
        {dispid::FileName, Variant::Str("")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Get(player, c.id), c.initial) << "dispatch id " << c.id;
}

TEST(PlayerProperties, WritesKeepTheDeclaredTypeAndRefuseWhatDoesNotFit) {
    MediaPlayer player(Silent());
    // A host writes booleans as -1/0 and integers as 32-bit numbers; other number kinds are
    // converted to the property's own type.
    EXPECT_EQ(player.PutProperty(dispid::ShowTracker, Variant::Bool(false)), S_OK);
    EXPECT_EQ(Get(player, dispid::ShowTracker), Variant::Bool(false));
    EXPECT_EQ(player.PutProperty(dispid::CursorType, Variant::Double(3)), S_OK);
    EXPECT_EQ(Get(player, dispid::CursorType), Variant::Int(3));
    EXPECT_EQ(player.PutProperty(dispid::BaseURL, Variant::Str("http://a/")), S_OK);
    EXPECT_EQ(Get(player, dispid::BaseURL), Variant::Str("http://a/"));
    // The component writes the position as a boolean before anything is open.
    EXPECT_EQ(player.PutProperty(dispid::CurrentPosition, Variant::Bool(false)), S_OK);

    struct Refused {
        DISPID id;
        Variant value;
        HRESULT result;
    };
    const Refused refused[] = {
        {dispid::OpenState, Variant::Int(6), DISP_E_MEMBERNOTFOUND},
        {dispid::PlayState, Variant::Int(2), DISP_E_MEMBERNOTFOUND},
        {dispid::ReadyState, Variant::Int(4), DISP_E_MEMBERNOTFOUND},
        {dispid::Duration, Variant::Double(9), DISP_E_MEMBERNOTFOUND},
        {dispid::ImageSourceWidth, Variant::Int(9), DISP_E_MEMBERNOTFOUND},
        {4242, Variant::Int(1), DISP_E_MEMBERNOTFOUND},
        {dispid::Volume, Variant::Str("loud"), DISP_E_TYPEMISMATCH},
        {dispid::BaseURL, Variant::Int(1), DISP_E_TYPEMISMATCH},
        {dispid::Volume, Variant::Int(1), E_INVALIDARG},
        {dispid::Volume, Variant::Int(-10001), E_INVALIDARG},
        {dispid::Balance, Variant::Int(10001), E_INVALIDARG},
        {dispid::Rate, Variant::Double(0), E_INVALIDARG},
        {dispid::Rate, Variant::Double(-1), E_INVALIDARG},
        {dispid::DisplaySize, Variant::Int(5), E_INVALIDARG},
        {dispid::DisplayMode, Variant::Int(2), E_INVALIDARG},
        {dispid::PlayCount, Variant::Int(-1), E_INVALIDARG},
        {dispid::CurrentPosition, Variant::Double(-1), E_INVALIDARG},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(player.PutProperty(r.id, r.value), r.result) << "dispatch id " << r.id;
    // Refused writes leave the old values.
    EXPECT_EQ(Get(player, dispid::Volume), Variant::Int(0));
    EXPECT_EQ(Get(player, dispid::Rate), Variant::Double(1));
    EXPECT_EQ(Get(player, dispid::DisplaySize), Variant::Int(0));
    EXPECT_EQ(Get(player, dispid::PlayCount), Variant::Int(1));
    Variant v;
    EXPECT_EQ(player.GetProperty(4242, &v), DISP_E_MEMBERNOTFOUND);
}

TEST(PlayerProperties, ChangingTheDisplayModeRaisesItsEventOnce) {
    MediaPlayer player(Silent());
    PlayerProbe probe(player);
    EXPECT_EQ(player.PutProperty(dispid::DisplayMode, Variant::Int(mpFrames)), S_OK);
    EXPECT_EQ(player.PutProperty(dispid::DisplayMode, Variant::Int(mpFrames)), S_OK);
    ASSERT_EQ(probe.events.size(), 1u);
    EXPECT_EQ(probe.events[0].id, eventid::DisplayModeChange);
}

TEST(PlayerMethods, RefuseWhatNeedsAnOpenMovie) {
    MediaPlayer player(Silent());
    EXPECT_EQ(player.Play(), E_UNEXPECTED);
    EXPECT_EQ(player.Pause(), E_UNEXPECTED);
    EXPECT_EQ(player.Stop(), E_UNEXPECTED);
    EXPECT_EQ(player.Open(""), E_INVALIDARG);
    std::string text = "x";
    LONG code = 1;
    EXPECT_EQ(player.ErrorDescription(&text), S_OK);
    EXPECT_EQ(player.ErrorCode(&code), S_OK);
    EXPECT_EQ(text, "");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(player.ErrorCode(nullptr), E_POINTER);
}
