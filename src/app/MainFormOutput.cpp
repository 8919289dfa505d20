// Making and saving the GIF, saving the AVI, and choosing their file names.
#include "app/MainForm.h"

#include "app/AviSaver.h"
#include "app/FieldRules.h"
#include "app/GifBuilder.h"

void TForm1::sktempButton9Click(TObject* Sender) {
    if (skRadioButton6->Checked()) skRadioButton2->SetChecked(true);
    TGifBuildSettings settings;
    settings.delay = OutputFrameDelay(skSpinEdit3->Text());
    settings.zoom = ZoomPercent(skSpinEdit4->Text());
    TGifBuilder builder(settings);
    const int count = ListView1->Items()->Count();
    for (int i = 0; i < count; ++i) {
        if (ItemSkipped(i)) continue;
        ShowProgress(i, count);
        ObjectPtr<TBitmap> grid(CreateObject<TBitmap>());
        grid->LoadFromFile(workingFiles_.FileName(i + 1));
        // The switches are read for every frame, as the build expects.
        builder.SetSwitches(skRadioButton2->Checked(), skRadioButton8->Checked(),
                            skRadioButton1->Checked());
        builder.AddGridFrame(grid.get());
    }
    Image1->Picture()->Assign(builder.Result());
    Label2->SetCaption("Build Animation GIF Finished");
}

void TForm1::sktempButton7Click(TObject* Sender) {
    sktempButton9Click(Sender);
    TGraphic* gif = Image1->Picture()->Graphic();
    if (!gif || gif->Empty())
        throw Exception("There are no grid frames to save: capture frames first");
    Image1->Picture()->SaveToFile(Edit3->Text());
}

void TForm1::Button8Click(TObject* Sender) {
    if (SaveDialog2->Execute()) Edit3->SetText(SaveDialog2->FileName());
}

void TForm1::skButton6Click(TObject* Sender) {
    if (SaveDialog3->Execute()) skEdit2->SetText(SaveDialog3->FileName());
}

void TForm1::skButton5Click(TObject* Sender) {
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
        bitmap->LoadFromFile(workingFiles_.FileName(i + 1));
        Image1->Picture()->Assign(bitmap);
    };
    SaveGridAvi(skEdit2->Text(), settings, source);
    Label2->SetCaption("Build/Save AVI Finished");
}
