#pragma once
// Dragging one control onto another inside the program (no docking). A drag starts with
// TControl::BeginDrag, or by itself on a left press over a control whose DragMode is
// dmAutomatic. While it lasts the pointer is held: every control it moves over is asked
// through DragOver whether it would take the drop (enter, move, leave), the pointer shows the
// source's DragCursor over one that would and crNoDrop elsewhere; the release drops on a
// control that accepted (DragDrop), and Esc, a lost capture or EndDrag(false) cancel. The
// source always hears the end through OnEndDrag, with the target or none. User-interface
// thread only.
#include "framework/GraphicsTypes.h"
#include "rtl/Object.h"

#include <functional>

class TControl;
struct TMessage;

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// What a drag carries, when OnStartDrag gives one: then it, not the source control, is the
// Source that targets see. It stays the handler's to free, after OnEndDrag.
class TDragObject : public TObject {
    KORVID_CLASS(TDragObject, TObject)
};

using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
// Target: the control dropped on, or nullptr for a cancelled drag; X and Y in its client area.
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
// MousePos in the control's client area, (-1, -1) when the keyboard asked; a handler that sets
// Handled keeps the control's popup menu shut.
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// How far the pointer moves before a drag that did not start at once does.
constexpr int kDragThreshold = 5;

// The control being dragged, or nullptr.
TControl* DragSource();
// Takes the messages of a drag that runs: pointer moves and the release, Esc, the loss of the
// capture. True when the message was the drag's.
bool HandleDragMessage(TMessage& Message);
// A control that goes away leaves the drag: as its source the drag ends without events.
void ForgetDragControl(TControl* control);
