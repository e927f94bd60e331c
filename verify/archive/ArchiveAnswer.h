#pragma once

#include <QByteArray>
#include <QString>

// A snapshot of a page that the Internet Archive keeps.
struct ArchivedCopy
{
    QString url;       // where the snapshot is read
    QString timestamp; // when it was taken, YYYYMMDDhhmmss (UTC)
};

// What the archive said of one link.
struct ArchiveAnswer
{
    enum class Kind
    {
        Found,
        None,
        // No answer that can be read: the link is asked again next run.
        Failed,
    };
    Kind kind = Kind::Failed;
    ArchivedCopy copy; // when Found
    QString failure;   // when Failed, why
};

// The body of an answer of the availability service. Only a snapshot that
// says it is available, with an address, a timestamp and a 2xx status
// (a string) counts as found; an empty archived_snapshots (or a closest
// that is no good snapshot) is none; anything that is not that JSON is a
// failure.
ArchiveAnswer ParseArchiveAnswer(const QByteArray& body);
