// Making and saving the GIF, saving the AVI, and choosing their file names.
#include "app/MainForm.h"

#include "app/AviSaver.h"
#include "app/FieldRules.h"
#include "app/GifBuildInputs.h"
#include "app/GifBuilder.h"
#include "app/ReplacingFile.h"
#include "movie/ActiveMovie.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"
#include "rtl/ScopeGuard.h"

const char* const kNoPictureCaptured =
    "No picture was captured: the grid frames are empty. Capture frames from a file with video";

bool TForm1::BeginStep() {
    if (!ActiveMovie1->ShowControls()) return false;
    ActiveMovie1->SetShowControls(false);
    return true;
}

void TForm1::EndStep() {
    ActiveMovie1->SetShowControls(true);
}

bool TForm1::AnyGridFramePictured() {
    const int count = ListView1->Items()->Count();
    for (int i = 0; i < count; ++i) {
        if (ItemSkipped(i) || !workingFiles_.Exists(i + 1)) continue;
        ObjectPtr<TBitmap> frame(CreateObject<TBitmap>());
        frame->LoadFromFile(workingFiles_.FileName(i + 1));
        if (frame->Width() > 0 && frame->Height() > 0) return true;
    }
    return false;
}

void TForm1::LoadGridFrame(int index, TBitmap* bitmap) {
    const int number = index + 1;
    if (workingFiles_.Exists(number))
        bitmap->LoadFromFile(workingFiles_.FileName(number));
    else
        bitmap->SetSize(0, 0);
    if (bitmap->Width() > 0 && bitmap->Height() > 0) return;
    // Every grab of a file without video fails, and so every frame is empty; a single empty
    // frame is one whose working bitmap went missing or whose grabs all failed.
    if (!AnyGridFramePictured()) throw Exception(kNoPictureCaptured);
    throw Exception("No picture was captured for grid frame " + IntToStr(number) +
                    ": capture frames again");
}

void TForm1::BuildGif() {
    if (skRadioButton6->Checked()) skRadioButton2->SetChecked(true);
    TGifBuildSettings settings;
    settings.delay = OutputFrameDelay(skSpinEdit3->Text());
    settings.zoom = ZoomPercent(skSpinEdit4->Text());
    const int count = ListView1->Items()->Count();
    TGifBuildInputs inputs{settings.delay, settings.zoom, {}};
    const auto addInputs = [&](TGifBuildInputs& to, int i) {
        to.AddFrame(workingFiles_.FileName(i + 1), i + 1, skRadioButton2->Checked(),
                    skRadioButton8->Checked(), skRadioButton1->Checked());
    };
    // The preview still shows the last build and nothing it was made of has changed since:
    // that build is the GIF these inputs give ("Save to GIF" makes it first every time).
    for (int i = 0; i < count; ++i)
        if (!ItemSkipped(i)) addInputs(inputs, i);
    // (Only a build gives the preview a GIF: another picture at the same address is no GIF.)
    const auto* shown = dynamic_cast<const TGIFGraphic*>(Image1->Picture()->Graphic());
    if (builtGif_ && shown == builtGif_ && inputs == builtGifInputs_) {
        Label2->SetCaption("Build Animation GIF Finished");
        return;
    }
    builtGif_ = nullptr;
    TGifBuildInputs built{settings.delay, settings.zoom, {}};
    TGifBuilder builder(settings);
    for (int i = 0; i < count; ++i) {
        if (ItemSkipped(i)) continue;
        ShowProgress(i, count);
        addInputs(built, i);
        ObjectPtr<TBitmap> grid(CreateObject<TBitmap>());
        LoadGridFrame(i, grid.get());
        // The switches are read for every frame, as the build expects.
        builder.SetSwitches(skRadioButton2->Checked(), skRadioButton8->Checked(),
                            skRadioButton1->Checked());
        builder.AddGridFrame(grid.get());
    }
    Image1->Picture()->Assign(builder.Result());
    builtGif_ = Image1->Picture()->Graphic();
    builtGifInputs_ = std::move(built);
    Label2->SetCaption("Build Animation GIF Finished");
}

void TForm1::sktempButton9Click(TObject* Sender) {
    if (!BeginStep()) return;
    ScopeGuard end([this] { EndStep(); });
    BuildGif();
}

void TForm1::sktempButton7Click(TObject* Sender) {
    if (!BeginStep()) return;
    ScopeGuard end([this] { EndStep(); });
    BuildGif();
    TGraphic* gif = Image1->Picture()->Graphic();
    if (!gif || gif->Empty())
        throw Exception("There are no grid frames to save: capture frames first");
    // Written whatever the name's extension, as the picture's own format.
    SaveReplacing(Edit3->Text(), [gif](TStream& stream) { gif->SaveToStream(stream); });
}

void TForm1::Button8Click(TObject* Sender) {
    if (SaveDialog2->Execute()) Edit3->SetText(SaveDialog2->FileName());
}

void TForm1::skButton6Click(TObject* Sender) {
    if (SaveDialog3->Execute()) skEdit2->SetText(SaveDialog3->FileName());
}

void TForm1::skButton5Click(TObject* Sender) {
    if (!BeginStep()) return;
    ScopeGuard end([this] { EndStep(); });
    if (skRadioButton5->Checked()) skRadioButton2->SetChecked(true);
    TAviSaveSettings settings;
    settings.eightBit = skRadioButton2->Checked();
    settings.scale = OutputFrameDelay(skSpinEdit3->Text());
    settings.zoom = ZoomPercent(skSpinEdit4->Text());
    TAviFrameSource source;
    source.count = [this] { return ListView1->Items()->Count(); };
    source.skipped = [this](int i) { return ItemSkipped(i); };
    source.progress = [this](int i, int count) { ShowProgress(i, count); };
    source.load = [this](int i, TBitmap* bitmap) {
        LoadGridFrame(i, bitmap);
        Image1->Picture()->Assign(bitmap);
    };
    SaveGridAvi(skEdit2->Text(), settings, source);
    Label2->SetCaption("Build/Save AVI Finished");
}
