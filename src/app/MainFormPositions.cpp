// Opening a video and giving the cells their start positions.
#include "app/MainForm.h"

#include "framework/Application.h"
#include "movie/ActiveMovie.h"
#include "movie/DerivedMovie.h"
#include "platform/media/MediaTypes.h"
#include "rtl/Files.h"
#include "rtl/ScopeGuard.h"

namespace {

template <class T, size_t N> int IndexOfSender(const std::array<T*, N>& cells, TObject* sender) {
    for (size_t i = 0; i < N; ++i)
        if (cells[i] == sender) return int(i);
    return -1;
}

} // namespace

void TForm1::sktempButton1Click(TObject* Sender) {
    OpenDialog1->SetFilter("video clips");
    OpenDialog1->SetFileName("*.mpg;*.mpeg;*.avi;*.wav;");
    if (!ActiveMovie1->ShowControls()) return; // another step runs
    if (!OpenDialog1->Execute()) return;
    ActiveMovie1->SetShowControls(false);
    // A player that fails on the way leaves the bar shown, so the other steps can start.
    ScopeGuard showBar([this] { ActiveMovie1->SetShowControls(true); });
    SetSeekButtonsEnabled(false);
    Button1->SetEnabled(false);

    const String name = OpenDialog1->FileName();
    Edit1->SetText(name);
    Edit3->SetText(ChangeFileExt(name, ".gif"));
    skEdit2->SetText(ChangeFileExt(name, "_thumb.avi"));

    ActiveMovie1->SetFileName(name);
    ActiveMovie1->SetFGrabber_Enabled(false);
    ActiveMovie1->Open();

    Button1->SetEnabled(false);
    Button6->SetEnabled(true);
    skButton7->SetEnabled(true);
    Button2->SetEnabled(true);
    SetSeekButtonsEnabled(true);
    skButton4->SetEnabled(true);

    Pump();
    FixedSleep(1000);
    for (int i = 0; i < 4; ++i)
        if (ActiveMovie1->ReadyState() != kReadyStateComplete) {
            Pump();
            FixedSleep(1000);
        }
    // The player's play states are 0, 1 and 2, so both rounds always wait.
    for (int i = 0; i < 2; ++i)
        if (ActiveMovie1->PlayState() != 4) {
            Pump();
            FixedSleep(1000);
        }

    // A file the player cannot open would leave the window waiting for a video that never
    // comes: it is put back as "Close" leaves it, and the user is told.
    if (ActiveMovie1->OpenState() != kOpenStateOpen) {
        const bool missing = ActiveMovie1->Player()->ErrorCode() == media::kErrorFileNotFound;
        ActiveMovie1->SetShowControls(true);
        sktempButton2Click(this);
        if (missing) throw Exception("The file \"" + name + "\" does not exist");
        throw Exception("The file \"" + name + "\" cannot be opened as a video");
    }

    const double p = MoviePosition();
    ObjectPtr<TBitmap> frame(CreateObject<TBitmap>());
    const int height = GrabToCell(frame.get());
    for (int i = 0; i < kCellCount; ++i) {
        CellButtons[size_t(i)]->SetEnabled(true);
        ActiveMovie1->SetShowControls(true);
        TImage* image = CellImages[size_t(i)];
        image->SetEnabled(true);
        image->Picture()->Assign(frame.get());
        CellLabels[size_t(i)]->SetCaption(CellLabelText(p));
        if (frame->Width() > 0) CellButtons[size_t(i)]->SetTop(image->Top() + height - 1);
        CellPositions[size_t(i)] = p;
    }
}

void TForm1::ShowGridSize(int n) {
    for (int i = 0; i < kCellCount; ++i) {
        CellButtons[size_t(i)]->SetVisible(false);
        CellLabels[size_t(i)]->SetVisible(false);
        CellImages[size_t(i)]->SetVisible(false);
    }
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const size_t i = size_t(CellIndex(r, c));
            CellButtons[i]->SetVisible(true);
            CellLabels[i]->SetVisible(true);
            CellImages[i]->SetVisible(true);
        }
}

