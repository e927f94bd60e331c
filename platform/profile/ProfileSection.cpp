#include "ProfileSection.h"

#include "ProfileSyntax.h"

void ProfileSection::add(QStringView key, QStringView rawValue)
{
    const QString name = FoldProfileName(TrimProfileBlanks(key));
    if (!values_.contains(name))
        values_.insert(name, ProfileValueText(rawValue));
}

const QString* ProfileSection::find(const QString& key) const
{
    const auto found = values_.constFind(FoldProfileName(TrimProfileBlanks(key)));
    return found == values_.cend() ? nullptr : &found.value();
}

QString ProfileSection::value(const QString& key, const QString& def) const
{
    const QString* found = find(key);
    return found ? *found : def;
}
