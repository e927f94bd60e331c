#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The hosts of the parking and domain-sale services and the phrases that
// mark a parked page, a registrar's page for an expired domain or a "not
// found" title, from one list kept in pages/parking.txt. Phrases are held
// folded (FoldForMatching); in a parked or expired phrase, "{domain}" stands
// for a domain of the link.
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
    const QStringList& notFoundTitles() const { return notFoundTitles_; }
    const QStringList& expiredPhrases() const { return expiredPhrases_; }

private:
    QStringList parkingHosts_;
    QStringList parkedPhrases_;
    QStringList expiredPhrases_;
    QStringList notFoundTitles_;
};

// A host name as the lists compare it: lower case, without a trailing dot
// or a port.
QString NormalizedHost(QStringView host);
