// The main window's controls, built in code as its description lays them out.
#include "app/HelpText.h"
#include "app/MainForm.h"
#include "app/OrImage.h"
#include "movie/ActiveMovie.h"
#include "rtl/Conversion.h"

namespace {

constexpr TColor kWindowColor = 0xFBFBFB;
constexpr TColor kTrackColor = 0xF5F5F5;
constexpr int kClientWidth = 951;
constexpr int kClientHeight = 612;
constexpr int kColumnLeft[kCellRows] = {8, 160, 312, 464};
constexpr int kRowTop[kCellRows] = {8, 136, 264, 392};

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
        int height) {
    T* control = CreateComponent<T>(owner);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    ApplyWindowStyle(control);
    return control;
}

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const String& name, const String& text,
                  int left, int top) {
    TLabel* label = CreateComponent<TLabel>(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetAutoSize(true);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(text);
    return label;
}

TFormTabSheet* MakeSheet(TComponent* owner, TFormPageControl* pages, const char* name,
                         const String& caption) {
    TFormTabSheet* sheet = CreateComponent<TFormTabSheet>(owner);
    sheet->SetName(name);
    sheet->SetParent(pages); // a page joins its control by being put on it
    sheet->SetCaption(caption);
    return sheet;
}

} // namespace

TFormButton* TForm1::MakeButton(TWinControl* parent, const String& caption, int left, int top,
                                int width, int height, void (TForm1::*handler)(TObject*)) {
    TFormButton* button = CreateComponent<TFormButton>(this);
    button->SetParent(parent);
    button->SetBounds(left, top, width, height);
    button->SetCaption(caption);
    ApplyWindowStyle(button);
    if (handler) button->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
    return button;
}

TFormRadioButton* TForm1::MakeRadio(TWinControl* parent, const String& caption, int left, int top,
                                    bool checked, void (TForm1::*handler)(TObject*)) {
    TFormRadioButton* radio = CreateComponent<TFormRadioButton>(this);
    radio->SetParent(parent);
    radio->SetCaption(caption);
    radio->SetBounds(left, top, 20 + int(caption.size()) * 6, 17);
    ApplyWindowStyle(radio);
    radio->SetChecked(checked);
    if (handler) radio->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
    return radio;
}

TFormSpinEdit* TForm1::MakeSpin(TWinControl* parent, int left, int top, int min, int max, int step,
                                int value, const String& label) {
    TFormSpinEdit* spin = CreateComponent<TFormSpinEdit>(this);
    spin->SetParent(parent);
    spin->SetBounds(left, top, 50, 21);
    spin->SetMinValue(min);
    spin->SetMaxValue(max);
    spin->SetIncrement(step);
    ApplyWindowStyle(spin);
    spin->SetText(IntToStr(value));
    // Sized here: a label on a page not yet shown cannot measure its text.
    TLabel* caption = MakeLabel(this, parent, "", label, left + 54, top + 4);
    caption->SetAutoSize(false);
    caption->SetBounds(left + 54, top + 4, 56, 15);
    return spin;
}

void TForm1::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    LoadComponents(this, [this] { BuildControls(); });
}

void TForm1::CreateWnd() {
    inherited::CreateWnd();
    // The skin takes the caption away and paints the frame itself once the window exists;
    // the client area keeps its size.
    if (ClientWidth() != kClientWidth) SetClientWidth(kClientWidth);
    if (ClientHeight() != kClientHeight) SetClientHeight(kClientHeight);
}

