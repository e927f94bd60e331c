#include "PageVocabulary.h"

#include "PhraseMatch.h"

#include <QFile>

// The list lives in a static library, where nothing would pull in its
// registration unless it is named.
static void registerPageLists()
{
    Q_INIT_RESOURCE(pages);
}

const PageVocabulary& PageVocabulary::builtIn()
{
    static const PageVocabulary vocabulary = [] {
        registerPageLists();
        // Compiled in, so they cannot be missing; were one, pages would
        // simply go unjudged by it.
        QString lists;
        for (const char* name : {":/pages/parking.txt", ":/pages/notfound.txt"}) {
            QFile file(QString::fromLatin1(name));
            if (file.open(QIODevice::ReadOnly))
                lists += QString::fromUtf8(file.readAll()) + u'\n';
        }
        return parse(lists);
    }();
    return vocabulary;
}

PageVocabulary PageVocabulary::parse(QStringView text)
{
    PageVocabulary vocabulary;
    QStringList* items = nullptr;
    for (QStringView line : text.tokenize(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QStringView section = line.sliced(1, line.size() - 2).trimmed();
            if (section == u"parking hosts")
                items = &vocabulary.parkingHosts_;
            else if (section == u"parked phrases")
                items = &vocabulary.parkedPhrases_;
            else if (section == u"not found phrases")
                items = &vocabulary.notFoundPhrases_;
            else if (section == u"nothing found phrases")
                items = &vocabulary.nothingFoundPhrases_;
            else if (section == u"expired phrases")
                items = &vocabulary.expiredPhrases_;
            else
                items = nullptr;
            continue;
        }
        if (items == &vocabulary.parkingHosts_)
            items->append(NormalizedHost(line));
        else if (items)
            items->append(FoldForMatching(line).trimmed());
    }
    return vocabulary;
}

bool PageVocabulary::isParkingHost(QStringView host) const
{
    const QString name = NormalizedHost(host);
    for (const QString& parking : parkingHosts_) {
        if (name == parking ||
            (name.endsWith(parking) && name[name.size() - parking.size() - 1] == u'.'))
            return true;
    }
    return false;
}

QString NormalizedHost(QStringView host)
{
    host = host.trimmed();
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon >= 0 && host.indexOf(u':') == colon) // not an IPv6 address
        host = host.first(colon);
    if (host.endsWith(u'.'))
        host.chop(1);
    return host.toString().toLower();
}
