#include "framework/Field.h"

#include "framework/DataSet.h"
#include "rtl/Conversion.h"
#include "rtl/Text.h"

#include <cmath>

namespace {

bool TextToBool(const String& text) {
    if (SameText(text, "True")) return true;
    if (SameText(text, "False")) return false;
    double number = 0;
    if (TryStrToFloat(text, number)) return number != 0;
    throw EConvertError("'" + text + "' is not a valid boolean value");
}

Int64 FloatToInt(double v) {
    if (!std::isfinite(v) || v >= 9.2e18 || v <= -9.2e18)
        throw EConvertError(FloatToStr(v) + " is not a valid integer value");
    return static_cast<Int64>(std::llround(v));
}

} // namespace

TFieldValue ConvertFieldValue(const TFieldValue& Value, TFieldType Type) {
    if (std::holds_alternative<std::monostate>(Value)) return Value;
    switch (Type) {
    case ftString:
        if (auto* s = std::get_if<String>(&Value)) return *s;
        if (auto* i = std::get_if<Int64>(&Value)) return IntToStr(*i);
        if (auto* d = std::get_if<double>(&Value)) return FloatToStr(*d);
        return String(std::get<bool>(Value) ? "True" : "False");
    case ftInteger:
        if (auto* s = std::get_if<String>(&Value)) return StrToInt64(*s);
        if (auto* i = std::get_if<Int64>(&Value)) return *i;
        if (auto* d = std::get_if<double>(&Value)) return FloatToInt(*d);
        return Int64(std::get<bool>(Value) ? 1 : 0);
    case ftFloat:
        if (auto* s = std::get_if<String>(&Value)) return StrToFloat(*s);
        if (auto* i = std::get_if<Int64>(&Value)) return static_cast<double>(*i);
        if (auto* d = std::get_if<double>(&Value)) return *d;
        return std::get<bool>(Value) ? 1.0 : 0.0;
    case ftBoolean:
        if (auto* s = std::get_if<String>(&Value)) return TextToBool(*s);
        if (auto* i = std::get_if<Int64>(&Value)) return *i != 0;
        if (auto* d = std::get_if<double>(&Value)) return *d != 0;
        return std::get<bool>(Value);
    case ftUnknown:
        break;
    }
    throw EDatabaseError("Unknown field type");
}

// --- TFieldDefs --------------------------------------------------------------------------------

void TFieldDefs::Add(const String& Name, TFieldType DataType) {
    if (dataSet_) dataSet_->CheckFieldDefsChange();
    if (Name.empty()) throw EDatabaseError("Field name missing");
    if (DataType == ftUnknown) throw EDatabaseError("Field '" + Name + "' is of an unknown type");
    if (IndexOf(Name) >= 0) throw EDatabaseError("Duplicate field name '" + Name + "'");
    defs_.push_back(TFieldDef{Name, DataType});
}

void TFieldDefs::Clear() {
    if (dataSet_) dataSet_->CheckFieldDefsChange();
    defs_.clear();
}

const TFieldDef& TFieldDefs::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return defs_[size_t(index)];
}

int TFieldDefs::IndexOf(const String& Name) const {
    for (size_t i = 0; i < defs_.size(); ++i)
        if (SameText(defs_[i].Name, Name)) return static_cast<int>(i);
    return -1;
}

// --- TField --------------------------------------------------------------------------------------

const TFieldValue& TField::Value() const {
    return dataSet_->FieldValue(index_);
}

bool TField::IsNull() const {
    return std::holds_alternative<std::monostate>(Value());
}

void TField::SetValue(const TFieldValue& v) {
    dataSet_->SetFieldValue(this, ConvertFieldValue(v, type_));
}

String TField::AsString() const {
    if (IsNull()) return "";
    return std::get<String>(ConvertFieldValue(Value(), ftString));
}

Int64 TField::AsInteger() const {
    if (IsNull()) return 0;
    return std::get<Int64>(ConvertFieldValue(Value(), ftInteger));
}

double TField::AsFloat() const {
    if (IsNull()) return 0;
    return std::get<double>(ConvertFieldValue(Value(), ftFloat));
}

bool TField::AsBoolean() const {
    if (IsNull()) return false;
    return std::get<bool>(ConvertFieldValue(Value(), ftBoolean));
}

// --- TFields -------------------------------------------------------------------------------------

TField* TFields::Fields(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return fields_[size_t(index)].get();
}

TField* TFields::FindField(const String& Name) const {
    for (const auto& f : fields_)
        if (SameText(f->FieldName(), Name)) return f.get();
    return nullptr;
}

TField* TFields::FieldByName(const String& Name) const {
    if (TField* f = FindField(Name)) return f;
    throw EDatabaseError("Field '" + Name + "' not found");
}
