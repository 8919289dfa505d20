#include "platform/media/PlayerProperties.h"

#include <algorithm>
#include <vector>

namespace media {

namespace {

PropertyInfo Kept(DISPID id, Variant initial) {
    return {id, initial.vt, initial, false, false};
}
PropertyInfo Live(DISPID id, VARTYPE type, bool readOnly) {
    return {id, type, {}, readOnly, true};
}

const std::vector<PropertyInfo>& Table() {
    using V = Variant;
    namespace d = dispid;
    static const std::vector<PropertyInfo> table = [] {
        std::vector<PropertyInfo> t = {
            Live(d::OpenState, VT_I4, true),
            Live(d::PlayState, VT_I4, true),
            Live(d::ReadyState, VT_I4, true),
            Live(d::CurrentPosition, VT_R8, false),
            Live(d::Duration, VT_R8, true),
            Live(d::Rate, VT_R8, false),
            Live(d::ImageSourceWidth, VT_I4, true),
            Live(d::ImageSourceHeight, VT_I4, true),
            Live(d::FileName, VT_BSTR, false),
            Live(d::Volume, VT_I4, false),
            Live(d::Balance, VT_I4, false),
            Live(d::DisplayMode, VT_I4, false),
            Live(d::DisplaySize, VT_I4, false),
            Kept(d::ShowControls, V::Bool(true)),
            Kept(d::ShowDisplay, V::Bool(false)),
            Kept(d::ShowPositionControls, V::Bool(true)),
            Kept(d::ShowTracker, V::Bool(true)),
            Kept(d::EnablePositionControls, V::Bool(true)),
            Kept(d::EnableTracker, V::Bool(true)),
            Kept(d::EnableContextMenu, V::Bool(true)),
            Kept(d::Mute, V::Bool(false)),
            Kept(d::AutoRewind, V::Bool(true)),
            Kept(d::PlayCount, V::Int(1)),
            Kept(d::AllowScan, V::Bool(true)),
            Kept(d::AnimationAtStart, V::Bool(true)),
            Kept(d::AudioStream, V::Int(-1)),
            Kept(d::BaseURL, V::Str("")),
            Kept(d::CaptioningID, V::Str("")),
            Kept(d::ClickToPlay, V::Bool(true)),
            Kept(d::CursorType, V::Int(0)),
            Kept(d::DefaultFrame, V::Str("")),
            Kept(d::Enabled, V::Bool(true)),
            Kept(d::EnableFullScreenControls, V::Bool(false)),
            Kept(d::InvokeURLs, V::Bool(true)),
            Kept(d::Language, V::Int(-1)),
            Kept(d::SAMIFileName, V::Str("")),
            Kept(d::SAMILang, V::Str("")),
            Kept(d::SAMIStyle, V::Str("")),
            // Without error events nobody would learn why an open failed: on by default.
            Kept(d::SendErrorEvents, V::Bool(true)),
            Kept(d::SendKeyboardEvents, V::Bool(false)),
            Kept(d::SendMouseClickEvents, V::Bool(false)),
            Kept(d::SendMouseMoveEvents, V::Bool(false)),
            Kept(d::SendOpenStateChangeEvents, V::Bool(true)),
            Kept(d::SendPlayStateChangeEvents, V::Bool(true)),
            Kept(d::SendWarningEvents, V::Bool(true)),
            Kept(d::ShowAudioControls, V::Bool(true)),
            Kept(d::ShowCaptioning, V::Bool(false)),
            Kept(d::ShowGotoBar, V::Bool(false)),
            Kept(d::ShowStatusBar, V::Bool(false)),
            Kept(d::VideoBorder3D, V::Bool(false)),
            Kept(d::VideoBorderColor, V::Int(0)),
            Kept(d::VideoBorderWidth, V::Int(0)),
            Kept(d::VideoInFrame, V::Bool(false)),
            Kept(d::AutoSize, V::Bool(true)),
        };
        std::sort(t.begin(), t.end(),
                  [](const PropertyInfo& a, const PropertyInfo& b) { return a.id < b.id; });
        return t;
    }();
    return table;
}

} // namespace

const PropertyInfo* FindProperty(DISPID id) {
    const auto& t = Table();
    auto it = std::lower_bound(t.begin(), t.end(), id,
                               [](const PropertyInfo& p, DISPID v) { return p.id < v; });
    return it != t.end() && it->id == id ? &*it : nullptr;
}

PlayerProperties::PlayerProperties() {
    for (const PropertyInfo& p : Table())
        if (!p.live) values_[p.id] = p.initial;
}

const Variant& PlayerProperties::Get(DISPID id) const {
    static const Variant none;
    auto it = values_.find(id);
    return it != values_.end() ? it->second : none;
}

HRESULT PlayerProperties::Put(DISPID id, const Variant& value) {
    const PropertyInfo* info = FindProperty(id);
    if (!info || info->live) return DISP_E_MEMBERNOTFOUND;
    Variant converted;
    const HRESULT hr = ChangeType(value, info->type, &converted);
    if (FAILED(hr)) return hr;
    values_[id] = std::move(converted);
    return S_OK;
}

} // namespace media
