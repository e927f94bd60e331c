#include "BrowserBookmarks.h"

#include "AtomicFile.h"
#include "BookmarkModel.h"
#include "EntryDates.h"

#include <vector>

namespace {

const QString Head =
    QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                   "<TITLE>Bookmarks</TITLE>\n"
                   "<H1>Bookmarks</H1>\n"
                   "<DL><p>\n");

QString escaped(QString text)
{
    text.replace(u'&', QLatin1String("&amp;"));
    text.replace(u'<', QLatin1String("&lt;"));
    text.replace(u'>', QLatin1String("&gt;"));
    text.replace(u'"', QLatin1String("&quot;"));
    text.replace(u'\'', QLatin1String("&#39;"));
    return text;
}

// A quote cannot stand in an address anyway; as %22 it means the same to
// the server and cannot end the attribute.
QString escapedLink(QString link)
{
    return escaped(link.replace(u'"', QLatin1String("%22")));
}

QString dateAttribute(const char* name, const std::optional<qint64>& seconds)
{
    return seconds ? QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name)).arg(*seconds)
                   : QString();
}

bool isToolbar(const BookmarkNode* node, const BookmarkNode* root)
{
    return node->parent() == root &&
           node->entry.Name.compare(QLatin1String("Links"), Qt::CaseInsensitive) == 0;
}

QString folderLine(const BookmarkNode* node, const BookmarkNode* root)
{
    const EntryDates dates = DatesOf(node->entry);
    return QStringLiteral("<DT><H3%1%2%3>%4</H3>\n")
        .arg(dateAttribute("ADD_DATE", dates.added), dateAttribute("LAST_MODIFIED", dates.modified),
             isToolbar(node, root) ? QStringLiteral(" PERSONAL_TOOLBAR_FOLDER=\"true\"")
                                   : QString(),
             escaped(node->entry.Name));
}

QString linkLine(const BookmarkEntry& entry)
{
    return QStringLiteral("<DT><A HREF=\"%1\"%2>%3</A>\n")
        .arg(escapedLink(entry.Link), dateAttribute("ADD_DATE", DatesOf(entry).added),
             escaped(entry.Title));
}

QString indent(size_t depth)
{
    return QString(qsizetype(4 * depth), u' ');
}

} // namespace

QByteArray BrowserBookmarksHtml(const BookmarkModel& tree, bool leaveOutDead)
{
    QString html = Head;
    BookmarkNode* root = tree.firstNode();
    // The folders whose list is open, innermost last; a walk, not recursion,
    // as a tree may be deeper than the stack allows.
    std::vector<const BookmarkNode*> open{root};
    const BookmarkNode* end = root ? root->nextAfterSubtree() : nullptr;
    for (BookmarkNode* node = root ? root->next() : nullptr; node != end; node = node->next()) {
        while (open.back() != node->parent()) {
            open.pop_back();
            html += indent(open.size()) + QStringLiteral("</DL><p>\n");
        }
        if (node->entry.IsFolder) {
            html += indent(open.size()) + folderLine(node, root);
            html += indent(open.size()) + QStringLiteral("<DL><p>\n");
            open.push_back(node);
        } else if (!(leaveOutDead && node->entry.Status == StatusDead)) {
            html += indent(open.size()) + linkLine(node->entry);
        }
    }
    while (open.size() > 1) {
        open.pop_back();
        html += indent(open.size()) + QStringLiteral("</DL><p>\n");
    }
    html += QStringLiteral("</DL><p>\n");
    return html.toUtf8();
}

bool SaveBrowserBookmarks(const BookmarkModel& tree, bool leaveOutDead,
                          const std::filesystem::path& file, QString* error)
{
    return WriteFileAtomically(file, BrowserBookmarksHtml(tree, leaveOutDead), error);
}
