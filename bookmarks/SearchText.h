#pragma once

#include <QString>
#include <QStringView>

struct BookmarkEntry;

// What the user typed in the find bar, folded once, tested against the
// texts the view shows: case and accents make no difference ("cafe" finds
// "Café", "STRAßE" finds "straße").
class SearchText final
{
public:
    explicit SearchText(const QString& typed = {});

    bool isEmpty() const { return folded_.isEmpty(); }
    const QString& folded() const { return folded_; }
    bool matches(QStringView text) const;
    // By the name the row shows, or for a link also by its link as the Link
    // column shows it (a password masked).
    bool matchesEntry(const BookmarkEntry& entry) const;

    // Compatibility-decomposed, without combining marks, case-folded.
    static QString fold(QStringView text);
    static void appendFolded(QStringView text, QString& out);
    // A link's address as the Link column shows it: a password masked.
    static QString linkAsShown(const BookmarkEntry& link);

private:
    QString folded_;
    bool asciiNeedle_ = true;
    // Where each text tested is folded; kept, so that a filter over a large
    // tree does not allocate once per entry.
    mutable QString scratch_;
};
