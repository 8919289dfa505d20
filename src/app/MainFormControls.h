#pragma once
// The kinds of control the main window is built from, named once so the window's builder
// and handlers do not depend on which control set provides them.
#include "app/PlainControls.h"
#include "framework/DialogControls.h"
#include "framework/Edit.h"
#include "framework/Memo.h"
#include "framework/PageControl.h"
#include "framework/Panel.h"
#include "framework/ScrollBar.h"

using TFormPanel = TPanel;           // the window's skinned form panel
using TFormButton = TDialogButton;
using TFormEdit = TEdit;
using TFormSpinEdit = TPlainSpinEdit;
using TFormRadioButton = TPlainRadioButton;
using TFormScrollBar = TScrollBar;
using TFormPageControl = TPageControl;
using TFormTabSheet = TTabSheet;
using TFormMemo = TMemo;
