#include "VerdictReport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

namespace {

QString verdictWord(const ProbeResult& result)
{
    return result.alive ? QStringLiteral("alive") : QStringLiteral("dead");
}

// A tab or line break inside a field would split the line or its columns.
QString textField(QString field)
{
    for (QChar& c : field) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return field;
}

QString csvField(const QString& field)
{
    static const QString special = QStringLiteral(",\"\r\n");
    const bool quoted =
        std::any_of(field.begin(), field.end(), [](QChar c) { return special.contains(c); });
    if (!quoted)
        return field;
    return u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString csvRow(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QByteArray jsonLine(const QString& link, const QString& path, const ProbeResult& result)
{
    QJsonObject object{
        {QStringLiteral("verdict"), verdictWord(result)},
        {QStringLiteral("reason"), ProbeReasonText(result)},
        {QStringLiteral("link"), link},
        {QStringLiteral("path"), path},
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

QByteArray VerdictReport::line(const QString& link, const QString& path,
                               const ProbeResult& result) const
{
    const QStringList fields{verdictWord(result), ProbeReasonText(result), link, path};
    switch (format_) {
    case ReportFormat::Csv:
        return csvRow(fields).toUtf8();
    case ReportFormat::Json:
        return jsonLine(link, path, result);
    case ReportFormat::Text:
        break;
    }
    QStringList cleaned;
    for (const QString& field : fields)
        cleaned << textField(field);
    return (cleaned.join(u'\t') + u'\n').toUtf8();
}
