#include "skin/SKStyledPanel.h"

void TskStyledPanel::Destroy() {
    LinkFileTheme(this, fileTheme_, nullptr);
    inherited::Destroy();
}

void TskStyledPanel::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

void TskStyledPanel::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    SetUIStyle(uiStyle_);
}
