#pragma once
// TListView: items with a caption and an image, shown as large icons, small icons, a list of
// columns or a report with column headers. One item at a time is selected; a click on the
// item that already was selected (or F2) edits its caption in place. The view scrolls when
// its items do not fit.
#include "framework/CustomControl.h"
#include "framework/ImageList.h"

#include <memory>
#include <vector>

class TListView;
class TListItems;
class TDialogEdit;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListItem : public TPersistent {
    KORVID_CLASS(TListItem, TPersistent)

    explicit TListItem(TListItems* owner) : owner_(owner) {}

    const String& Caption() const { return caption_; }
    void SetCaption(const String& v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    void* Data() const { return data_; }
    void SetData(void* v) { data_ = v; }
    // The texts of the report view's further columns, in column order.
    const std::vector<String>& SubItems() const { return subItems_; }
    void SetSubItems(std::vector<String> v);

    TListItems* Owner() const { return owner_; }
    TListView* ListView() const;
    int Index() const { return index_; }
    bool Selected() const;
    void SetSelected(bool v);
    // Starts editing the caption in place; false when the list view does not allow it.
    bool EditCaption();
    // Removes the item from its list and frees it.
    void Delete();

private:
    friend class TListItems;
    TListItems* owner_;
    int index_ = -1;
    String caption_;
    int imageIndex_ = -1;
    void* data_ = nullptr;
    std::vector<String> subItems_;
};

class TListItems : public TPersistent {
    KORVID_CLASS(TListItems, TPersistent)

    explicit TListItems(TListView* owner) : owner_(owner) {}
    void Destroy() override;

    TListItem* Add();
    TListItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError for an index out of range.
    TListItem* Item(int Index) const;
    TListItem* operator[](int Index) const { return Item(Index); }
    int IndexOf(const TListItem* Value) const;
    TListView* Owner() const { return owner_; }
    // Repainting and the scroll range wait for EndUpdate while updates are on.
    void BeginUpdate();
    void EndUpdate();

private:
    void Renumber(int from);
    TListView* owner_;
    std::vector<ObjectPtr<TListItem>> items_;
};

enum TListColumnAlignment { caLeftJustify, caRightJustify, caCenter };

class TListColumn : public TPersistent {
    KORVID_CLASS(TListColumn, TPersistent)

    explicit TListColumn(TListView* owner) : owner_(owner) {}
    const String& Caption() const { return caption_; }
    void SetCaption(const String& v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TListColumnAlignment Alignment() const { return alignment_; }
    void SetAlignment(TListColumnAlignment v);

private:
    void Changed();
    TListView* owner_;
    String caption_;
    int width_ = 50;
    TListColumnAlignment alignment_ = caLeftJustify;
};

class TListColumns : public TPersistent {
    KORVID_CLASS(TListColumns, TPersistent)

    explicit TListColumns(TListView* owner) : owner_(owner) {}
    TListColumn* Add();
    void Clear();
    void Delete(int Index);
    int Count() const { return static_cast<int>(columns_.size()); }
    TListColumn* Items(int Index) const;
    TListColumn* operator[](int Index) const { return Items(Index); }

private:
    TListView* owner_;
    std::vector<ObjectPtr<TListColumn>> columns_;
};

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, String& S)>;

class TListView : public TCustomControl {
    KORVID_CLASS(TListView, TCustomControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle v);
    TListItems* Items() const { return items_.get(); }
    TListColumns* Columns() const { return columns_.get(); }
    TImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TImageList* v);
    TImageList* LargeImages() const { return largeImages_; }
    void SetLargeImages(TImageList* v);
    // ReadOnly: captions cannot be edited in place.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool v);

    TListItem* Selected() const { return selected_; }
    void SetSelected(TListItem* v);
    int ItemIndex() const { return selected_ ? selected_->Index() : -1; }
    void SetItemIndex(int v);
    // The item whose image or caption lies under a point of the client area.
    TListItem* GetItemAt(int X, int Y);
    // The item's whole cell and its caption, in client coordinates (as now scrolled).
    TRect ItemRect(const TListItem* Item);
    TRect LabelRect(const TListItem* Item);
    // Scrolls so the item is wholly in view.
    void MakeVisible(TListItem* Item);
    // How far the content is scrolled (pixels, down for icon, small-icon and report views,
    // right for the list view) and how far it can be.
    int ScrollPos() const { return scrollPos_; }
    int ScrollMax();
    void SetScrollPos(int v);

    bool IsEditing() const { return editing_ != nullptr; }
    TListItem* ItemBeingEdited() const { return editing_; }
    // The in-place editor while a caption is edited, else nullptr.
    TDialogEdit* Editor() const;
    // Ends an edit: keeps the typed text (OnEdited may change it) or drops it.
    void EndEdit(bool accept);
    bool EditCaption(TListItem* Item);

    TLVSelectItemEvent OnSelectItem;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

    // Called by the items and columns when they change.
    void ItemsChanged();
    void ItemRemoving(TListItem* Item);
    void ItemChanged(TListItem* Item);
    void ColumnsChanged() { ItemsChanged(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void Resize() override;

private:
    friend class TListItems;
    struct Layout;
    Layout ComputeLayout();
    TRect ContentRect();
    TRect CellRect(const Layout& layout, int index);
    TRect LabelIn(const Layout& layout, const TRect& cell);
    TRect ImageIn(const Layout& layout, const TRect& cell);
    TImageList* ImagesForView() const;
    // Text is measured on a bitmap of our own, so layout works before the window exists.
    TCanvas* MeasureCanvas();
    int PageStep(const Layout& layout);
    bool ScrollVertical() const { return viewStyle_ != vsList; }
    TRect ScrollBarRect();
    TRect ThumbRect();
    void DrawScrollBar(TCanvas* canvas);
    void DrawItem(TCanvas* canvas, const Layout& layout, TListItem* item);
    void DrawHeader(TCanvas* canvas, const Layout& layout);
    void MoveSelection(Word key);
    void CancelPendingEdit();
    void PlaceEditor();

    TViewStyle viewStyle_ = vsIcon;
    ObjectPtr<TBitmap> measure_;
    ObjectPtr<TListItems> items_;
    ObjectPtr<TListColumns> columns_;
    TImageList* smallImages_ = nullptr;
    TImageList* largeImages_ = nullptr;
    bool readOnly_ = false;
    bool showColumnHeaders_ = true;
    TListItem* selected_ = nullptr;
    int scrollPos_ = 0;
    int updating_ = 0;
    // A press on the item that already was selected arms an edit that starts after the
    // double-click time unless a double click comes first.
    TListItem* pressedItem_ = nullptr;
    bool pressWasSelected_ = false;
    TListItem* pendingEdit_ = nullptr;
    // Dragging the scroll bar's thumb: the pointer's offset into it.
    bool thumbDrag_ = false;
    int thumbGrab_ = 0;
    TListItem* editing_ = nullptr;
    TDialogEdit* editor_ = nullptr;
    bool ending_ = false;
    TListItem* editResult_ = nullptr; // the item OnEdited runs for
};
