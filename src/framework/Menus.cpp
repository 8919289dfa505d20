#include "framework/Menus.h"

#include "framework/ImageList.h"
#include "framework/MenuPopup.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/Text.h"

#include <algorithm>
#include <cctype>

namespace {

struct KeyName {
    Word vk;
    const char* name;
};
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},  {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},      {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

String KeyText(Word vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return String(1, char(vk));
    if (vk >= VK_F1 && vk <= VK_F12) return "F" + std::to_string(vk - VK_F1 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.vk == vk) return k.name;
    return {};
}

bool SameKeyText(const String& a, const String& b) {
    return UpperCase(a) == UpperCase(b);
}

bool TreeContains(const TMenuItem* root, const TMenuItem* item) {
    if (root == item) return true;
    for (int i = 0; i < root->Count(); ++i)
        if (TreeContains(root->Items(i), item)) return true;
    return false;
}

} // namespace

// --- shortcuts and captions ---

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key & 0xFF00) return scNone;
    TShortCut s = Key;
    if (Shift.Contains(ssShift)) s |= scShift;
    if (Shift.Contains(ssCtrl)) s |= scCtrl;
    if (Shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
    Key = ShortCut & 0xFF;
    Shift = TShiftState{};
    if (ShortCut & scShift) Shift.Include(ssShift);
    if (ShortCut & scCtrl) Shift.Include(ssCtrl);
    if (ShortCut & scAlt) Shift.Include(ssAlt);
}

String ShortCutToText(TShortCut ShortCut) {
    String key = KeyText(ShortCut & 0xFF);
    if (key.empty()) return {};
    String text;
    if (ShortCut & scShift) text += "Shift+";
    if (ShortCut & scCtrl) text += "Ctrl+";
    if (ShortCut & scAlt) text += "Alt+";
    return text + key;
}

TShortCut TextToShortCut(const String& Text) {
    String rest = Text;
    TShortCut flags = 0;
    for (;;) {
        auto plus = rest.find('+');
        if (plus == String::npos || plus + 1 >= rest.size()) break;
        String mod = rest.substr(0, plus);
        if (SameKeyText(mod, "Shift"))
            flags |= scShift;
        else if (SameKeyText(mod, "Ctrl"))
            flags |= scCtrl;
        else if (SameKeyText(mod, "Alt"))
            flags |= scAlt;
        else
            return scNone;
        rest = rest.substr(plus + 1);
    }
    for (int vk = 1; vk < 256; ++vk) {
        String name = KeyText(Word(vk));
        if (!name.empty() && SameKeyText(name, rest)) return TShortCut(flags | vk);
    }
    return scNone;
}

String StripHotkey(const String& Text) {
    String out;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '&') {
            if (i + 1 < Text.size() && Text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += Text[i];
    }
    return out;
}

