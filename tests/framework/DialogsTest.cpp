#include "framework/Dialogs.h"

#include "framework/ControlTestUtil.h"
#include "framework/FileDialogForm.h"
#include "framework/MessageDialogs.h"
#include "platform/user/User.h"
#include "rtl/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// Runs one step each time the (modal) message loop idles. When the steps are used up and a
// modal form is still open, it cancels that form and fails, so a broken dialog cannot hang.
class IdleScript {
public:
    IdleScript(TApplication* app, std::vector<std::function<void()>> steps)
        : app_(app), steps_(std::move(steps)) {
        app_->OnIdle = [this](TObject*, bool& done) {
            done = false;
            if (next_ < steps_.size()) {
                steps_[next_++]();
                return;
            }
            if (TCustomForm* f = Screen->ActiveForm(); f && f->FormState().Contains(fsModal)) {
                ADD_FAILURE() << "a modal form was left open: " << f->Caption();
                f->SetModalResult(mrCancel);
            }
        };
    }
    ~IdleScript() { app_->OnIdle = nullptr; }
    bool Finished() const { return next_ == steps_.size(); }

private:
    TApplication* app_;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
};

class DialogsTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        fs::create_directories(root_.Path() / "sub");
        for (const char* name : {"a.gif", "b.txt", "sub/c.gif", "Z.GIF"})
            std::ofstream(root_.File(name)) << "x";
        ShowForm();
    }
    String Root() const { return root_.Path().string(); }
    TFileDialogForm* DialogForm() { return dynamic_cast<TFileDialogForm*>(Screen->ActiveForm()); }
    static std::vector<String> Captions(TListView* lv) {
        std::vector<String> out;
        for (int i = 0; i < lv->Items()->Count(); ++i)
            out.push_back(lv->Items()->Item(i)->Caption());
        return out;
    }
    void ClickControl(TControl* c, TPoint p) {
        TPoint s = c->ClientToScreen(p);
        session_->Click(s.x, s.y);
    }
    void ClickItem(TListView* lv, int i, bool twice = false) {
        TRect r = lv->LabelRect(lv->Items()->Item(i));
        TPoint s = lv->ClientToScreen(Point(r.left + 3, (r.top + r.bottom) / 2));
        if (twice)
            session_->DoubleClick(s.x, s.y);
        else
            session_->Click(s.x, s.y);
    }
    user::DialogAnswer Answer(const String& name, int filterIndex = 1) {
        user::DialogAnswer a;
        a.accepted = true;
        a.fileName = name;
        a.filterIndex = filterIndex;
        return a;
    }

    test_support::TempFolder root_{"korvid-dialogs-"};
};

TEST(DialogFilter, ParsesDescriptionsAndPatterns) {
    struct Case {
        const char* filter;
        std::vector<std::pair<String, std::vector<String>>> want;
    };
    const Case cases[] = {
        {"*.gif|*.gif|All Files|*.*", {{"*.gif", {"*.gif"}}, {"All Files", {"*.*"}}}},
        {"video clips", {{"video clips", {}}}}, // no patterns: every file
        {"Pictures| *.bmp ; *.gif;;|Text", {{"Pictures", {"*.bmp", "*.gif"}}, {"Text", {}}}},
        {"", {}},
        {"|*.avi", {{"*.avi", {"*.avi"}}}},
    };
    for (const Case& c : cases) {
        std::vector<TFilterEntry> got = ParseDialogFilter(c.filter);
        ASSERT_EQ(got.size(), c.want.size()) << c.filter;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].Description, c.want[i].first) << c.filter;
            EXPECT_EQ(got[i].Patterns, c.want[i].second) << c.filter;
        }
    }
    EXPECT_EQ(SplitPatterns("*.mpg;*.mpeg;*.avi;*.wav;"),
              (std::vector<String>{"*.mpg", "*.mpeg", "*.avi", "*.wav"}));
    EXPECT_TRUE(MatchesAnyPattern("CLIP.AVI", SplitPatterns("*.mpg;*.avi")));
    EXPECT_FALSE(MatchesAnyPattern("clip.mov", SplitPatterns("*.mpg;*.avi")));
    EXPECT_TRUE(MatchesAnyPattern("anything", {}));
}

