#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

// The keys of one section of a private-profile file, read in one pass, so a
// section of many keys costs one walk of the file rather than one per key.
// Names match without regard to case and the first key of a name wins, as
// the reader of single keys has it.
class ProfileSection final
{
public:
    // Keeps the value the reader would hand out for key, unless a key of that
    // name came earlier.
    void add(QStringView key, QStringView rawValue);

    // nullptr when the section has no such key.
    const QString* find(const QString& key) const;
    QString value(const QString& key, const QString& def = QString()) const;

    // How many distinct keys the section holds.
    qsizetype size() const { return values_.size(); }

private:
    QHash<QString, QString> values_; // by folded name
};
