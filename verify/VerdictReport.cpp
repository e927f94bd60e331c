#include "VerdictReport.h"

#include "EscapedText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

namespace {

QString verdictWord(const ProbeResult& result)
{
    switch (VerdictOf(result)) {
    case ProbeVerdict::Alive:
        return QStringLiteral("alive");
    case ProbeVerdict::Unchecked:
        return QStringLiteral("unchecked");
    case ProbeVerdict::Dead:
        break;
    }
    return QStringLiteral("dead");
}

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

QByteArray jsonLine(const QString& link, QByteArrayView path, const ProbeResult& result)
{
    QJsonObject object{
        {QStringLiteral("verdict"), verdictWord(result)},
        {QStringLiteral("reason"), ProbeReasonText(result)},
        {QStringLiteral("link"), link},
        {QStringLiteral("path"), EscapedPath(path)},
        {QStringLiteral("redirects"), int(result.redirects)},
        {QStringLiteral("finalAddress"), result.finalAddress},
        {QStringLiteral("ms"), result.elapsedMs},
    };
    // A transport failure has no status; null tells it from a real code.
    object.insert(QStringLiteral("status"), result.outcome == ProbeOutcome::Answered
                                                ? QJsonValue(int(result.statusCode))
                                                : QJsonValue());
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// Tabs and line breaks are control characters too, so no field can split
// the line or its columns.
QByteArray textLine(const QString& link, QByteArrayView path, const ProbeResult& result)
{
    const QStringList fields{verdictWord(result), TerminalText(ProbeReasonText(result)),
                             TerminalText(link), TerminalPath(path)};
    return (fields.join(u'\t') + u'\n').toUtf8();
}

} // namespace

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

QByteArray VerdictReport::header() const
{
    if (format_ != ReportFormat::Csv)
        return {};
    return csvRow({QStringLiteral("verdict"), QStringLiteral("reason"), QStringLiteral("link"),
                   QStringLiteral("path")})
        .toUtf8();
}

QByteArray VerdictReport::line(const QString& link, QByteArrayView path,
                               const ProbeResult& result) const
{
    switch (format_) {
    case ReportFormat::Csv:
        return csvRow({verdictWord(result), ProbeReasonText(result), link, EscapedPath(path)})
            .toUtf8();
    case ReportFormat::Json:
        return jsonLine(link, path, result);
    case ReportFormat::Text:
        break;
    }
    return textLine(link, path, result);
}