TEST_F(DialogsTest, ScriptedAnswerGetsTheFiltersExtensionAndIsRecorded) {
    TSaveDialog* d = CreateComponent<TSaveDialog>(form_);
    d->SetFilter("*.gif|*.gif|All Files|*.*");
    d->SetDefaultExt("*.gif"); // written with the pattern's star, as the main window does
    d->SetInitialDir(Root());
    struct Case {
        String typed;
        int index;
        String want;
    };
    const Case cases[] = {
        {"out", 1, Root() + "/out.gif"},       // the filter's extension
        {"out", 2, Root() + "/out.gif"},       // "*.*" names none: the default one
        {"clip.bmp", 1, Root() + "/clip.bmp"}, // an extension of its own stays
        {"sub/x", 1, Root() + "/sub/x.gif"},   {"/tmp/abs.gif", 2, "/tmp/abs.gif"},
    };
    for (const Case& c : cases) {
        session_->QueueDialogAnswer(Answer(c.typed, c.index));
        ASSERT_TRUE(d->Execute()) << c.typed;
        EXPECT_EQ(d->FileName(), c.want);
        EXPECT_EQ(d->FilterIndex(), c.index);
        EXPECT_EQ(d->Files(), std::vector<String>{c.want});
    }
    const headless::RecordedCall& call = session_->Calls().back();
    EXPECT_EQ(call.kind, headless::RecordedCall::Kind::Dialog);
    EXPECT_EQ(call.caption, "save");
    EXPECT_EQ(call.text, "Save As");
    // Cancelled: false, and the last choice stays; so does an answer that names a pattern, a
    // folder or nothing (asked again, then cancelled).
    EXPECT_FALSE(d->Execute());
    for (const char* refused : {"*.gif", "sub", ""}) {
        session_->QueueDialogAnswer(Answer(refused));
        EXPECT_FALSE(d->Execute()) << refused;
    }
    EXPECT_EQ(d->FileName(), "/tmp/abs.gif");
}

TEST_F(DialogsTest, OverwritePromptAsksAgainUntilTheUserAgrees) {
    TSaveDialog* d = CreateComponent<TSaveDialog>(form_);
    d->SetOptions(TOpenOptions{ofOverwritePrompt});
    d->SetInitialDir(Root());
    // "No" to replacing a.gif keeps the dialog open: the next answer is a new name.
    session_->QueueDialogAnswer(Answer("a.gif"));
    session_->QueueMessageBoxAnswer(IDNO);
    session_->QueueDialogAnswer(Answer("new.gif"));
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(d->FileName(), Root() + "/new.gif");
    ASSERT_EQ(session_->Calls().size(), 3u);
    const headless::RecordedCall& box = session_->Calls()[1];
    EXPECT_EQ(box.kind, headless::RecordedCall::Kind::MessageBox);
    EXPECT_EQ(box.text, "a.gif already exists.\nDo you want to replace it?");
    EXPECT_EQ(box.type & MB_TYPEMASK, MB_YESNO);
    // "Yes" takes the existing file; without the option nobody is asked.
    session_->QueueDialogAnswer(Answer("a.gif"));
    session_->QueueMessageBoxAnswer(IDYES);
    EXPECT_TRUE(d->Execute());
    session_->ClearCalls();
    d->SetOptions(TOpenOptions{});
    session_->QueueDialogAnswer(Answer("a.gif"));
    EXPECT_TRUE(d->Execute());
    EXPECT_EQ(session_->Calls().size(), 1u);
}

TEST_F(DialogsTest, OpenWithFileMustExistRefusesMissingFiles) {
    TOpenDialog* d = CreateComponent<TOpenDialog>(form_);
    d->SetOptions(TOpenOptions{ofFileMustExist});
    d->SetInitialDir(Root());
    d->SetFileName("keep.txt");
    session_->QueueDialogAnswer(Answer("missing.txt")); // then nothing: cancelled
    EXPECT_FALSE(d->Execute());
    EXPECT_EQ(d->FileName(), "keep.txt");
    ASSERT_EQ(session_->Calls().size(), 3u);
    EXPECT_NE(session_->Calls()[1].text.find("File not found."), String::npos);
    session_->QueueDialogAnswer(Answer("b.txt"));
    EXPECT_TRUE(d->Execute());
    EXPECT_EQ(d->FileName(), Root() + "/b.txt");
}

