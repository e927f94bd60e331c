#pragma once

#include "Verdict.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

struct BookmarkEntry;
struct KeptResult;

enum class ReportFormat
{
    Text,
    Csv,
    Json,
};

// "text", "csv" or "json"; nothing for any other name.
std::optional<ReportFormat> ReportFormatNamed(const QString& name);
// The format a report file gets by its name: JSON lines for ".json" (in any
// case), CSV for anything else.
ReportFormat ReportFormatOfFile(const std::filesystem::path& file);

// The shortcut's path from the folder; the full path for one reached
// through a link to a directory elsewhere.
std::string PathFromFolder(const std::string& path, const std::filesystem::path& folder);

// Writes the verdicts of a check as lines for a terminal or another program:
// text (verdict, reason, link and path between tabs), CSV after RFC 4180
// with a header row, or one compact JSON object per line, which adds what
// the answer was and how many requests it took. The verdict is one of the
// words of VerdictWord. Each line comes
// whole, so a reader never sees half a verdict. No line can act on the
// terminal or the spreadsheet it is read in, nor show its text reversed:
// text and CSV show control and bidirectional characters as TerminalText
// does, JSON as "\u" escapes, and a CSV field that a spreadsheet would take
// for a formula begins with a quote. A path is shown by EscapedPath in
// every format, so two shortcuts never print alike. With withChecked each
// line ends with when its verdict was made ("checked": UTC in ISO 8601,
// empty or null when unknown).
class VerdictReport final
{
public:
    // withArchived: each line says the archived copy kept for a dead link
    // ("archived": {"url", "timestamp"} or null in JSON, an "archived"
    // column of its address in CSV, a line under the link in text).
    explicit VerdictReport(ReportFormat format, bool withChecked = false, bool withArchived = false)
        : format_(format), withChecked_(withChecked), withArchived_(withArchived)
    {
    }

    // What comes before the first verdict; empty when nothing does.
    QByteArray header() const;
    // One verdict on the link of the shortcut at path (its bytes), line end
    // included.
    // kept: what the runs so far found out about the link, which JSON lines
    // carry as "deadRuns" and "lastAlive"; none leaves them out.
    QByteArray line(const QString& link, QByteArrayView path, const LinkVerdict& verdict,
                    const KeptResult* kept = nullptr, const QDateTime& checked = {}) const;
    // The line of a link of the tree read from folder: its path from there
    // (the full path for one outside it), its password masked.
    QByteArray entryLine(const BookmarkEntry& entry, const std::filesystem::path& folder,
                         const LinkVerdict& verdict, const KeptResult* kept = nullptr,
                         const QDateTime& checked = {}) const;

private:
    ReportFormat format_;
    bool withChecked_;
    bool withArchived_;
};
