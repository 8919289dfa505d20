#pragma once
// How the menu bar of a skinned form draws its buttons and background: one flat button per
// top-level item of a main menu, in the menu's own style when it is a TskMainMenu. Shared by
// TskForm and TskMDIForm.
#include "framework/Menus.h"
#include "framework/ToolBar.h"
#include "skin/SKMgr.h"

// The style and skin file the bar draws in: those of a TskMainMenu, else the form's own.
TskUIStyle MenuBarStyle(TMainMenu* Menu, TskUIStyle OwnStyle, TskFileTheme* OwnTheme,
                        TskFileTheme*& Theme);
// The bar's background: the MacOS bar picture stretched over Rect in that style, else nothing.
void DrawSkinMenuBarBackground(TToolBar* Bar, const TRect& Rect, TskUIStyle Style);
// One button: hot or pressed in the selected colours (MacOS: its selected picture), otherwise
// the caption alone; the font is the menu's (the system menu font when it asks for it).
void DrawSkinMenuBarButton(TToolBar* Bar, TToolButton* Button, TCustomDrawState State,
                           TMainMenu* Menu, TskUIStyle Style, TskFileTheme* Theme);
