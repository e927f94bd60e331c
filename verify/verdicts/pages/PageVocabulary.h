#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The hosts of the parking and domain-sale services and the phrases that
// mark a parked page or a registrar's page for an expired domain
// (pages/parking.txt), and those of a title or heading that says the page is
// not there, or that a search found nothing (pages/notfound.txt). Phrases are
// held folded (FoldForMatching); in a parked or expired phrase, "{domain}"
// stands for a domain of the link.
class PageVocabulary final
{
public:
    // The list compiled into the program, read once (safe from any thread).
    static const PageVocabulary& builtIn();

    // Reads the list format: a "[section]" line, then one item a line;
    // blank lines and lines starting with "#" are skipped.
    static PageVocabulary parse(QStringView text);

    // Whether host is one of the services' hosts or below one of them.
    bool isParkingHost(QStringView host) const;
    const QStringList& parkedPhrases() const { return parkedPhrases_; }
    const QStringList& notFoundPhrases() const { return notFoundPhrases_; }
    const QStringList& nothingFoundPhrases() const { return nothingFoundPhrases_; }
    const QStringList& expiredPhrases() const { return expiredPhrases_; }

private:
    QStringList parkingHosts_;
    QStringList parkedPhrases_;
    QStringList expiredPhrases_;
    QStringList notFoundPhrases_;
    QStringList nothingFoundPhrases_;
};

// A host name as the lists compare it: lower case, without a trailing dot
// or a port.
QString NormalizedHost(QStringView host);