void TForm1::BuildControls() {
    SetName("Form1");
    SetBorderStyle(bsDialog);
    SetCaption("Varnelo  -  V 1.2");
    SetColor(kWindowColor);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetScaled(false);
    SetClientWidth(kClientWidth);
    SetClientHeight(kClientHeight);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };

    BuildSkin();

    Button1 = MakeButton(skForm1, "Open", 8, 34, 105, 39, &TForm1::sktempButton1Click);
    Button2 = MakeButton(skForm1, "Close", 120, 34, 105, 39, &TForm1::sktempButton2Click);
    Button2->SetEnabled(false);
    Edit1 = Make<TFormEdit>(this, skForm1, "Edit1", 8, 76, 313, 21);
    Edit1->SetText("Open file");
    Edit1->SetReadOnly(true);

    ActiveMovie1 = CreateComponent<TActiveMovie>(this);
    ActiveMovie1->SetName("ActiveMovie1");
    ActiveMovie1->SetParent(skForm1);
    ActiveMovie1->SetBounds(3, 104, 323, 377);
    ActiveMovie1->SetAutoStart(true);
    ActiveMovie1->SetAutoRewind(true);
    ActiveMovie1->SetLoop(true);
    ActiveMovie1->SetShowControls(true);
    ActiveMovie1->SetDisplayMode(mpTime);
    ActiveMovie1->SetDisplaySize(mpDefaultSize);
    ActiveMovie1->SetCaptureSize(100);
    ActiveMovie1->OnOpenComplete = [this](TObject* s) { ActiveMovie1OpenComplete(s); };
    ActiveMovie1->OnPositionChange = [this](TObject* s, double o, double n, Cardinal of,
                                            Cardinal nf) {
        ActiveMovie1PositionChange(s, o, n, of, nf);
    };
    // The component lets Esc leave full screen (which the player's menu offers) only while
    // this event is bound; no other key means anything here.
    ActiveMovie1->OnFullScreenKeyPress = [](TObject*, Word, TShiftState) {};

    skButton3 = MakeButton(skForm1, "Prev 0.1s", 72, 488, 60, 18, &TForm1::skButton3Click);
    Button11 = MakeButton(skForm1, "Prev 5s", 136, 488, 60, 18, &TForm1::sktempButton11Click);
    Button12 = MakeButton(skForm1, "Next 5s", 200, 488, 60, 18, &TForm1::sktempButton12Click);
    skButton2 = MakeButton(skForm1, "Next 0.1s", 264, 488, 60, 18, &TForm1::skButton2Click);
    SetSeekButtonsEnabled(false);
    Label1 = MakeLabel(this, skForm1, "Label1", "Waiting ...", 8, 508);
    Label5 = MakeLabel(this, skForm1, "Label5",
                       "Step1: Clickj [Open] to open the AVI/MPEG/MOV file\n"
                       "Step2: Click [Reset Position] to Reset the position for cells\n"
                       "Step3: Click [Next Step]\n"
                       "Step4: Choose [FPS] and [Frames]\n"
                       "Step5: Click [Capture Frames]\n"
                       "Step6: Click [Save to ...]",
                       8, 528);
    Label5->SetAutoSize(false);
    Label5->SetWordWrap(true);
    // Wide enough for each step on a line of its own (273 cut the second one in two, and the
    // sixth off the bottom); the height follows the lines the font gives.
    Label5->SetBounds(8, 528, 310, 78);
    Label5->Font()->SetColor(clRed);
    Label5->SetAutoSize(true);

    PageControl1 = Make<TFormPageControl>(this, skForm1, "PageControl1", 328, 24, 617, 585);
    PageControl1->SetLeftMargin(10);
    BuildCellPage();
    BuildOutputPage();
    BuildBrightnessAndHelpPages();
    PageControl1->SetActivePageIndex(0);

    OpenDialog1 = CreateComponent<TOpenDialog>(this);
    OpenDialog1->SetName("OpenDialog1");
    SaveDialog2 = CreateComponent<TSaveDialog>(this);
    SaveDialog2->SetName("SaveDialog2");
    SaveDialog2->SetDefaultExt("*.gif");
    SaveDialog2->SetFilter("*.gif|*.gif|All Files|*.*");
    SaveDialog3 = CreateComponent<TSaveDialog>(this);
    SaveDialog3->SetName("SaveDialog3");
    SaveDialog3->SetDefaultExt("*.avi");
    SaveDialog3->SetFilter("*.avi|*.avi|All Files|*.*");
    ImageList1 = CreateComponent<TImageList>(this);
    ImageList1->SetName("ImageList1");
    ImageList1->SetWidth(80);
    ImageList1->SetHeight(60);
    ImageList1->SetMasked(false);
    ListView1->SetLargeImages(ImageList1);
    ListView1->SetSmallImages(ImageList1);
}

void TForm1::BuildSkin() {
    // The skin fills the form by itself and takes its caption bar away; the controls go on
    // it in its own coordinates, below its title bar.
    skForm1 = CreateComponent<TFormSkin>(this);
    skForm1->SetName("skForm1");
    skForm1->SetUIStyle(Protein);
    // The style brings its own frame, corners and menu-bar colour; these override it.
    skForm1->SetBorderColor(clBlack);
    skForm1->SetBorderWidth(1);
    skForm1->SetCaption(Caption());
    TskTitleBarButtons* buttons = skForm1->TitleBarButtons();
    for (int i = 0; i < buttons->Count(); ++i) {
        TskTitleBarButton* button = buttons->Items(i);
        button->SetTransparent(true);
        button->SetTop(2);
        button->SetVisible(button->ButtonType() == skClose);
    }
    TskTitleBarSections* sections = skForm1->TitleBarSections();
    sections->Items(0)->SetWidth(441);
    sections->Items(1)->SetWidth(1);
    sections->Items(2)->SetWidth(10);
    sections->Items(2)->SetStretch(true);
    skForm1->SetTitleBarDrawAppIcon(false);
    TFont* captionFont = skForm1->TitleBar()->Font();
    captionFont->SetName("Arial");
    captionFont->SetHeight(-12);
    captionFont->SetStyle({fsBold, fsItalic});
    captionFont->SetColor(clWhite);
    skForm1->SetMenuBarColor(kWindowColor);
    skForm1->SetMenuBarHeight(22);
    skForm1->SetRoundCorner(0);
}

