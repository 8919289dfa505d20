#pragma once
// The kinds of control the main window is built from, named once so the window's builder
// and handlers do not depend on which control set provides them. Buttons, edits, spin edits
// radio buttons and the brightness bar are the skinned ones; the form panel, the pages and
// the help memo still the framework's plain controls.
#include "framework/DialogControls.h"
#include "framework/Edit.h"
#include "framework/Memo.h"
#include "framework/PageControl.h"
#include "framework/Panel.h"
#include "framework/ScrollBar.h"
#include "skin/SKButton.h"
#include "skin/SKCheckBox.h"
#include "skin/SKEdit.h"
#include "skin/SKScrollBar.h"

using TFormPanel = TPanel;  // the window's skinned form panel
using TFormButton = TskButton;
using TFormEdit = TskEdit;
using TFormSpinEdit = TskSpinEdit;
using TFormRadioButton = TskRadioButton;
using TFormScrollBar = TskScrollBar;
using TFormPageControl = TPageControl;
using TFormTabSheet = TTabSheet;
using TFormMemo = TMemo;

// Every skinned control on the window has the style Protein.
template <class T>
void ApplyWindowStyle(T* control) {
    if constexpr (requires { control->SetUIStyle(Protein); }) control->SetUIStyle(Protein);
}
