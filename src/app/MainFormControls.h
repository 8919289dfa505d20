#pragma once
// The kinds of control the main window is built from, named once so the window's builder
// and handlers do not depend on which control set provides them. All of them are the skinned
// ones; the radio groups sit on plain panels.
#include "framework/Panel.h"
#include "skin/SKButton.h"
#include "skin/SKCheckBox.h"
#include "skin/SKEdit.h"
#include "skin/SKForm.h"
#include "skin/SKMemo.h"
#include "skin/SKPageControl.h"
#include "skin/SKScrollBar.h"

using TFormSkin = TskForm; // the window's skinned form panel
using TFormPanel = TPanel; // a plain panel holding one radio group
using TFormButton = TskButton;
using TFormEdit = TskEdit;
using TFormSpinEdit = TskSpinEdit;
using TFormRadioButton = TskRadioButton;
using TFormScrollBar = TskScrollBar;
using TFormPageControl = TskPageControl;
using TFormTabSheet = TskTabSheet;
using TFormMemo = TskMemo;

// Every skinned control on the window has the style Protein.
template <class T> void ApplyWindowStyle(T* control) {
    if constexpr (requires { control->SetUIStyle(Protein); }) control->SetUIStyle(Protein);
}