void TForm1::BuildCellPage() {
    TabSheet2 = MakeSheet(this, PageControl1, "TabSheet2", "Set Cell Positions");
    for (int r = 0; r < kCellRows; ++r)
        for (int c = 0; c < kCellRows; ++c) {
            const int i = CellIndex(r, c);
            const String digits = IntToStr(r + 1) + IntToStr(c + 1);
            const int left = kColumnLeft[c], top = kRowTop[r];
            const bool shown = r < 3 && c < 3;
            TImage* image = Make<TImage>(this, TabSheet2, ("cimage" + digits).c_str(), left, top,
                                         i == 0 ? 145 : 110, 87);
            image->SetCursor(crHandPoint);
            image->SetAutoSize(true);
            image->OnClick = [this](TObject* s) { cimage11Click(s); };
            image->SetVisible(shown);
            TLabel* label = MakeLabel(this, TabSheet2, "clabel" + digits, "..", left + 8, top + 8);
            label->Font()->SetColor(clRed);
            label->Font()->SetStyle({fsBold});
            label->SetTransparent(true);
            label->SetVisible(shown);
            TFormButton* button = MakeButton(TabSheet2, "Reset Position", left + 4, top + 88, 74,
                                             15, &TForm1::cbutton11Click);
            button->SetName("cbutton" + digits);
            button->Font()->SetName("Small Fonts");
            button->Font()->SetHeight(-9);
            button->SetEnabled(false);
            button->SetVisible(shown);
            CellImages[size_t(i)] = image;
            CellLabels[size_t(i)] = label;
            CellButtons[size_t(i)] = button;
        }
    skButton4 = MakeButton(TabSheet2, "Auto Positions", 416, 528, 80, 27, &TForm1::skButton4Click);
    skButton4->SetEnabled(false);
    skButton7 = MakeButton(TabSheet2, "Next Step", 504, 528, 80, 27, &TForm1::skButton7Click);
    skButton7->SetEnabled(false);
    skRadioButton3 = MakeRadio(TabSheet2, "2x2", 280, 536, false, &TForm1::skRadioButton3Click);
    skRadioButton4 = MakeRadio(TabSheet2, "3x3", 320, 536, true, &TForm1::skRadioButton3Click);
    skRadioButton7 = MakeRadio(TabSheet2, "4x4", 360, 536, false, &TForm1::skRadioButton3Click);
}

