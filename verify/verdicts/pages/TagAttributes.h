#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The attributes of one start tag, taken a character at a time as the
// scanner meets them, names in lower case and values as written (character
// references left in). Bounded, as the page is not trusted: a few names,
// and values no longer than a link is likely to be.
class TagAttributes final
{
public:
    // Forgets the last tag's; record: whether this tag's are worth keeping.
    void begin(bool record);
    void addToName(QChar c);
    void addToValue(QChar c);
    // The name and value taken so far make an attribute; a repeated name
    // keeps its first value, as in a browser.
    void endAttribute();
    bool nameBegun() const { return !name_.isEmpty(); }

    std::optional<QString> value(QStringView name) const;

private:
    struct Attribute
    {
        QString name;
        QString value;
    };

    QList<Attribute> kept_;
    QString name_;
    QString value_;
    bool record_ = false;
    bool valueCut_ = false; // a value past the bound is dropped, not cut
};
