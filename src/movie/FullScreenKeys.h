#pragma once
// The key releases the program hears through OnFullScreenKeyPress while the player shows the
// movie full screen. Two window procedures catch them: the player's renderer window's,
// replaced while a movie is open, and that of a hidden form the component owns. A caught key
// waits for the component's poll to deliver it; a delivered Esc leaves full screen instead.
// Nothing is caught while no handler is bound.
#include "framework/WinControl.h"
#include "movie/PlayerProperties.h"

#include <functional>

class TForm;

using TFullScreenKeyPressEvent = std::function<void(TObject* Sender, Word Key, TShiftState Shift)>;

class FullScreenKeys {
public:
    struct Hooks {
        // A delivered Esc.
        std::function<void()> leaveFullScreen;
        // The hidden form's WM_WINDOWPOSCHANGING, before it is passed on.
        std::function<void()> hiddenFormMoving;
    };

    // Host: the component, whose descendant windows are searched for the renderer, which owns
    // the hidden form and is the sender of Handler.
    FullScreenKeys(TWinControl& Host, PlayerProperties Player,
                   const TFullScreenKeyPressEvent& Handler, Hooks Callbacks);
    FullScreenKeys(const FullScreenKeys&) = delete;
    FullScreenKeys& operator=(const FullScreenKeys&) = delete;

    // Once the host's window exists; a second call keeps the first form.
    void CreateHiddenForm();
    // The first descendant window whose class name holds "renderer"; nothing while one is
    // hooked or the host has no window.
    void HookRenderer();
    // The renderer window gets its own procedure back.
    void UnhookRenderer();
    // Both windows get their own procedures back (destruction).
    void Release();

    // From the poll: the pending key, when there is one and a handler is bound.
    void DeliverPending();

    HWND RendererWindow() const { return rendererWindow_; }
    TForm* HiddenForm() const { return hiddenForm_; }

private:
    static LRESULT RendererWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void HiddenFormWndProc(TMessage& Message);
    bool FullScreen() const;
    bool RecordKey(WPARAM key, LPARAM data);
    void Deliver();

    TWinControl& host_;
    PlayerProperties player_;
    const TFullScreenKeyPressEvent& handler_;
    Hooks hooks_;
    TForm* hiddenForm_ = nullptr;
    TWndMethod hiddenFormOldProc_;
    HWND rendererWindow_ = 0;
    WNDPROC rendererOldProc_ = nullptr;
    int pendingKey_ = 0;
    int pendingKeyData_ = 0;
    bool keyPending_ = false;
};
