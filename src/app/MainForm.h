#pragma once
// TForm1: the main window. The movie player on the left, four pages on the right: setting
// the cell positions, capture and output, brightness, and help. All of the program's steps
// run in its handlers on the user-interface thread; the long ones dispatch pending messages
// while they wait for the player.
#include "app/CellModel.h"
#include "app/GifBuildInputs.h"
#include "app/MainFormControls.h"
#include "app/WorkingFiles.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Image.h"
#include "framework/ImageList.h"
#include "framework/Label.h"
#include "framework/ListView.h"
#include "framework/ScrollBox.h"

#include <array>
#include <functional>

class TActiveMovie;
class TOrImage;

class TForm1 : public TForm {
    KORVID_CLASS(TForm1, TForm)

    void Create(TComponent* AOwner) override;

    // --- controls, named as in the window's description ---
    TFormSkin* skForm1 = nullptr;
    TFormButton* Button1 = nullptr; // "Open"
    TFormButton* Button2 = nullptr; // "Close"
    TFormEdit* Edit1 = nullptr;
    TActiveMovie* ActiveMovie1 = nullptr;
    TFormButton* skButton3 = nullptr; // "Prev 0.1s"
    TFormButton* Button11 = nullptr;  // "Prev 5s"
    TFormButton* Button12 = nullptr;  // "Next 5s"
    TFormButton* skButton2 = nullptr; // "Next 0.1s"
    TLabel* Label1 = nullptr;
    TLabel* Label5 = nullptr;
    TFormPageControl* PageControl1 = nullptr;

    TFormTabSheet* TabSheet2 = nullptr; // "Set Cell Positions"
    std::array<TImage*, kCellCount> CellImages{};
    std::array<TFormButton*, kCellCount> CellButtons{};
    std::array<TLabel*, kCellCount> CellLabels{};
    TFormButton* skButton4 = nullptr;           // "Auto Positions"
    TFormButton* skButton7 = nullptr;           // "Next Step"
    TFormRadioButton* skRadioButton3 = nullptr; // "2x2"
    TFormRadioButton* skRadioButton4 = nullptr; // "3x3"
    TFormRadioButton* skRadioButton7 = nullptr; // "4x4"

    TFormTabSheet* skTabSheet3 = nullptr; // "Create GIF/AVI"
    TFormButton* Button6 = nullptr;       // "Capture Frames"
    TFormSpinEdit* skSpinEdit2 = nullptr; // capture rate
    TFormSpinEdit* skSpinEdit1 = nullptr; // frames per cell
    TLabel* Label2 = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TImage* Image1 = nullptr;
    TListView* ListView1 = nullptr;
    TFormButton* Button9 = nullptr; // "Make GIF"
    TFormButton* Button7 = nullptr; // "Save to GIF"
    TFormEdit* Edit3 = nullptr;
    TFormButton* Button8 = nullptr;   // "Browse ..." for the GIF
    TFormButton* skButton5 = nullptr; // "Save to AVI"
    TFormEdit* skEdit2 = nullptr;
    TFormButton* skButton6 = nullptr;            // "Browse ..." for the AVI
    TFormSpinEdit* skSpinEdit3 = nullptr;        // output rate
    TFormSpinEdit* skSpinEdit4 = nullptr;        // zoom
    TFormRadioButton* skRadioButton9 = nullptr;  // "Nearest"
    TFormRadioButton* skRadioButton8 = nullptr;  // "FloydSteinberg"
    TFormRadioButton* skRadioButton10 = nullptr; // "Best Quality"
    TFormRadioButton* skRadioButton1 = nullptr;  // "Smaller Size (Reduce to 50%)"
    TFormRadioButton* skRadioButton5 = nullptr;  // "GrayScale(GIF Only)"
    TFormRadioButton* skRadioButton2 = nullptr;  // "256Colors"
    TFormRadioButton* skRadioButton6 = nullptr;  // "TrueColor(AVI Only)"
    TImage* Image2 = nullptr;

    TFormTabSheet* TabSheet3 = nullptr; // "Brightness"
    TScrollBox* ScrollBox2 = nullptr;
    TOrImage* OrImage1 = nullptr;
    TFormScrollBar* sktrackbar1 = nullptr;
    TFormEdit* Edit2 = nullptr;

    TFormTabSheet* HelpSheet = nullptr;
    TFormMemo* skMemo1 = nullptr;
    TLabel* HelpLabel = nullptr;

    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog2 = nullptr;
    TSaveDialog* SaveDialog3 = nullptr;
    TImageList* ImageList1 = nullptr;

    // --- the cell model ---
    TCellPositions CellPositions{};
    int BrightnessBusy = 0;

