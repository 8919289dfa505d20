#include "ControlTestUtil.h"

#include "framework/Edit.h"
#include "platform/user/Clipboard.h"
#include "platform/user/User.h"

#include <cstring>
#include <functional>

namespace {

// An edit that refuses pasting and cutting, as a field that only takes digits might.
class TNoPasteEdit : public TEdit {
    KORVID_CLASS(TNoPasteEdit, TEdit)
    int refused = 0;
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_PASTE || m.Msg == WM_CUT) {
            ++refused;
            return;
        }
        inherited::Dispatch(m);
    }
};

String ClipboardText() {
    String s;
    if (!OpenClipboard(0)) return s;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (auto* p = static_cast<const char*>(GlobalLock(h))) {
            s = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return s;
}

void PutClipboardText(const String& s) {
    ASSERT_TRUE(OpenClipboard(0));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
    std::memcpy(GlobalLock(mem), s.c_str(), s.size() + 1);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
}

class EditTest : public ControlFixture {
public:
    void SetUp() override {
        ControlFixture::SetUp();
        edit_ = Make<TEdit>();
        ShowForm();
        edit_->SetFocus();
        Pump();
        edit_->OnChange = [this](TObject*) { ++changes_; };
    }
    template <class T> T* Make() {
        T* e = CreateComponent<T>(form_);
        e->SetBounds(10, 10, 200, 21);
        e->SetParent(form_);
        return e;
    }
    // The table's cases type through the fixture.
    using ControlFixture::Key;
    using ControlFixture::Type;
    TEdit* edit_ = nullptr;
    int changes_ = 0;
};

TEST_F(EditTest, EditingKeys) {
    struct Case {
        const char* name;
        std::function<void(EditTest&)> keys;
        const char* text;
        int selStart, selLength;
    };
    const Case cases[] = {
        {"typing", [](EditTest& t) { t.Type("hello"); }, "hello", 5, 0},
        {"backspace",
         [](EditTest& t) {
             t.Type("abc");
             t.Key(VK_BACK);
         },
         "ab", 2, 0},
        {"left then insert",
         [](EditTest& t) {
             t.Type("ac");
             t.Key(VK_LEFT);
             t.Type("b");
         },
         "abc", 2, 0},
        {"home and delete",
         [](EditTest& t) {
             t.Type("xabc");
             t.Key(VK_HOME);
             t.Key(VK_DELETE);
         },
         "abc", 0, 0},
        {"shift+home selects",
         [](EditTest& t) {
             t.Type("abc");
             t.Key(VK_HOME, true);
         },
         "abc", 0, 3},
        {"shift+left twice",
         [](EditTest& t) {
             t.Type("abcd");
             t.Key(VK_LEFT, true);
             t.Key(VK_LEFT, true);
         },
         "abcd", 2, 2},
        {"typing replaces selection",
         [](EditTest& t) {
             t.Type("abc");
             t.Key(VK_LEFT, true);
             t.Type("X");
         },
         "abX", 3, 0},
        {"ctrl+a selects all",
         [](EditTest& t) {
             t.Type("abc");
             t.Key('A', false, true);
         },
         "abc", 0, 3},
        {"ctrl+left to word start",
         [](EditTest& t) {
             t.Type("one two");
             t.Key(VK_LEFT, false, true);
         },
         "one two", 4, 0},
        {"left collapses selection",
         [](EditTest& t) {
             t.Type("abc");
             t.Key(VK_HOME, true);
             t.Key(VK_RIGHT);
         },
         "abc", 3, 0},
        {"enter and tab type nothing",
         [](EditTest& t) {
             t.Type("a");
             t.edit_->Perform(WM_CHAR, '\r', 0);
             t.edit_->Perform(WM_CHAR, '\t', 0);
         },
         "a", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit_->SetText("");
        c.keys(*this);
        EXPECT_EQ(edit_->Text(), c.text);
        EXPECT_EQ(edit_->SelStart(), c.selStart);
        EXPECT_EQ(edit_->SelLength(), c.selLength);
    }
}

// A stray byte is a character of its own, as the text is drawn; steps and selections never
// end inside a well-formed character.
TEST_F(EditTest, CaretStepsOverWholeCharactersAndStrayBytes) {
    const std::string text = "a\x80"
                             "b\xE2\x82\xAC"
                             "c"; // a, stray byte, b, euro sign, c
    struct Case {
        const char* name;
        std::function<void(EditTest&)> keys;
        int selStart, selLength;
    };
    const Case cases[] = {
        {"left over c",
         [](EditTest& t) {
             t.Key(VK_END);
             t.Key(VK_LEFT);
         },
         6, 0},
        {"left over the euro sign",
         [](EditTest& t) {
             t.Key(VK_END);
             t.Key(VK_LEFT);
             t.Key(VK_LEFT);
         },
         3, 0},
        {"left to the stray byte",
         [](EditTest& t) {
             t.Key(VK_HOME);
             t.Key(VK_RIGHT);
             t.Key(VK_RIGHT);
             t.Key(VK_LEFT);
         },
         1, 0},
        {"shift+right takes the stray byte alone",
         [](EditTest& t) {
             t.Key(VK_HOME);
             t.Key(VK_RIGHT);
             t.Key(VK_RIGHT, true);
         },
         1, 1},
        {"start inside the euro sign", [](EditTest& t) { t.edit_->SetSelStart(4); }, 3, 0},
        {"start on the stray byte", [](EditTest& t) { t.edit_->SetSelStart(1); }, 1, 0},
        {"length ending inside the euro sign",
         [](EditTest& t) {
             t.edit_->SetSelStart(2);
             t.edit_->SetSelLength(2);
         },
         2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit_->SetText(text);
        c.keys(*this);
        EXPECT_EQ(edit_->SelStart(), c.selStart);
        EXPECT_EQ(edit_->SelLength(), c.selLength);
    }
    edit_->SetText(text);
    Key(VK_HOME);
    Key(VK_RIGHT);
    Key(VK_DELETE);
    EXPECT_EQ(edit_->Text(), "ab\xE2\x82\xAC"
                             "c");
}

TEST_F(EditTest, ClipboardGoesThroughTheMessages) {
    Type("hello world");
    Key(VK_LEFT, true, true); // selects "world"
    Key('C', false, true);
    EXPECT_EQ(ClipboardText(), "world");
    Key('X', false, true);
    EXPECT_EQ(edit_->Text(), "hello ");
    Key(VK_HOME);
    Key('V', false, true);
    EXPECT_EQ(edit_->Text(), "worldhello ");

    // A descendant that drops WM_PASTE and WM_CUT keeps its text.
    auto* guarded = Make<TNoPasteEdit>();
    guarded->SetText("keep");
    guarded->SetFocus();
    Pump();
    Key('A', false, true);
    Key('V', false, true);
    Key('X', false, true);
    guarded->PasteFromClipboard();
    EXPECT_EQ(guarded->Text(), "keep");
    EXPECT_EQ(guarded->refused, 3);
    Key('C', false, true);
    EXPECT_EQ(ClipboardText(), "keep");
}

TEST_F(EditTest, PasteHonoursMaxLengthAndTakesOneLine) {
    edit_->SetMaxLength(5);
    PutClipboardText("abcdefgh");
    Key('V', false, true);
    EXPECT_EQ(edit_->Text(), "abcde");
    Type("z");
    EXPECT_EQ(edit_->Text(), "abcde");
    edit_->SetText("text set from code is not cut");
    EXPECT_EQ(edit_->Text(), "text set from code is not cut");

    edit_->SetMaxLength(0);
    edit_->SetText("");
    PutClipboardText("first\r\nsecond");
    edit_->PasteFromClipboard();
    EXPECT_EQ(edit_->Text(), "first");
}

TEST_F(EditTest, OnChangeCountsEveryChange) {
    Type("abc");
    EXPECT_EQ(changes_, 3);
    edit_->SetText("code");
    EXPECT_EQ(changes_, 4);
    edit_->SetText("code"); // unchanged: no event
    EXPECT_EQ(changes_, 4);
    SetWindowText(edit_->Handle(), "window");
    EXPECT_EQ(edit_->Text(), "window");
    EXPECT_EQ(changes_, 5);
    edit_->SelectAll();
    edit_->SetSelText("sel");
    EXPECT_EQ(changes_, 6);
    Key(VK_LEFT);   // moving the caret is no change
    Key(VK_DELETE); // takes the "l" after the caret
    EXPECT_EQ(edit_->Text(), "se");
    EXPECT_EQ(changes_, 7);
    edit_->Undo();
    EXPECT_EQ(changes_, 8);
}

TEST_F(EditTest, OneLevelUndo) {
    Type("abc");
    EXPECT_TRUE(edit_->CanUndo());
    Key('Z', false, true); // the typing run goes as one
    EXPECT_EQ(edit_->Text(), "");
    Key('Z', false, true); // and comes back
    EXPECT_EQ(edit_->Text(), "abc");
    Key(VK_HOME, true);
    Key(VK_DELETE);
    EXPECT_EQ(edit_->Text(), "");
    edit_->Undo();
    EXPECT_EQ(edit_->Text(), "abc");
    EXPECT_EQ(edit_->SelLength(), 3);
    edit_->SetText("new"); // text from code leaves nothing to undo
    EXPECT_FALSE(edit_->CanUndo());
    edit_->Undo();
    EXPECT_EQ(edit_->Text(), "new");
}

TEST_F(EditTest, ReadOnlyAllowsSelectingAndCopying) {
    edit_->SetText("fixed");
    edit_->SetReadOnly(true);
    EXPECT_TRUE(GetWindowLong(edit_->Handle(), GWL_STYLE) & ES_READONLY);
    Type("x");
    Key(VK_BACK);
    Key(VK_END);
    Key(VK_LEFT, true);
    Key(VK_LEFT, true);
    EXPECT_EQ(edit_->SelText(), "ed");
    Key('C', false, true);
    EXPECT_EQ(ClipboardText(), "ed");
    Key('X', false, true);
    Key('V', false, true);
    Key(VK_DELETE);
    EXPECT_EQ(edit_->Text(), "fixed");
    EXPECT_EQ(changes_, 1); // only the SetText
}

TEST_F(EditTest, CharCaseAndPasswordChar) {
    edit_->SetCharCase(ecUpperCase);
    Type("abc");
    EXPECT_EQ(edit_->Text(), "ABC");
    edit_->SetCharCase(ecLowerCase);
    EXPECT_EQ(edit_->Text(), "abc");

    edit_->SetCharCase(ecNormal);
    edit_->SetPasswordChar('*');
    PutClipboardText("before");
    edit_->SelectAll();
    Key('C', false, true); // a password is never copied out
    EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(EditTest, AutoSelectOnEnteringByKeyboard) {
    auto* second = Make<TEdit>();
    second->SetTop(40);
    second->SetText("all of it");
    Key(VK_TAB);
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(second->SelLength(), 9);
    second->SetAutoSelect(false);
    edit_->SetFocus();
    second->SetSelLength(0);
    Key(VK_TAB);
    EXPECT_EQ(second->SelLength(), 0);
}

TEST_F(EditTest, MouseSetsCaretAndDragSelects) {
    edit_->SetText("mmmm mmmm");
    TRect r = edit_->TextRect();
    int sx = 110 + r.left, sy = 110 + 10;
    session_->Click(sx + 1, sy);
    Pump();
    EXPECT_EQ(edit_->SelStart(), 0);
    session_->MovePointer(sx + 1, sy);
    session_->PressButton();
    session_->MovePointer(sx + 150, sy);
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(edit_->SelStart(), 0);
    EXPECT_EQ(edit_->SelLength(), 9);
}

TEST_F(EditTest, TextRectangleAndBorder) {
    // bsSingle: a one-pixel frame; BorderWidth adds a ring inside it.
    EXPECT_EQ(edit_->ClientWidth(), 198);
    edit_->SetBorderStyle(bsNone);
    edit_->SetBorderWidth(2);
    EXPECT_EQ(edit_->ClientWidth(), 196);
    EXPECT_EQ(edit_->ClientHeight(), 17);

    RECT set{0, 0, 50, 18};
    edit_->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&set));
    RECT got{};
    edit_->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
    EXPECT_EQ(got.right, 50);
    // Text longer than the rectangle scrolls inside it.
    Type("a long line of text that runs past fifty pixels");
    EXPECT_GT(edit_->ScrollX(), 0);
    edit_->Perform(EM_SETRECTNP, 0, 0); // back to the default
    edit_->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
    EXPECT_GT(got.right, 150);
}

TEST_F(EditTest, PaintsTextCaretAndSelection) {
    edit_->SetText("W");
    HWND h = edit_->Handle();
    TRect r = edit_->TextRect();
    auto darkIn = [&](int x0, int x1) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = x0; x < x1; ++x)
                if ((headless::HeadlessBackend::WindowPixel(h, x, y) & 0xFF) < 80) return true;
        return false;
    };
    edit_->SetSelStart(0);
    Pump();
    EXPECT_TRUE(darkIn(r.left + 2, r.left + 8)); // the letter
    // An empty focused field shows only the caret, at the rectangle's left edge.
    edit_->SetText("");
    Pump();
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(h, r.left, r.top + 8), RGB(0, 0, 0));
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(h, r.left + 4, r.top + 8), RGB(255, 255, 255));
    edit_->SetText("  W"); // the blanks show the highlight unmixed with the glyph
    edit_->SelectAll();
    Pump();
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(h, r.left + 1, r.top + 8),
              ColorToRGB(clHighlight));
    // The thin grey frame.
    COLORREF frame = headless::HeadlessBackend::WindowFramePixel(h, 0, 5);
    EXPECT_NE(frame, RGB(255, 255, 255));
    EXPECT_NE(frame, RGB(0, 0, 0));
}

} // namespace