void TForm1::BuildOutputPage() {
    skTabSheet3 = MakeSheet(this, PageControl1, "skTabSheet3", "Create GIF/AVI");
    Button6 =
        MakeButton(skTabSheet3, "Capture Frames", 16, 8, 137, 49, &TForm1::sktempButton6Click);
    Button6->SetEnabled(false);
    skSpinEdit2 = MakeSpin(skTabSheet3, 168, 10, 1, 16, 1, 3, "FPS    x");
    skSpinEdit1 = MakeSpin(skTabSheet3, 280, 10, 5, 500, 10, 20, "Frames");
    skSpinEdit2->OnChange = [this](TObject* s) { skSpinEdit1Change(s); };
    skSpinEdit1->OnChange = [this](TObject* s) { skSpinEdit1Change(s); };
    Label2 = MakeLabel(this, skTabSheet3, "Label2", "Total Capture: 6.66s", 168, 40);
    Label2->Font()->SetStyle({fsBold});

    ScrollBox1 = Make<TScrollBox>(this, skTabSheet3, "ScrollBox1", 16, 72, 433, 321);
    ScrollBox1->SetAutoScroll(true);
    Image1 = Make<TImage>(this, ScrollBox1, "Image1", 0, 0, 105, 105);
    Image1->SetAutoSize(true);
    ListView1 = Make<TListView>(this, skTabSheet3, "ListView1", 456, 72, 145, 321);
    ListView1->SetViewStyle(vsSmallIcon);
    ListView1->Columns()->Add()->SetWidth(80);
    ListView1->OnClick = [this](TObject* s) { ListView1Click(s); };

    Button9 = MakeButton(skTabSheet3, "Make GIF", 16, 404, 90, 25, &TForm1::sktempButton9Click);
    Button7 = MakeButton(skTabSheet3, "Save to GIF", 112, 404, 90, 25, &TForm1::sktempButton7Click);
    Edit3 = Make<TFormEdit>(this, skTabSheet3, "Edit3", 208, 406, 320, 21);
    Edit3->SetText("open file");
    Button8 = MakeButton(skTabSheet3, "Browse ...", 534, 404, 67, 25, &TForm1::Button8Click);
    skButton5 = MakeButton(skTabSheet3, "Save to AVI", 16, 436, 90, 25, &TForm1::skButton5Click);
    skEdit2 = Make<TFormEdit>(this, skTabSheet3, "skEdit2", 208, 438, 320, 21);
    skEdit2->SetText("open file");
    skButton6 = MakeButton(skTabSheet3, "Browse ...", 534, 436, 67, 25, &TForm1::skButton6Click);
    for (TControl* c : std::initializer_list<TControl*>{Button9, Button7, Edit3, Button8, skButton5,
                                                        skEdit2, skButton6})
        c->SetEnabled(false);

    skSpinEdit3 = MakeSpin(skTabSheet3, 16, 470, 1, 25, 1, 3, "FPS");
    skSpinEdit4 = MakeSpin(skTabSheet3, 110, 470, 5, 500, 10, 100, "% (Zoom)");

    auto group = [this](const char* name, int left, int top, int width) {
        TFormPanel* panel = Make<TFormPanel>(this, skTabSheet3, name, left, top, width, 20);
        panel->SetBevelOuter(bvNone);
        panel->SetCaption("");
        panel->SetParentColor(true);
        return panel;
    };
    TFormPanel* dither = group("DitherPanel", 16, 500, 210);
    skRadioButton9 = MakeRadio(dither, "Nearest", 0, 1, false, nullptr);
    skRadioButton8 = MakeRadio(dither, "FloydSteinberg", 90, 1, true, nullptr);
    TFormPanel* size = group("SizePanel", 240, 500, 360);
    skRadioButton10 = MakeRadio(size, "Best Quality", 0, 1, false, nullptr);
    skRadioButton1 = MakeRadio(size, "Smaller Size (Reduce to 50%)", 110, 1, true, nullptr);
    TFormPanel* colors = group("ColorPanel", 16, 526, 480);
    skRadioButton5 = MakeRadio(colors, "GrayScale(GIF Only)", 0, 1, false, nullptr);
    skRadioButton2 = MakeRadio(colors, "256Colors", 160, 1, true, nullptr);
    skRadioButton6 = MakeRadio(colors, "TrueColor(AVI Only)", 270, 1, false, nullptr);
    Image2 = Make<TImage>(this, skTabSheet3, "Image2", 520, 8, 81, 81);
    Image2->SetVisible(false);
}

void TForm1::BuildBrightnessAndHelpPages() {
    TabSheet3 = MakeSheet(this, PageControl1, "TabSheet3", "Brightness");
    ScrollBox2 = Make<TScrollBox>(this, TabSheet3, "ScrollBox2", 8, 8, 593, 473);
    ScrollBox2->SetAutoScroll(true);
    OrImage1 = Make<TOrImage>(this, ScrollBox2, "OrImage1", 0, 0, 105, 105);
    OrImage1->SetAutoSize(true);
    sktrackbar1 = Make<TFormScrollBar>(this, TabSheet3, "sktrackbar1", 8, 496, 593, 16);
    sktrackbar1->SetOrientation(skHorizontal);
    sktrackbar1->SetLineButton(0);
    sktrackbar1->SetMin(-255);
    sktrackbar1->SetMax(255);
    sktrackbar1->SetPosition(0);
    sktrackbar1->SetSmallChange(1);
    sktrackbar1->SetLargeChange(2);
    sktrackbar1->SetPageSize(2);
    sktrackbar1->SetColor(kTrackColor);
    sktrackbar1->SetOnChange([this](TObject* s) { sktempsktrackbar1Change(s); });
    Edit2 = Make<TFormEdit>(this, TabSheet3, "Edit2", 296, 520, 33, 21);
    Edit2->SetReadOnly(true);

    HelpSheet = MakeSheet(this, PageControl1, "HelpSheet", kHelpTabCaption);
    skMemo1 = Make<TFormMemo>(this, HelpSheet, "skMemo1", 8, 8, 593, 473);
    skMemo1->SetReadOnly(true);
    skMemo1->SetScrollBars(ssVertical);
    skMemo1->SetText(kHelpText);
    HelpLabel = MakeLabel(this, HelpSheet, "HelpLabel", HelpContactText(), 8, 496);
}