    // --- handlers ---
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void sktempButton1Click(TObject* Sender); // "Open"
    void sktempButton2Click(TObject* Sender); // "Close"
    void ActiveMovie1OpenComplete(TObject* Sender);
    void ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                    Cardinal OldFramePosition, Cardinal NewFramePosition);
    void sktempsktrackbar1Change(TObject* Sender);
    void skSpinEdit1Change(TObject* Sender);
    void skButton7Click(TObject* Sender); // "Next Step"
    void Exit1Click(TObject* Sender);
    void skButton1Click(TObject* Sender);
    void skRadioButton3Click(TObject* Sender); // grid size
    void cimage11Click(TObject* Sender);
    void sktempButton11Click(TObject* Sender); // "Prev 5s"
    void sktempButton12Click(TObject* Sender); // "Next 5s"
    void skButton3Click(TObject* Sender);      // "Prev 0.1s"
    void skButton2Click(TObject* Sender);      // "Next 0.1s"
    void cbutton11Click(TObject* Sender);      // "Reset Position"
    void skButton4Click(TObject* Sender);      // "Auto Positions"
    void sktempButton6Click(TObject* Sender);  // "Capture Frames"
    void ListView1Click(TObject* Sender);
    void sktempButton9Click(TObject* Sender); // "Make GIF"
    void sktempButton7Click(TObject* Sender); // "Save to GIF"
    void Button8Click(TObject* Sender);
    void skButton5Click(TObject* Sender); // "Save to AVI"
    void skButton6Click(TObject* Sender);

    void ResizeBitmap(TBitmap* Bitmap, int Width, int Height);

    // --- what the steps share ---
    // The grid size the cell pictures show: 4, 3 or 2.
    int VisibleGridSize() const;
    // The grid size the radios choose: 3, 4 or 2.
    int CheckedGridSize() const;
    TWorkingFiles& WorkingFiles() { return workingFiles_; }
    // Milliseconds the steps have slept in their fixed waits since the window was made.
    Int64 FixedWaitMs() const { return fixedWaitMs_; }
    // Called after every wait and before every grab; tests and the bench watch progress.
    std::function<void()> OnStepIdle;

protected:
    void CreateWnd() override;

private:
    void BuildControls();
    void BuildSkin();
    void BuildCellPage();
    void BuildOutputPage();
    void BuildBrightnessAndHelpPages();
    TFormButton* MakeButton(TWinControl* parent, const String& caption, int left, int top,
                            int width, int height, void (TForm1::*handler)(TObject*));
    TFormRadioButton* MakeRadio(TWinControl* parent, const String& caption, int left, int top,
                                bool checked, void (TForm1::*handler)(TObject*));
    TFormSpinEdit* MakeSpin(TWinControl* parent, int left, int top, int min, int max, int step,
                            int value, const String& label);

    // Dispatches pending messages.
    void Pump();
    // Sleeps on the kernel clock as one of the fixed waits.
    void FixedSleep(DWORD ms);
    double MoviePosition();
    void SeekTo(double position);
    // Grabs the current frame into the picture view; answers its adjusted picture, or nil
    // when the grab failed.
    TBitmap* GrabAdjusted();
    // The current frame, adjusted by the picture view and resampled to 1 / divisor of its
    // sides straight from the adjusted picture; empty when the grab failed.
    ObjectPtr<TBitmap> GrabAdjustedFrame(int divisor);
    // The same resampled to the cell picture width into frame; answers the scaled height (0
    // for an empty frame).
    int GrabToCell(TBitmap* frame);
    void SetSeekButtonsEnabled(bool enabled);
    // Seeks to a cell's start and waits for the position event, as capture and auto
    // positions do.
    void SeekAndSettle(double position);
    void ShowGridSize(int n);
    bool ItemSkipped(int index) const;
    void ShowProgress(int index, int count);
    // A step that moves the player or reads or writes the working bitmaps marks itself
    // running by hiding the movie's control bar, and refuses to start while the bar is
    // hidden: the steps dispatch messages as they go, and one started meanwhile would change
    // what the running one works on. BeginStep answers false (and marks nothing) while
    // another step runs; EndStep shows the bar again.
    bool BeginStep();
    void EndStep();
    void BuildGif();
    // Loads the grid frame of list item index; a frame without a picture raises the message
    // that no picture was captured.
    void LoadGridFrame(int index, TBitmap* bitmap);
    bool AnyGridFramePictured();

    TWorkingFiles workingFiles_;
    Int64 fixedWaitMs_ = 0;
    // The GIF "Make GIF" last gave the preview (compared, never used) and what it was made of.
    const TGraphic* builtGif_ = nullptr;
    TGifBuildInputs builtGifInputs_;
};

extern TForm1* Form1;

// The message of an output step when no listed grid frame holds a picture.
extern const char* const kNoPictureCaptured;