TEST_F(DialogsTest, RealFormFiltersByTypeAndTypedPatternsAndAcceptsTypedName) {
    session_->leaveDialogsToProgram = true;
    TOpenDialog* d = CreateComponent<TOpenDialog>(form_);
    d->SetFilter("GIF pictures|*.gif|Text|*.txt|All files|*.*");
    d->SetInitialDir(Root());
    std::vector<String> seenGif, seenText, seenBoth, seenFolders;
    TFileDialogForm* f = nullptr;
    IdleScript script(app_, {
                                [&] {
                                    f = DialogForm();
                                    ASSERT_NE(f, nullptr);
                                    EXPECT_EQ(f->Caption(), "Open");
                                    EXPECT_TRUE(f->NameEdit()->Focused());
                                    EXPECT_FALSE(IsWindowEnabled(form_->Handle())); // modal
                                    seenGif = Captions(f->FileList());
                                    seenFolders = Captions(f->FolderList());
                                    ClickItem(f->TypeList(), 1);
                                },
                                [&] {
                                    seenText = Captions(f->FileList());
                                    ClickControl(f->NameEdit(), Point(5, 5));
                                    session_->TypeText("*.gif; *.txt");
                                    session_->PressKey(VK_RETURN);
                                },
                                [&] {
                                    seenBoth = Captions(f->FileList());
                                    session_->PressKey(VK_END);
                                    session_->PressKey(VK_HOME, true);
                                    session_->TypeText("b");
                                    session_->PressKey(VK_RETURN);
                                },
                            });
    ASSERT_TRUE(d->Execute());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(seenGif, (std::vector<String>{"a.gif", "Z.GIF"}));
    EXPECT_EQ(seenFolders, (std::vector<String>{"sub"}));
    EXPECT_EQ(seenText, (std::vector<String>{"b.txt"}));
    EXPECT_EQ(seenBoth, (std::vector<String>{"a.gif", "b.txt", "Z.GIF"}));
    // "b" gets the chosen type's extension.
    EXPECT_EQ(d->FileName(), Root() + "/b.txt");
    EXPECT_EQ(d->FilterIndex(), 2);
    EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
    ASSERT_EQ(session_->Calls().size(), 1u);
    EXPECT_EQ(session_->Calls()[0].answer, -1); // left to the program
}

TEST_F(DialogsTest, RealFormNavigatesFoldersAndPicksFilesWithMouseAndKeys) {
    session_->leaveDialogsToProgram = true;
    TOpenDialog* d = CreateComponent<TOpenDialog>(form_);
    // As the main window opens videos: one description, the patterns in the file name.
    d->SetFilter("video clips");
    d->SetFileName("*.gif;*.txt;");
    d->SetInitialDir(Root());
    TFileDialogForm* f = nullptr;
    String inSub, afterUp, afterBack;
    std::vector<String> subFiles, rootFiles;
    IdleScript script(app_, {
                                [&] {
                                    f = DialogForm();
                                    ASSERT_NE(f, nullptr);
                                    rootFiles = Captions(f->FileList());
                                    ClickItem(f->FolderList(), 0,
                                              true); // a double click enters "sub"
                                },
                                [&] {
                                    inSub = f->Folder();
                                    subFiles = Captions(f->FileList());
                                    session_->PressKey(VK_BACK); // focus on the folder list: up
                                },
                                [&] {
                                    afterBack = f->Folder();
                                    ClickControl(f->UpButton(), Point(10, 10));
                                },
                                [&] {
                                    afterUp = f->Folder();
                                    f->OpenFolder(Root());
                                    // Tab from the folder list walks on to the file list; Down
                                    // picks its first file into the name field and Enter there
                                    // accepts it.
                                    f->FolderList()->SetFocus();
                                    session_->PressKey(VK_TAB);
                                    session_->PressKey(VK_DOWN);
                                    session_->PressKey(VK_RETURN);
                                },
                            });
    ASSERT_TRUE(d->Execute());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(rootFiles, (std::vector<String>{"a.gif", "b.txt", "Z.GIF"}));
    EXPECT_EQ(inSub, Root() + "/sub");
    EXPECT_EQ(subFiles, (std::vector<String>{"c.gif"}));
    EXPECT_EQ(afterBack, Root());
    EXPECT_EQ(afterUp, root_.Path().parent_path().string());
    EXPECT_EQ(d->FileName(), Root() + "/a.gif");
}

