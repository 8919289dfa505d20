#pragma once
// Every part of a GIF stream is an item that saves and loads itself; ordered groups of items
// are lists that own them. Items know the image they belong to, which takes their warnings.
#include "rtl/Lists.h"
#include "rtl/Persistent.h"
#include "rtl/Stream.h"

#include <functional>

class GIFImageCore;

// Handler of the image's warnings: (sender, severity, message).
using TGIFWarning = std::function<void(TObject* Sender, int Severity, const String& Message)>;

class TGIFItem : public TPersistent {
    KORVID_CLASS(TGIFItem, TPersistent)

    explicit TGIFItem(GIFImageCore* image) : Image(image) {}

    // 1 for GIF87a, 2 for GIF89a.
    virtual int RequiredVersion() { return 1; }
    // Passes (this item, severity, message) to the image's warning handler.
    virtual void ReportWarning(int severity, const String& message);
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    void SaveToFileName(const String& fileName);
    void LoadFromFileName(const String& fileName);

    GIFImageCore* Image; // not owned
};

// An owning, ordered list of items.
class TGIFList : public TPersistent {
    KORVID_CLASS(TGIFList, TPersistent)

    explicit TGIFList(GIFImageCore* image) : Image(image) {}
    ~TGIFList() override;

    virtual void ReportWarning(int severity, const String& message);
    // Saves every item in order.
    virtual void SaveToStream(TStream& stream);
    virtual void LoadFromStream(TStream& stream, TObject* parent) = 0;

    int Count() const { return Items.Count(); }
    TGIFItem* ItemAt(int index) const { return Items.Get(index); }
    int AppendItem(TGIFItem* item) { return Items.Add(item); }
    // Removes the item and frees it.
    void DeleteItem(int index);
    // Removes the item without freeing it: ownership goes back to the caller.
    void RemoveItem(TGIFItem* item) { Items.Remove(item); }
    void ClearItems();

    GIFImageCore* Image;
    TList<TGIFItem*> Items;
};
