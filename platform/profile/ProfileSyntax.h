#pragma once

#include <QString>
#include <QStringView>

// The line grammar of private-profile files, shared by the one-shot reader
// and the editable ProfileFile so both read a file the same way.

// Values are cut to this many characters, as the Windows reader does.
inline constexpr int ProfileValueBound = 2047;

// Tab, LF, VT, FF, CR, Ctrl-Z and space: what the Windows reader trims.
bool IsProfileBlank(QChar c);
QStringView TrimProfileBlanks(QStringView text);

struct ProfileLine
{
    enum Kind
    {
        Blank,  // nothing but blanks
        Header, // "[name]..."; text after the last ']' is ignored
        Key,    // "name=value"
        Other,  // text without '=': neither a key nor the end of a section
    };
    Kind kind = Blank;
    QStringView name;  // section name (Header) or key name (Key), trimmed
    QStringView value; // Key: the text after the first '=', trimmed, quotes kept
};

ProfileLine ParseProfileLine(QStringView line);

// The value as the reader hands it out: UnquoteProfileValue, then
// BoundProfileValue.
QString ProfileValueText(QStringView value);
// One pair of enclosing quotes removed (same ' or " at both ends, at least
// two characters).
QStringView UnquoteProfileValue(QStringView value);
// Cut to ProfileValueBound without splitting a surrogate pair.
QStringView BoundProfileValue(QStringView value);

// Section and key names match without regard to case.
bool SameProfileName(QStringView a, QStringView b);
// The one spelling of a name that every spelling SameProfileName matches
// shares, so names can be looked up in a hash.
QString FoldProfileName(QStringView name);
