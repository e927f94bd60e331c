#include "VerdictReport.h"

#include "BookmarkEntry.h"
#include "EscapedText.h"
#include "LinkPassword.h"
#include "ResultsStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

namespace {

// A spreadsheet runs a cell that begins with one of these as a formula.
bool looksLikeFormula(const QString& field)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return !field.isEmpty() && starts.contains(field.front());
}

QString csvField(const QString& field)
{
    static const QString special = QStringLiteral(",\"\r\n");
    const QString text = looksLikeFormula(field) ? u'\'' + field : field;
    const bool quoted =
        std::any_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); });
    if (!quoted)
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString csvRow(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(u',') + QStringLiteral("\r\n");
}

// The archived copy kept for the link when its verdict is dead; none otherwise.
const KeptResult* archivedOf(const LinkVerdict& verdict, const KeptResult* kept)
{
    return verdict.judgement.verdict == Verdict::Dead && kept && !kept->archiveUrl.isEmpty()
               ? kept
               : nullptr;
}

QByteArray jsonLine(const QString& link, QByteArrayView path, const LinkVerdict& verdict,
                    const KeptResult* kept, const std::optional<QDateTime>& checked,
                    bool withArchived)
{
    const ProbeResult& result = verdict.result;
    QJsonObject object{
        {QStringLiteral("verdict"), VerdictWord(verdict.judgement.verdict)},
        {QStringLiteral("reason"), verdict.judgement.reason},
        {QStringLiteral("link"), link},
        {QStringLiteral("path"), EscapedPath(path)},
        {QStringLiteral("redirects"), int(result.redirects)},
        {QStringLiteral("permanent"), result.permanentRedirects},
        {QStringLiteral("finalAddress"), result.finalAddress},
        {QStringLiteral("ms"), result.elapsedMs},
        {QStringLiteral("attempts"), verdict.attempts},
    };
    // A transport failure has no status; null tells it from a real code.
    object.insert(QStringLiteral("status"), result.outcome == ProbeOutcome::Answered
                                                ? QJsonValue(int(result.statusCode))
                                                : QJsonValue());
    if (kept) {
        object.insert(QStringLiteral("deadRuns"), kept->deadRuns);
        object.insert(QStringLiteral("lastAlive"), TimeJson(kept->lastAlive));
    }
    if (checked)
        object.insert(QStringLiteral("checked"), TimeJson(*checked));
    if (withArchived) {
        const KeptResult* archived = archivedOf(verdict, kept);
        object.insert(QStringLiteral("archived"),
                      archived ? QJsonValue(QJsonObject{
                                     {QStringLiteral("url"), archived->archiveUrl},
                                     {QStringLiteral("timestamp"), archived->archiveTimestamp}})
                               : QJsonValue());
    }
    return TerminalJson(QJsonDocument(object).toJson(QJsonDocument::Compact)) + '\n';
}

// The columns of text and CSV. Tabs and line breaks are control characters
// too, so no field can split the line or its columns.
QStringList terminalFields(const QString& link, QByteArrayView path, const LinkVerdict& verdict,
                           const std::optional<QDateTime>& checked)
{
    QStringList fields{VerdictWord(verdict.judgement.verdict),
                       TerminalText(verdict.judgement.reason), TerminalText(link),
                       TerminalPath(path)};
    if (checked)
        fields << TimeJson(*checked).toString();
    return fields;
}

} // namespace

std::string PathFromFolder(const std::string& path, const std::filesystem::path& folder)
{
    const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..")
        return path;
    return relative.native();
}

std::optional<ReportFormat> ReportFormatNamed(const QString& name)
{
    if (name == QLatin1String("text"))
        return ReportFormat::Text;
    if (name == QLatin1String("csv"))
        return ReportFormat::Csv;
    if (name == QLatin1String("json"))
        return ReportFormat::Json;
    return std::nullopt;
}

ReportFormat ReportFormatOfFile(const std::filesystem::path& file)
{
    const QString extension = QString::fromStdString(file.extension().native());
    return extension.compare(QLatin1String(".json"), Qt::CaseInsensitive) == 0 ? ReportFormat::Json
                                                                               : ReportFormat::Csv;
}

QByteArray VerdictReport::header() const
{
    if (format_ != ReportFormat::Csv)
        return {};
    QStringList names{QStringLiteral("verdict"), QStringLiteral("reason"), QStringLiteral("link"),
                      QStringLiteral("path")};
    if (withChecked_)
        names << QStringLiteral("checked");
    if (withArchived_)
        names << QStringLiteral("archived");
    return csvRow(names).toUtf8();
}

QByteArray VerdictReport::line(const QString& link, QByteArrayView path, const LinkVerdict& verdict,
                               const KeptResult* kept, const QDateTime& checked) const
{
    const std::optional<QDateTime> when =
        withChecked_ ? std::optional<QDateTime>(checked) : std::nullopt;
    const KeptResult* archived = withArchived_ ? archivedOf(verdict, kept) : nullptr;
    QStringList fields = terminalFields(link, path, verdict, when);
    switch (format_) {
    case ReportFormat::Csv:
        if (withArchived_)
            fields << (archived ? TerminalText(archived->archiveUrl) : QString());
        return csvRow(fields).toUtf8();
    case ReportFormat::Json:
        return jsonLine(link, path, verdict, kept, when, withArchived_);
    case ReportFormat::Text:
        break;
    }
    QString text = fields.join(u'\t') + u'\n';
    // Under the link, indented, so that a reader of the columns can pass it by.
    if (archived)
        text += QStringLiteral("\t") + ArchivedCopyText(*archived) + QStringLiteral(": ") +
                TerminalText(archived->archiveUrl) + u'\n';
    return text.toUtf8();
}

QByteArray VerdictReport::entryLine(const BookmarkEntry& entry, const std::filesystem::path& folder,
                                    const LinkVerdict& verdict, const KeptResult* kept,
                                    const QDateTime& checked) const
{
    return line(MaskPassword(entry.Link), PathFromFolder(entry.Path, folder), verdict, kept,
                checked);
}
