#include "DuplicatePlace.h"

#include "BookmarkNode.h"

#include <QStringList>

QString FolderBelowRoot(const BookmarkNode* link)
{
    QStringList folders;
    // The invisible root holds the root entry, which is the top, not a folder named.
    for (const BookmarkNode* folder = link->parent();
         folder && folder->parent() && folder->parent()->parent(); folder = folder->parent())
        folders.prepend(folder->entry.Name);
    return folders.join(u'/');
}

QString DuplicatePlace(const BookmarkNode* link, bool kept, bool asToolTip)
{
    const QString folder = FolderBelowRoot(link);
    const QString where =
        folder.isEmpty() ? QStringLiteral("at the top") : QStringLiteral("in ") + folder;
    if (!asToolTip)
        return kept ? where + QStringLiteral(", kept") : where;
    const QString fate = kept ? QStringLiteral("the copy \u201CSelect duplicates\u201D keeps")
                         : link->entry.OutsideFavorites
                             ? QStringLiteral("below a folder link, left out by \u201CSelect "
                                              "duplicates\u201D")
                             : QStringLiteral("\u201CSelect duplicates\u201D selects it");
    return where.at(0).toUpper() + where.mid(1) + QStringLiteral("; ") + fate + u'.';
}
