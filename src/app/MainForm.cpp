// The main window's start, closing and small handlers, and what its steps share.
#include "app/MainForm.h"

#include "app/FieldRules.h"
#include "app/OrImage.h"
#include "app/ResizeBitmap.h"
#include "framework/Application.h"
#include "movie/ActiveMovie.h"
#include "platform/kernel/Time.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"

TForm1* Form1 = nullptr;

void TForm1::FormCreate(TObject* Sender) {
    skTabSheet3->SetTabVisible(false);
    // Centred through the global, as the window is made as Form1.
    TForm1* form = Form1 ? Form1 : this;
    form->SetLeft((Screen->Width() - form->Width()) / 2);
    form->SetTop((Screen->Height() - form->Height()) / 2);
    PageControl1->SetActivePageIndex(0);
    sktrackbar1->SetPosition(20);
}

void TForm1::FormClose(TObject* Sender, TCloseAction& Action) {
    workingFiles_.DeleteRange(0, kLastWorkingFileNumber);
}

void TForm1::sktempButton2Click(TObject* Sender) {
    // Closing the movie under a running step would leave that step to re-enable the buttons
    // of a movie that is gone.
    if (!ActiveMovie1->ShowControls()) return;
    skButton5->SetEnabled(false);
    skButton6->SetEnabled(false);
    skEdit2->SetEnabled(false);
    skButton4->SetEnabled(false);
    skButton7->SetEnabled(false);
    skRadioButton3->SetEnabled(true);
    skRadioButton4->SetEnabled(true);
    skRadioButton7->SetEnabled(true);
    SetSeekButtonsEnabled(false);
    Label1->SetCaption("Waiting ...");
    Button6->SetEnabled(false);
    for (TFormButton* b : CellButtons)
        b->SetEnabled(false);
    Button1->SetEnabled(true);
    Button2->SetEnabled(false);
    ActiveMovie1->Close();
    Label1->SetCaption("Waiting ...");
}

void TForm1::ActiveMovie1OpenComplete(TObject* Sender) {
    Cardinal frames = ActiveMovie1->FrameCount();
    if (frames != 0)
        Label1->SetCaption("Total:" + IntToStr(frames) + "Frames");
    else
        Label1->SetCaption("[Stream Media File]");
}

void TForm1::ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition,
                                        double NewTimePosition, Cardinal OldFramePosition,
                                        Cardinal NewFramePosition) {
    Label1->SetCaption("Playing:" + FloatToStr(NewTimePosition) + "s");
}

void TForm1::sktempsktrackbar1Change(TObject* Sender) {
    if (BrightnessBusy == 100) return;
    BrightnessBusy = 100;
    OrImage1->SetPicBrightness(sktrackbar1->Position());
    Edit2->SetText(IntToStr(sktrackbar1->Position()));
    BrightnessBusy = 0;
}

void TForm1::skSpinEdit1Change(TObject* Sender) {
    const String rate = skSpinEdit2->Text();
    if (FieldGiven(rate) && skSpinEdit3) skSpinEdit3->SetText(rate);
    Label2->SetCaption(TotalCaptureText(rate, skSpinEdit1->Text()));
}

void TForm1::skButton7Click(TObject* Sender) {
    skTabSheet3->SetTabVisible(true);
    PageControl1->SetActivePageIndex(1);
}

void TForm1::Exit1Click(TObject* Sender) {
    Close();
}

void TForm1::skButton1Click(TObject* Sender) {}

void TForm1::ResizeBitmap(TBitmap* Bitmap, int Width, int Height) {
    ::ResizeBitmap(Bitmap, Width, Height);
}

int TForm1::VisibleGridSize() const {
    if (CellImages[CellIndex(3, 3)]->Visible()) return 4;
    if (CellImages[CellIndex(2, 2)]->Visible()) return 3;
    return 2;
}

int TForm1::CheckedGridSize() const {
    if (skRadioButton4->Checked()) return 3;
    if (skRadioButton7->Checked()) return 4;
    return 2;
}

void TForm1::Pump() {
    Application->ProcessMessages();
    if (OnStepIdle) OnStepIdle();
}

void TForm1::FixedSleep(DWORD ms) {
    Sleep(ms);
    fixedWaitMs_ += ms;
}

double TForm1::MoviePosition() {
    return ActiveMovie1->CurrentPosition();
}

void TForm1::SeekTo(double position) {
    ActiveMovie1->SetCurrentPosition(position);
}

TBitmap* TForm1::GrabAdjusted() {
    // The movie's grab itself waits (bounded) for a seek still on its way to land.
    ObjectPtr<TBitmap> frame(CreateObject<TBitmap>());
    if (!ActiveMovie1->CaptureFrameToBitmap(frame.get()) || frame->Empty()) return nullptr;
    // The picture view's original takes the grabbed pixels over rather than a copy.
    OrImage1->PictureOriginal()->Bitmap()->SetHandle(frame->ReleaseHandle());
    return dynamic_cast<TBitmap*>(OrImage1->AdjustedPicture()->Graphic());
}

ObjectPtr<TBitmap> TForm1::GrabAdjustedFrame(int divisor) {
    if (TBitmap* adjusted = GrabAdjusted())
        return ResizedCopy(adjusted, adjusted->Width() / divisor, adjusted->Height() / divisor);
    ObjectPtr<TBitmap> frame(CreateObject<TBitmap>());
    frame->SetSize(0, 0);
    return frame;
}

int TForm1::GrabToCell(TBitmap* frame) {
    TBitmap* adjusted = GrabAdjusted();
    if (!adjusted || adjusted->Width() <= 0) {
        frame->SetSize(0, 0);
        return 0;
    }
    const int width = CellImages[0]->Width();
    const int height = adjusted->Height() * width / adjusted->Width();
    ::ResizeBitmap(frame, adjusted, width, height);
    return height;
}

void TForm1::SetSeekButtonsEnabled(bool enabled) {
    for (TFormButton* b : {skButton3, Button11, Button12, skButton2})
        b->SetEnabled(enabled);
}

bool TForm1::ItemSkipped(int index) const {
    return ListView1->Items()->Item(index)->Caption().find("[X]") != String::npos;
}

void TForm1::ShowProgress(int index, int count) {
    Label2->SetCaption(IntToStr(index) + "/" + IntToStr(count) + " " +
                       IntToStr(count ? Int64(index) * 100 / count : 0) + "%");
    Pump();
}