// The wheel scrolls the list under the pointer, three rows a notch, while the focus stays in
// the name field.
TEST_F(DialogsTest, RealFormListsScrollWithTheWheelUnderThePointer) {
    fs::create_directories(root_.Path() / "many");
    for (int i = 0; i < 40; ++i)
        std::ofstream(root_.File("many/clip" + std::to_string(100 + i) + ".gif")) << "x";
    session_->leaveDialogsToProgram = true;
    TOpenDialog* d = CreateComponent<TOpenDialog>(form_);
    d->SetInitialDir(Root() + "/many");
    TFileDialogForm* f = nullptr;
    int row = 0, afterOne = -1, afterBack = -1;
    IdleScript script(app_, {
                                [&] {
                                    f = DialogForm();
                                    ASSERT_NE(f, nullptr);
                                    TListView* files = f->FileList();
                                    ASSERT_GT(files->ScrollMax(), 0);
                                    row = files->ItemRect(files->Items()->Item(1)).top -
                                          files->ItemRect(files->Items()->Item(0)).top;
                                    TPoint over = files->ClientToScreen(Point(30, 40));
                                    session_->MovePointer(over.x, over.y);
                                    session_->Wheel(-WHEEL_DELTA); // towards the user: down
                                },
                                [&] {
                                    afterOne = f->FileList()->ScrollPos();
                                    session_->Wheel(2 * WHEEL_DELTA);
                                },
                                [&] {
                                    afterBack = f->FileList()->ScrollPos();
                                    EXPECT_TRUE(f->NameEdit()->Focused());
                                    f->SetModalResult(mrCancel);
                                },
                            });
    EXPECT_FALSE(d->Execute());
    EXPECT_TRUE(script.Finished());
    EXPECT_GT(row, 0);
    EXPECT_EQ(afterOne, 3 * row);
    EXPECT_EQ(afterBack, 0);
}

TEST_F(DialogsTest, RealFormTypedFolderGoesThereAndEscCancels) {
    session_->leaveDialogsToProgram = true;
    TOpenDialog* d = CreateComponent<TOpenDialog>(form_);
    d->SetInitialDir(Root());
    d->SetFileName("before");
    String folder;
    RECT placed{};
    IdleScript script(app_, {
                                [&] {
                                    GetWindowRect(DialogForm()->Handle(), &placed);
                                    session_->TypeText("sub");
                                    session_->PressKey(VK_RETURN);
                                },
                                [&] {
                                    folder = DialogForm()->Folder();
                                    session_->PressKey(VK_ESCAPE);
                                },
                            });
    EXPECT_FALSE(d->Execute());
    // Centred over the small main form, yet wholly on the work area.
    TRect area = Screen->WorkAreaRect();
    EXPECT_GE(placed.left, area.left);
    EXPECT_GE(placed.top, area.top);
    EXPECT_LE(placed.right, area.right);
    EXPECT_LT(placed.left, form_->Left());
    EXPECT_EQ(folder, Root() + "/sub");
    EXPECT_EQ(d->FileName(), "before");
}

TEST_F(DialogsTest, RealFormOverwritePromptInItsOwnBox) {
    session_->leaveDialogsToProgram = true;
    session_->leaveMessageBoxesToProgram = true;
    TSaveDialog* d = CreateComponent<TSaveDialog>(form_);
    d->SetFilter("GIF|*.gif");
    d->SetOptions(TOpenOptions{ofOverwritePrompt});
    d->SetInitialDir(Root());
    String boxCaption;
    bool stayedOpen = false;
    IdleScript script(app_, {
                                [&] {
                                    session_->TypeText("a");
                                    session_->PressKey(VK_RETURN);
                                },
                                [&] {
                                    // The prompt's default button is No: Enter keeps the dialog
                                    // open.
                                    boxCaption = Screen->ActiveForm()->Caption();
                                    session_->PressKey(VK_RETURN);
                                },
                                [&] {
                                    stayedOpen = DialogForm() != nullptr;
                                    session_->PressKey(VK_RETURN);
                                },
                                [&] {
                                    // Yes is left of No; Shift+Tab from No reaches it.
                                    session_->PressKey(VK_TAB, true);
                                    session_->PressKey(VK_RETURN);
                                },
                            });
    ASSERT_TRUE(d->Execute());
    EXPECT_EQ(boxCaption, "Save As");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(d->FileName(), Root() + "/a.gif");
}

TEST_F(DialogsTest, ScriptedMessageBoxesShowMessageAndMessageDlg) {
    session_->QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(app_->MessageBox("Really?", "Ask", MB_OKCANCEL | MB_ICONERROR), IDCANCEL);
    ShowMessage("Done");
    session_->QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageDlg("Go on?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0), mrNo);
    EXPECT_THROW(MessageDlg("?", mtError, TMsgDlgButtons{mbYes, mbAll}, 0), EInvalidOperation);
    const auto& calls = session_->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].caption, "Ask");
    EXPECT_EQ(calls[0].type, MB_OKCANCEL | MB_ICONERROR);
    EXPECT_EQ(calls[0].owner, form_->Handle());
    EXPECT_EQ(calls[1].text, "Done");
    EXPECT_EQ(calls[1].caption, "Test"); // the application's title
    EXPECT_EQ(calls[1].type, MB_OK);
    EXPECT_EQ(calls[2].caption, "Confirm");
    EXPECT_EQ(calls[2].type, MB_YESNO | MB_ICONQUESTION);
}

