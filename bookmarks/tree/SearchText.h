#pragma once

#include <QString>
#include <QStringView>

struct BookmarkEntry;

// What the user typed in the find bar, folded once as the texts searched
// are (SearchIndex), so that case and accents make no difference ("cafe"
// finds "Café", "STRAßE" finds "straße").
class SearchText final
{
public:
    explicit SearchText(const QString& typed = {});

    bool isEmpty() const { return folded_.isEmpty(); }
    const QString& folded() const { return folded_; }

    // Compatibility-decomposed, without combining marks, case-folded.
    static QString fold(QStringView text);
    static void appendFolded(QStringView text, QString& out);
    // A link's address as the Link column shows it: a password masked.
    static QString linkAsShown(const BookmarkEntry& link);

private:
    QString folded_;
};
