#pragma once
// Fields: the definitions a data set is opened with (TFieldDefs), and the fields it then has
// (TFields), each of which reads and writes its column of the data set's current record.
#include "framework/DB.h"
#include "rtl/Object.h"

#include <vector>

struct TFieldDef {
    String Name;
    TFieldType DataType = ftString;
};

class TFieldDefs : public TObject {
    KORVID_CLASS(TFieldDefs, TObject)

    explicit TFieldDefs(TDataSet* dataSet) : dataSet_(dataSet) {}

    // A name already defined (in any case), an empty name or ftUnknown raise EDatabaseError;
    // so does any change while the data set may not change its fields.
    void Add(const String& Name, TFieldType DataType);
    void Clear();
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef& Items(int index) const;
    int IndexOf(const String& Name) const; // -1 when absent

private:
    TDataSet* dataSet_;
    std::vector<TFieldDef> defs_;
};

class TField : public TObject {
    KORVID_CLASS(TField, TObject)

    TField(TDataSet* dataSet, const TFieldDef& def, int index)
        : dataSet_(dataSet), name_(def.Name), type_(def.DataType), index_(index) {}

    TDataSet* DataSet() const { return dataSet_; }
    const String& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    int Index() const { return index_; }

    // The value in the current record; null on an empty, closed data set.
    const TFieldValue& Value() const;
    bool IsNull() const;
    // Converted to the field's type; a value that does not convert raises EConvertError. Only
    // in edit or insert mode.
    void SetValue(const TFieldValue& v);
    void Clear() { SetValue(TFieldValue{}); }

    // Null reads as "", 0, 0.0 and false. Text that is no number raises EConvertError.
    String AsString() const;
    Int64 AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    void SetAsString(const String& v) { SetValue(v); }
    void SetAsInteger(Int64 v) { SetValue(v); }
    void SetAsFloat(double v) { SetValue(v); }
    void SetAsBoolean(bool v) { SetValue(v); }

private:
    TDataSet* dataSet_;
    String name_;
    TFieldType type_;
    int index_;
};

class TFields : public TObject {
    KORVID_CLASS(TFields, TObject)

    int Count() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;
    TField* operator[](int index) const { return Fields(index); }
    // Case-insensitive; nullptr when absent.
    TField* FindField(const String& Name) const;
    // Raises EDatabaseError "Field 'Name' not found" when absent.
    TField* FieldByName(const String& Name) const;

    void Add(ObjectPtr<TField> field) { fields_.push_back(std::move(field)); }
    void Clear() { fields_.clear(); }

private:
    std::vector<ObjectPtr<TField>> fields_;
};

// Value converted to Type: null stays null; text to numbers through the usual conversions
// (EConvertError when it is none), booleans from "True"/"False" or numbers.
TFieldValue ConvertFieldValue(const TFieldValue& Value, TFieldType Type);
