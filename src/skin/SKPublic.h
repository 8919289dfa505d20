#pragma once
// What every skinned control shares: the style enumeration, the small enumerations of the
// controls, and the drawing, geometry and property helpers they paint and arrange with.
// clFuchsia is the see-through colour of skin bitmaps; state pictures are cut from one
// horizontal strip into equal pieces numbered from 1.
#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Picture.h"

class TCustomEdit;
class TskFileTheme;

// The built-in look of a skinned control, or the skin file of its FileTheme.
enum TskUIStyle : Byte { FromThemeFile, MacOS, WinXP, DeepBlue, Protein, BlueGlass };
constexpr int kLastBuiltinStyle = BlueGlass;

enum TskArrowButtonType { skUp, skDown };
enum TskDrawStyle { skNormal, skStretch, skTile };
enum TskProgressBarOrientation { skHorizontal, skVertical };

// Lets Control look see-through: its parent's background and its parent's non-windowed
// controls are painted into Canvas, which is in Control's client coordinates. Windowed
// siblings are never painted, and a parent that asks for its own background while this runs
// for it gets nothing, so painting never recurses.
void DrawParentBackground(TCanvas* Canvas, TControl* Control);
// The first layer of an off-screen paint over the whole of Control: what lies behind it when
// Transparent, else its own colour.
void DrawControlBackground(TCanvas* Canvas, TControl* Control, bool Transparent);

// Picture repeated from the canvas origin until it covers Rect's size.
void DrawTiled(TCanvas* Canvas, TPicture* Picture, const TRect& Rect);

// The contrast ratio of two colours, from 1 (the same) to 21 (black and white): how far apart
// their relative luminances (as sRGB) lie.
double ContrastRatio(COLORREF A, COLORREF B);

// All four edges count as inside.
bool PointInRect(const TPoint& Point, const TRect& Rect);
bool PointInRect(int X, int Y, const TRect& Rect);

// The primary display less its panels, in screen coordinates.
void GetWorkAreaRect(TRect& Rect);
// Left, then Top.
void SetControlPosition(TControl* Control, const TPoint& Point);
// Left, Top, Width, Height in that order (the control may realign in between).
void SetControlBounds(TControl* Control, const TRect& Rect);

// Bitmap stretched over Rect keeping its four corners one to one; the edges and the centre
// stretch the bitmap's middle rows and columns. Corners go through a clFuchsia mask when
// Transparent, edges and centre always. Empty bitmaps and rectangles draw nothing.
void DrawNinePartBitmap(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, bool Transparent);

// A one-pixel frame around the whole window of Control in BorderColor, and inside it one in
// InnerColor when DrawInner (the edit's non-client border). Both may be system colours.
void DrawEditBorder(TWinControl* Control, TColor BorderColor, TColor InnerColor, bool DrawInner);
// Readies an edit for that border: opaque, without a frame of its own, two pixels wide.
void PrepareEditBorder(TCustomEdit* Edit);
// The messages after which an edit's border is drawn again, so no repaint leaves it off.
bool RepaintsEditBorder(UINT Msg);

// The characters up to the terminating zero; empty for nullptr.
String PCharToStr(const char* Text);

// Bitmap is three equal pieces side by side (left end, middle, right end): the ends are drawn
// at Rect's two ends through a mask, the middle stretched opaque between them. The ends'
// see-through colour is pixel (0, 0) when UseCornerColor, else clFuchsia.
void DrawThreePartBitmap(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, bool UseCornerColor);

// A quarter turn in place, counter-clockwise (Left) or clockwise (Right).
void RotateBitmapLeft(TBitmap* Bitmap);
void RotateBitmapRight(TBitmap* Bitmap);

bool HasPublishedProperty(const TComponent* Component, const String& Name);

// Piece Index (1..Count) of Count equal pieces side by side into Dest, which takes its size.
// The columns a division leaves over at the right end belong to no piece. Count below 1 or
// an Index outside 1..Count leaves Dest empty.
void SliceBitmap(TBitmap* Source, TBitmap* Dest, int Count, int Index);

// Whether a skinned form paints itself as the active one.
bool FormHasFocus(TCustomForm* Form);

// Sets FileTheme, then UIStyle, on every direct child of Container that publishes both, each
// through its own setters.
void ContainerApplyUIStyle(TWinControl* Container, TskUIStyle UIStyle, TskFileTheme* FileTheme);

// Text drawn with DrawText flags on the canvas's font and colour, with a clear background.
// Returns the text height; with DT_CALCRECT it only measures into Rect.
int DrawCanvasText(TCanvas* Canvas, const String& Text, TRect& Rect, UINT Flags);
