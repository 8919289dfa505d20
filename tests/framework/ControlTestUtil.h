#pragma once
// A headless screen with an application and one borderless form at (100, 100), 300 x 200.
#include "framework/Application.h"
#include "platform/headless/Headless.h"
#include "support/FormFixture.h"

#include <gtest/gtest.h>

class ControlFixture : public test_support::FormFixture {
protected:
    ControlFixture() : FormFixture("Test", 300, 200) {}
};

// A non-windowed control that records what reaches it.
class TProbe : public TGraphicControl {
    KORVID_CLASS(TProbe, TGraphicControl)
    int clicks = 0, downs = 0, ups = 0, moves = 0, paints = 0, enters = 0, leaves = 0;
    TPoint lastMove{-1, -1};
    TColor fill = clRed;

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(fill);
        Canvas()->FillRect(ClientRect());
    }
    void Click() override {
        ++clicks;
        inherited::Click();
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        ++downs;
        inherited::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
        ++ups;
        inherited::MouseUp(b, s, x, y);
    }
    void MouseMove(TShiftState s, int x, int y) override {
        ++moves;
        lastMove = Point(x, y);
        inherited::MouseMove(s, x, y);
    }
    void Dispatch(TMessage& m) override {
        if (m.Msg == CM_MOUSEENTER) ++enters;
        if (m.Msg == CM_MOUSELEAVE) ++leaves;
        inherited::Dispatch(m);
    }
};

// A windowed control that can take the focus and counts its paints.
class TWinProbe : public TCustomControl {
    KORVID_CLASS(TWinProbe, TCustomControl)
    int paints = 0;
    TColor fill = clBlue;
    void Create(TComponent* AOwner) override {
        inherited::Create(AOwner);
        SetTabStop(true);
    }

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(fill);
        Canvas()->FillRect(ClientRect());
    }
};
