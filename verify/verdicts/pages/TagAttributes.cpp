#include "TagAttributes.h"

namespace {

constexpr qsizetype MostAttributes = 16;
constexpr qsizetype NameLimit = 32;
constexpr qsizetype ValueLimit = 2048;

} // namespace

void TagAttributes::begin(bool record)
{
    kept_.clear();
    name_.clear();
    value_.clear();
    valueCut_ = false;
    record_ = record;
}

void TagAttributes::addToName(QChar c)
{
    if (record_ && name_.size() < NameLimit)
        name_ += c.toLower();
}

void TagAttributes::addToValue(QChar c)
{
    if (!record_)
        return;
    if (value_.size() < ValueLimit)
        value_ += c;
    else
        valueCut_ = true;
}

void TagAttributes::endAttribute()
{
    if (record_ && !name_.isEmpty() && !valueCut_ && kept_.size() < MostAttributes && !value(name_))
        kept_.append({name_, value_});
    name_.clear();
    value_.clear();
    valueCut_ = false;
}

std::optional<QString> TagAttributes::value(QStringView name) const
{
    for (const Attribute& attribute : kept_) {
        if (attribute.name == name)
            return attribute.value;
    }
    return std::nullopt;
}
