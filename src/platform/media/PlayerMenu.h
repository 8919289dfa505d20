#pragma once
// The player control's context menu: a small popup window of its own, drawn plainly with the
// GDI (the framework's menus sit above this layer). While open it holds the pointer: a click
// on an enabled item chooses it, a click outside closes the menu. A popup menu never takes
// the keyboard focus, so the window that has it hands its key presses on (HandleKey).
#include "platform/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace media {

struct MenuItem {
    std::string text; // empty: a separator
    int command = 0;
    bool enabled = true;
    bool checked = false;
};

class PopupMenu {
public:
    // Gets the chosen item's command after the menu has closed; it may destroy the menu.
    using ChooseHandler = std::function<void(int command)>;

    PopupMenu() = default;
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Shows the items with the top-left corner at a screen point (moved in to stay on the
    // screen), owned by owner's top-level window. An open menu closes first. False when there
    // is no item or the window cannot be made.
    bool Open(HWND owner, POINT screen, std::vector<MenuItem> items, ChooseHandler chosen);
    // Closes without choosing; nothing when not open.
    void Close();
    bool IsOpen() const { return window_ != 0; }
    HWND Handle() const { return window_; }

    // Up and Down move the highlight over the enabled items (wrapping round), Enter chooses
    // the highlighted one, Esc closes. True when the key was the menu's.
    bool HandleKey(int vk);
    // The highlighted item's index, -1 for none.
    int Highlighted() const { return highlighted_; }
    // Where an item sits, in the menu window's client coordinates.
    RECT ItemRect(int index) const;

    LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    bool Selectable(int index) const;
    int ItemAt(POINT client) const;
    void SetHighlight(int index);
    void Choose(int index);
    void Measure(HDC dc);
    void Paint(HWND hwnd);

    HWND window_ = 0;
    std::vector<MenuItem> items_;
    std::vector<int> tops_; // each item's top, plus the bottom of the last
    int width_ = 0;
    int highlighted_ = -1;
    bool closing_ = false;
    ChooseHandler chosen_;
};

} // namespace media
