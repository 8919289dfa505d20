// Capture: every cell's run of frames into working bitmaps, then the grid frames.
#include "app/MainForm.h"

#include "app/FieldRules.h"
#include "app/GridComposer.h"
#include "app/ProductPage.h"
#include "movie/ActiveMovie.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"
#include "rtl/ScopeGuard.h"

void TForm1::sktempButton6Click(TObject* Sender) {
    OpenProductPage(Handle());
    if (!ActiveMovie1->ShowControls()) return;
    const int n = VisibleGridSize();
    // The fields and the working folder are settled first: a bad number or no folder that can
    // be written stops the step before anything is touched.
    const double step = CaptureStep(skSpinEdit2->Text());
    const int frames = CaptureFrames(skSpinEdit1->Text());
    workingFiles_.Prepare();
    WriteTextFile(CellPositionText(n, CellPositions), CellPositionFileName(Edit1->Text()));

    SetSeekButtonsEnabled(false);
    for (TControl* c : std::initializer_list<TControl*>{Button9, Button7, skButton5, Button8,
                                                        skButton6, skEdit2, Edit3})
        c->SetEnabled(true);
    ListView1->Items()->Clear();
    ImageList1->Clear();
    Button6->SetEnabled(false);
    PageControl1->SetEnabled(false);
    Button2->SetEnabled(false);
    ActiveMovie1->SetShowControls(false);
    // Whatever stops the capture on its way (a failed grab or file write), the window comes
    // back usable, as a finished capture leaves it.
    ScopeGuard giveBack([this] {
        ActiveMovie1->SetShowControls(true);
        Button6->SetEnabled(true);
        SetSeekButtonsEnabled(true);
        PageControl1->SetEnabled(true);
        Button2->SetEnabled(true);
    });

    int counter = 0;
    for (int row = 1; row <= n; ++row)
        for (int column = 1; column <= n; ++column) {
            ActiveMovie1->Pause();
            const double start = CellPositions[size_t(CellIndex(row - 1, column - 1))];
            SeekAndSettle(start);
            FixedSleep(100);
            for (int k = 1; k <= frames; ++k) {
                SeekTo(start + k * step);
                Pump();
                Pump();
                FixedSleep(100);
                for (int i = 0; i < 3; ++i)
                    Pump();
                ObjectPtr<TBitmap> frame = GrabAdjustedFrame(n);
                Label2->SetCaption("[" + IntToStr(row) + ":" + IntToStr(column) + "] " +
                                   IntToStr(k) + "/" + IntToStr(frames));
                Image1->Picture()->Assign(frame.get());
                ++counter;
                frame->SaveToFile(workingFiles_.FileName(counter));
            }
        }

    TCompositionHooks hooks;
    hooks.tile = [this, frames](int t, int, int) {
        Label2->SetCaption(IntToStr(t) + "/" + IntToStr(frames) + " " +
                           IntToStr(Int64(t) * 100 / frames) + "%");
        Pump();
    };
    hooks.frameDone = [this](int t, TBitmap* grid) {
        Image1->Picture()->Assign(grid);
        TListItem* item = ListView1->Items()->Add();
        item->SetCaption(IntToStr(t));
        ObjectPtr<TBitmap> icon(CreateObject<TBitmap>());
        icon->Assign(grid);
        ResizeBitmap(icon.get(), 80, 60);
        item->SetImageIndex(ImageList1->Add(icon.get(), nullptr));
    };
    ComposeGridFrames(workingFiles_, n, frames, hooks);

    ActiveMovie1OpenComplete(this);
}

void TForm1::ListView1Click(TObject* Sender) {
    TListItem* item = ListView1->Selected();
    if (!item) return;
    const String name = workingFiles_.FileName(item->Index() + 1);
    if (FileExists(name)) Image1->Picture()->LoadFromFile(name);
}
