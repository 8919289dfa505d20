#pragma once
// TDataSource: the go-between of one data set and the controls that show it. It passes the
// set's events on to its data links, tells its own handlers of state and data changes, and
// can be switched off (Enabled false), which makes its links see an inactive set.
#include "framework/DB.h"
#include "rtl/Component.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
    KORVID_CLASS(TDataSource, TComponent)

    static void DeclareProperties(Published<TDataSource>& p);

    void Create(TComponent* AOwner) override;
    // Leaves its data set; its links see no source from then on.
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    // Whether a link may start editing the set (Edit below).
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool Value) { autoEdit_ = Value; }
    // The set's state, dsInactive without a set or while switched off.
    TDataSetState State() const;
    // Starts editing when AutoEdit allows and the set is browsing.
    void Edit();
    // Whether Link is one of this source's links.
    bool HasLink(const TDataLink* Link) const;

    // State changes; data changes (Field is the field that changed, or nullptr when the
    // record or the cursor did); a request to write pending edits before a post.
    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;

    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void AddLink(TDataLink* Link);
    void RemoveLink(TDataLink* Link);
    // Tells the links and the handler when the state they see has changed.
    void UpdateState();

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> links_;
    // Cleared when the source goes, so an event it is passing on stops there.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