void TForm1::skRadioButton3Click(TObject* Sender) {
    if (skRadioButton4->Checked())
        ShowGridSize(3);
    else if (skRadioButton3->Checked())
        ShowGridSize(2);
    else if (skRadioButton7->Checked())
        ShowGridSize(4);
    else
        ShowGridSize(0);
}

void TForm1::cimage11Click(TObject* Sender) {
    const int i = IndexOfSender(CellImages, Sender);
    if (i < 0) return;
    ActiveMovie1->Pause();
    SeekTo(CellPositions[size_t(i)]);
}

void TForm1::sktempButton11Click(TObject* Sender) {
    ActiveMovie1->Pause();
    const double p = MoviePosition();
    if (p > 5) SeekTo(p - 5);
}

void TForm1::sktempButton12Click(TObject* Sender) {
    ActiveMovie1->Pause();
    SeekTo(MoviePosition() + 5);
}

void TForm1::skButton3Click(TObject* Sender) {
    ActiveMovie1->Pause();
    const double p = MoviePosition();
    if (p > 0.1) SeekTo(p - 0.1);
}

void TForm1::skButton2Click(TObject* Sender) {
    ActiveMovie1->Pause();
    SeekTo(MoviePosition() + 0.1);
}

void TForm1::cbutton11Click(TObject* Sender) {
    const int i = IndexOfSender(CellButtons, Sender);
    if (i < 0) return;
    ActiveMovie1->Pause();
    const double p = MoviePosition();
    for (int k = 0; k < 5; ++k) {
        FixedSleep(100);
        Pump();
    }
    for (int k = 0; k < 5; ++k)
        Pump();
    ObjectPtr<TBitmap> frame(CreateObject<TBitmap>());
    GrabToCell(frame.get());
    CellImages[size_t(i)]->Picture()->Assign(frame.get());
    CellLabels[size_t(i)]->SetCaption(CellLabelText(p));
    CellPositions[size_t(i)] = p;
}

void TForm1::SeekAndSettle(double position) {
    const String before = Label1->Caption();
    SeekTo(position);
    for (int k = 0; k < 2; ++k) {
        FixedSleep(100);
        Pump();
    }
    for (DWORD delay : {100u, 100u, 200u, 300u})
        if (Label1->Caption() == before)
            for (int k = 0; k < 2; ++k) {
                FixedSleep(delay);
                Pump();
            }
}

void TForm1::skButton4Click(TObject* Sender) {
    if (!BeginStep()) return;
    ScopeGuard showBar([this] { EndStep(); });
    const int n = CheckedGridSize();
    SetSeekButtonsEnabled(false);
    Button1->SetEnabled(false);
    if (ActiveMovie1->ReadyState() == kReadyStateComplete) {
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) {
                ActiveMovie1->Pause();
                const double x =
                    double(r * n + c + 1) * ActiveMovie1->Duration() / double(n * n + 1);
                SeekAndSettle(x);
                FixedSleep(100);
                ObjectPtr<TBitmap> frame(CreateObject<TBitmap>());
                const int height = GrabToCell(frame.get());
                const size_t i = size_t(CellIndex(r, c));
                if (frame->Width() > 0) CellButtons[i]->SetTop(CellImages[i]->Top() + height - 1);
                CellImages[i]->Picture()->Assign(frame.get());
                CellLabels[i]->SetCaption(CellLabelText(x));
                CellPositions[i] = x;
            }
    }
    ActiveMovie1->Stop();
    ActiveMovie1->Play();
    Button1->SetEnabled(false);
    Button6->SetEnabled(true);
    Button2->SetEnabled(true);
    SetSeekButtonsEnabled(true);
    for (TFormButton* b : CellButtons)
        b->SetEnabled(true);
}