char GetHotkey(const String& Text) {
    for (size_t i = 0; i + 1 < Text.size(); ++i) {
        if (Text[i] != '&') continue;
        if (Text[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(Text[i + 1]);
        return c < 0x80 ? char(std::toupper(c)) : 0;
    }
    return 0;
}

// --- TMenuItem ---

void TMenuItem::Destroy() {
    if (parent_) parent_->Remove(this);
    while (!items_.empty()) {
        TMenuItem* last = items_.back();
        items_.pop_back();
        last->parent_ = nullptr;
        last->Free();
    }
    inherited::Destroy();
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
    return items_[size_t(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) throw EMenuError("Menu item is nil");
    if (Item->parent_ || Item->menu_) throw EMenuError("Menu inserted twice");
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == Item) throw EMenuError("A menu item cannot hold itself");
    if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
    TakeChild(Index, Item);
}

void TMenuItem::TakeChild(int Index, TMenuItem* Item) {
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
    MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = Items(Index);
    Remove(item);
    item->Free();
}

void TMenuItem::Remove(TMenuItem* Item) {
    int at = IndexOf(Item);
    if (at < 0) throw EMenuError("Menu item not found");
    items_.erase(items_.begin() + at);
    Item->parent_ = nullptr;
    MenuChanged(true);
}

void TMenuItem::Clear() {
    while (Count() > 0)
        Delete(Count() - 1);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->parent_)
        root = root->parent_;
    return root->menu_;
}

void TMenuItem::SetCaption(const String& Value) {
    if (AssignIfChanged(caption_, Value)) MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut Value) {
    if (AssignIfChanged(shortCut_, Value)) MenuChanged(false);
}

void TMenuItem::SetChecked(bool Value) {
    if (!AssignIfChanged(checked_, Value)) return;
    if (Value && radioItem_) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
    if (!parent_) return;
    for (TMenuItem* s : parent_->items_) {
        if (s == this || !s->radioItem_ || s->groupIndex_ != groupIndex_ || !s->checked_) continue;
        s->checked_ = false;
        s->MenuChanged(false);
    }
}

void TMenuItem::SetEnabled(bool Value) {
    if (AssignIfChanged(enabled_, Value)) MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
    if (default_ == Value) return;
    // One default item per sub-menu.
    if (Value && parent_)
        for (TMenuItem* s : parent_->items_)
            s->default_ = false;
    default_ = Value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
    if (AssignIfChanged(visible_, Value)) MenuChanged(true);
}

void TMenuItem::SetImageIndex(int Value) {
    if (AssignIfChanged(imageIndex_, Value)) MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool Value) {
    if (!AssignIfChanged(radioItem_, Value)) return;
    if (radioItem_ && checked_) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(int Value) {
    if (!AssignIfChanged(groupIndex_, Value)) return;
    if (radioItem_ && checked_) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (OnClick) OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected) {
    if (OnDrawItem)
        OnDrawItem(this, ACanvas, ARect, Selected);
    else
        DefaultDrawItem(ACanvas, ARect, Selected);
}

TMenuItem* TMenuItem::FindItemByShortCut(TShortCut Key) {
    if (Key == scNone) return nullptr;
    for (TMenuItem* item : items_) {
        if (item->shortCut_ == Key) return item;
        if (TMenuItem* deeper = item->FindItemByShortCut(Key)) return deeper;
    }
    return nullptr;
}

void TMenuItem::MenuChanged(bool Rebuild) {
    TMenu* menu = GetParentMenu();
    if (menu && !menu->ComponentState().Contains(csDestroying))
        menu->MenuChanged(this, this, Rebuild);
}

// --- TMenu ---

void TMenu::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    items_ = CreateComponent<TMenuItem>(nullptr);
    items_->menu_ = this;
}

void TMenu::Destroy() {
    if (items_) {
        items_->menu_ = nullptr;
        FreeAndNil(items_);
    }
    inherited::Destroy();
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == images_) SetImages(nullptr);
}

void TMenu::SetImages(TImageList* Value) {
    if (images_ == Value) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (images_) images_->FreeNotification(this);
    MenuChanged(this, nullptr, false);
}

void TMenu::SetOwnerDraw(bool Value) {
    if (AssignIfChanged(ownerDraw_, Value)) MenuChanged(this, nullptr, false);
}

bool TMenu::IsShortCut(TMessage& Message) {
    if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN) return false;
    if (Message.WParam > 0xFF) return false;
    TShiftState shift = KeyboardShiftState();
    TShiftState mods;
    if (shift.Contains(ssShift)) mods.Include(ssShift);
    if (shift.Contains(ssCtrl)) mods.Include(ssCtrl);
    if (shift.Contains(ssAlt) || Message.Msg == WM_SYSKEYDOWN) mods.Include(ssAlt);
    TShortCut key = ::ShortCut(Word(Message.WParam), mods);
    TMenuItem* item = items_->FindItemByShortCut(key);
    if (!item) return false;
    // The parents hear a click first, as when their sub-menus open, so that they can bring
    // their items up to date; the item is looked up again after that.
    std::vector<TMenuItem*> chain;
    for (TMenuItem* p = item->Parent(); p && p != items_; p = p->Parent())
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!TreeContains(items_, *it) || !(*it)->Enabled()) return false;
        (*it)->Click();
    }
    item = items_->FindItemByShortCut(key);
    if (!item || !item->Enabled()) return false;
    item->Click();
    return true;
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    (void)Sender;
    if (OnChange) OnChange(this, Source, Rebuild);
}

// --- TPopupMenu ---

void TPopupMenu::Popup(int X, int Y) {
    if (MenuTrackingActive()) return;
    if (OnPopup) OnPopup(this);
    MenuTrackRequest request;
    request.Parent = Items();
    request.At = Point(X, Y);
    MenuTrackResult result = TrackMenu(request);
    if (OnClose) OnClose(this);
    // The item may have gone while the menu closed; only one still in the tree runs.
    if (result.End == MenuTrackEnd::Chosen && TreeContains(Items(), result.Item))
        result.Item->Click();
}
