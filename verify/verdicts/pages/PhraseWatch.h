#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Watches folded text that arrives in pieces for any of a set of folded
// phrases, standing whole (see FindWholePhrase), also across the pieces'
// seams. Keeps only the tail that a phrase begun in it could still need.
class PhraseWatch final
{
public:
    explicit PhraseWatch(QStringList phrases);

    void append(QStringView folded);
    bool found() const { return found_; }
    const QStringList& phrases() const { return phrases_; }
    // Found, counting a phrase that the text ends with.
    bool foundAtEnd() const;

private:
    bool search(bool textEnds) const;

    QStringList phrases_;
    QString tail_;
    qsizetype keep_ = 1;
    bool dropped_ = false; // text before the tail has been let go
    bool found_ = false;
};
