#pragma once
// The data-access layer's shared names: the states of a data set, the events it sends to
// its data sources and their links, the types a field holds, and the error the layer raises.
#include "rtl/Exception.h"

#include <variant>

class TField;
class TFields;
class TFieldDefs;
class TDataSet;
class TDataSource;
class TDataLink;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// What a data set tells its sources (and they their links). The event's info is the field
// for deFieldChange, the distance moved for deDataSetScroll, and 0 otherwise.
enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deUpdateRecord,
    deUpdateState
};

enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftBoolean };

// A field's value: null (monostate) or one of the field types.
using TFieldValue = std::variant<std::monostate, String, Int64, double, bool>;

KORVID_EXCEPTION(EDatabaseError, Exception);
