#include "ArchiveAnswer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

constexpr qsizetype TimestampDigits = 14;

ArchiveAnswer failed(const QString& why)
{
    return {ArchiveAnswer::Kind::Failed, {}, why};
}

bool isSuccessStatus(const QJsonValue& status)
{
    const QString text = status.toString();
    return status.isString() && text.size() == 3 && text.startsWith(u'2') && text.at(1).isDigit() &&
           text.at(2).isDigit();
}

bool isTimestamp(const QString& text)
{
    return text.size() == TimestampDigits &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

} // namespace

ArchiveAnswer ParseArchiveAnswer(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return failed(QStringLiteral("the archive's answer is not JSON"));
    const QJsonValue snapshots = document.object().value(QStringLiteral("archived_snapshots"));
    if (!snapshots.isObject())
        return failed(QStringLiteral("the archive's answer has no archived_snapshots"));
    const QJsonValue closest = snapshots.toObject().value(QStringLiteral("closest"));
    if (closest.isUndefined() || closest.isNull())
        return {ArchiveAnswer::Kind::None, {}, {}};
    if (!closest.isObject())
        return failed(QStringLiteral("the archive's answer is out of shape"));
    const QJsonObject snapshot = closest.toObject();
    const QJsonValue url = snapshot.value(QStringLiteral("url"));
    const QJsonValue timestamp = snapshot.value(QStringLiteral("timestamp"));
    if (!url.isString() || !timestamp.isString() || !isTimestamp(timestamp.toString()))
        return failed(QStringLiteral("the archive's answer is out of shape"));
    const bool counts = snapshot.value(QStringLiteral("available")).toBool(false) &&
                        isSuccessStatus(snapshot.value(QStringLiteral("status"))) &&
                        !url.toString().isEmpty();
    if (!counts)
        return {ArchiveAnswer::Kind::None, {}, {}};
    return {ArchiveAnswer::Kind::Found, {url.toString(), timestamp.toString()}, {}};
}
