#include "framework/Graphic.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

void TGraphic::LoadFromFile(const String& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const String& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::LoadFromClipboardFormat(Word, HANDLE, HPALETTE) {
    throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(Word&, HANDLE&, HPALETTE&) {
    throw EInvalidGraphic("Unsupported clipboard format");
}

bool TGraphic::Equals(TGraphic* Graphic) {
    if (Graphic == this) return true;
    if (!Graphic || Graphic->GraphicClassType() != GraphicClassType()) return false;
    if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
    TMemoryStream a, b;
    SaveToStream(a);
    Graphic->SaveToStream(b);
    return a.Size() == b.Size() && std::equal(a.Memory(), a.Memory() + a.Size(), b.Memory());
}

void TGraphic::SetTransparent(bool Value) {
    if (AssignIfChanged(transparent_, Value)) Changed(this);
}

void TGraphic::SetModified(bool Value) {
    if (Value)
        Changed(this);
    else
        modified_ = false;
}

void TGraphic::Changed(TObject*) {
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                        const TRect& R, const String& Msg) {
    if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}
