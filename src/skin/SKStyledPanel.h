#pragma once
// TskStyledPanel: the base of the skinned panels that carry a style of their own (the tab
// control and the title bar). It keeps the style and the skin file the panel reads, linked so
// that the panel hears when the file theme goes and falls back to DeepBlue then.
#include "framework/Panel.h"
#include "skin/SKMgr.h"

class TskStyledPanel : public TCustomPanel {
    KORVID_CLASS(TskStyledPanel, TCustomPanel)

    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TskUIStyle UIStyle() const { return uiStyle_; }
    // Stores the style and applies it.
    virtual void SetUIStyle(TskUIStyle Value) = 0;
    TskFileTheme* FileTheme() const { return fileTheme_; }
    // Links the theme (not owned), then applies the style again.
    virtual void SetFileTheme(TskFileTheme* Value);

protected:
    TskStyledPanel() = default;

    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
};
