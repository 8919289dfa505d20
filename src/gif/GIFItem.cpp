#include "gif/GIFItem.h"

#include "gif/GIFImageCore.h"

void TGIFItem::ReportWarning(int severity, const String& message) {
    if (Image) Image->ReportWarning(this, severity, message);
}

void TGIFItem::SaveToFileName(const String& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TGIFItem::LoadFromFileName(const String& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

TGIFList::~TGIFList() {
    ClearItems();
}

void TGIFList::ReportWarning(int severity, const String& message) {
    if (Image) Image->ReportWarning(this, severity, message);
}

void TGIFList::SaveToStream(TStream& stream) {
    for (int i = 0; i < Count(); ++i)
        ItemAt(i)->SaveToStream(stream);
}

void TGIFList::DeleteItem(int index) {
    TGIFItem* item = Items.Get(index);
    Items.Delete(index);
    item->Free();
}

void TGIFList::ClearItems() {
    while (Count() > 0)
        DeleteItem(0);
}