TEST_F(DialogsTest, OwnMessageBoxFormAnswersKeysAndClicks) {
    session_->leaveMessageBoxesToProgram = true;
    struct Case {
        UINT type;
        int key; // 0: click the button named by want
        bool shift;
        int want;
    };
    const Case cases[] = {
        {MB_OK, VK_RETURN, false, IDOK},
        {MB_OK | MB_ICONINFORMATION, VK_ESCAPE, false, IDOK},
        {MB_OKCANCEL, VK_ESCAPE, false, IDCANCEL},
        {MB_OKCANCEL, VK_TAB, false, IDCANCEL}, // Tab, then Enter on the focused button
        {MB_YESNO | MB_DEFBUTTON2, VK_RETURN, false, IDNO},
        {MB_YESNOCANCEL | MB_ICONQUESTION, VK_ESCAPE, false, IDCANCEL},
        {MB_YESNO | MB_ICONWARNING, 0, false, IDNO},
        {MB_ABORTRETRYIGNORE | MB_ICONERROR, 0, false, IDRETRY},
    };
    for (const Case& c : cases) {
        TCustomForm* box = nullptr;
        bool ownerDisabled = false;
        IdleScript script(app_, {[&] {
                              box = Screen->ActiveForm();
                              ASSERT_NE(box, nullptr);
                              ownerDisabled = !IsWindowEnabled(form_->Handle());
                              if (c.key == VK_TAB) {
                                  session_->PressKey(VK_TAB);
                                  session_->PressKey(VK_RETURN);
                              } else if (c.key) {
                                  session_->PressKey(c.key, c.shift);
                              } else {
                                  String caption = MessageBoxButtonCaption(c.want);
                                  for (int i = 0; i < box->ControlCount(); ++i)
                                      if (auto* b = dynamic_cast<TDialogButton*>(box->Controls(i));
                                          b && b->Caption() == caption)
                                          ClickControl(b, Point(5, 5));
                              }
                          }});
        EXPECT_EQ(app_->MessageBox("Text of the box", "Caption", int(c.type)), c.want)
            << std::hex << c.type;
        EXPECT_TRUE(ownerDisabled);
        EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
    }
}

TEST_F(DialogsTest, OwnMessageBoxFormShowsIconTextAndButtons) {
    session_->leaveMessageBoxesToProgram = true;
    COLORREF iconCentre = 0, textArea = 0;
    int buttons = 0;
    String caption;
    IdleScript script(
        app_, {[&] {
            TCustomForm* box = Screen->ActiveForm();
            ASSERT_NE(box, nullptr);
            caption = box->Caption();
            for (int i = 0; i < box->ControlCount(); ++i)
                buttons += dynamic_cast<TDialogButton*>(box->Controls(i)) != nullptr;
            // The error icon's red disc (between the strokes of its cross) at its left.
            iconCentre = headless::HeadlessBackend::WindowPixel(box->Handle(), 14 + 6, 14 + 16);
            textArea =
                headless::HeadlessBackend::WindowPixel(box->Handle(), box->ClientWidth() - 5, 5);
            session_->PressKey(VK_RETURN);
        }});
    EXPECT_EQ(app_->MessageBox("Something failed.", "Varnelo", MB_OKCANCEL | MB_ICONERROR), IDOK);
    EXPECT_EQ(caption, "Varnelo");
    EXPECT_EQ(buttons, 2);
    EXPECT_EQ(iconCentre, RGB(0xD0, 0x20, 0x20));
    EXPECT_EQ(textArea, ColorToRGB(clBtnFace));
}

// Without a display that shows windows nobody could answer a box or a dialog: the calls come
// back at once instead of waiting for ever.
TEST(DialogsWithoutDisplay, ReturnAtOnce) {
    TApplication* app = CreateComponent<TApplication>(nullptr);
    EXPECT_EQ(app->MessageBox("Nobody sees this", "Box", MB_OKCANCEL), 0);
    TOpenDialog* d = CreateComponent<TOpenDialog>(app);
    d->SetFileName("kept");
    EXPECT_FALSE(d->Execute());
    EXPECT_EQ(d->FileName(), "kept");
    app->Free();
}

} // namespace
