#pragma once
// Actions: a command kept in one place with the caption, state, hint, image and shortcut the
// controls linked to it show. A click on a linked control runs the action; the application
// asks every action linked to a shown form's controls to update itself when it is idle.
// TBasicAction runs and updates, TCustomAction (and TAction) carries the properties, and
// TActionList holds actions and the images their ImageIndex points into. A control reaches its
// action through a TBasicActionLink, which it owns.
#include "framework/Menus.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/Component.h"

#include <functional>
#include <vector>

class TActionList;
class TBasicActionLink;
class TImageList;

class TBasicAction : public TComponent {
    KORVID_CLASS(TBasicAction, TComponent)

    void Destroy() override;

    // Runs OnExecute; false when there is none.
    virtual bool Execute();
    // Runs OnUpdate; false when there is none.
    virtual bool Update();

    // The control whose click runs the action now, else nullptr.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* Value) { actionComponent_ = Value; }

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    // The links that hear of every change (links register themselves).
    void RegisterChanges(TBasicActionLink* Link);
    void UnRegisterChanges(TBasicActionLink* Link);

protected:
    TBasicAction() = default;
    // Tells every linked control that a property changed.
    void Change();

private:
    std::vector<TBasicActionLink*> clients_;
    TComponent* actionComponent_ = nullptr;
};

class TCustomAction : public TBasicAction {
    KORVID_CLASS(TCustomAction, TBasicAction)

    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Updates first; runs only while enabled.
    bool Execute() override;

    TActionList* ActionList() const { return actionList_; }
    void SetActionList(TActionList* Value);

    const String& Caption() const { return caption_; }
    void SetCaption(const String& Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    const String& Hint() const { return hint_; }
    void SetHint(const String& Value);
    // Into the action list's Images; -1 for none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);

protected:
    TCustomAction() = default;

private:
    template <class T> void Store(T& field, const T& value) {
        if (AssignIfChanged(field, value)) Change();
    }

    TActionList* actionList_ = nullptr;
    String caption_;
    bool checked_ = false;
    bool enabled_ = true;
    String hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = scNone;
    bool visible_ = true;
};

class TAction : public TCustomAction {
    KORVID_CLASS(TAction, TCustomAction)
};

class TActionList : public TComponent {
    KORVID_CLASS(TActionList, TComponent)

    static void DeclareProperties(Published<TActionList>& p);

    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    int ActionCount() const { return int(actions_.size()); }
    TCustomAction* Actions(int Index) const;
    // Not owned: the list forgets images that are freed.
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* Value);

private:
    friend class TCustomAction;
    void AddAction(TCustomAction* Action);
    void RemoveAction(TCustomAction* Action);

    std::vector<TCustomAction*> actions_;
    TImageList* images_ = nullptr;
};

// A client's hold on its action. The client owns the link; the link hears of the action's
// changes and of its end (then it holds none).
class TBasicActionLink {
public:
    TBasicActionLink() = default;
    ~TBasicActionLink();
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* Value);
    // Runs the action for AComponent; false without one.
    bool Execute(TComponent* AComponent);
    bool Update();

    // Raised with the action as Sender whenever one of its properties changes.
    TNotifyEvent OnChange;

private:
    friend class TBasicAction;
    TBasicAction* action_ = nullptr;
};

// Updates the actions of every visible control of every shown form (the application's idle
// work).
void UpdateFormActions();
