#include "ProbeResult.h"

#include <QHash>

namespace {

QString seconds(qint32 milliseconds)
{
    return QString::number(milliseconds / 1000.0) + QStringLiteral(" s");
}

QString answerText(const ProbeResult& result)
{
    QString text = QString::number(result.statusCode);
    const QString phrase =
        result.detail.isEmpty() ? StandardReasonPhrase(result.statusCode) : result.detail;
    if (!phrase.isEmpty())
        text += u' ' + phrase;
    if (!result.finalAddress.isEmpty() && !result.movedByPage)
        text += QStringLiteral(", to ") + result.finalAddress;
    return text;
}

// The kind alone says little here, so libcurl's own words follow it.
QString withMessage(const QString& kind, const QString& message)
{
    return message.isEmpty() ? kind : kind + QStringLiteral(": ") + message;
}

} // namespace

QString StandardReasonPhrase(int statusCode)
{
    static const QHash<int, QString> phrases = {
        {100, QStringLiteral("Continue")},
        {101, QStringLiteral("Switching Protocols")},
        {200, QStringLiteral("OK")},
        {201, QStringLiteral("Created")},
        {202, QStringLiteral("Accepted")},
        {203, QStringLiteral("Non-Authoritative Information")},
        {204, QStringLiteral("No Content")},
        {205, QStringLiteral("Reset Content")},
        {206, QStringLiteral("Partial Content")},
        {300, QStringLiteral("Multiple Choices")},
        {301, QStringLiteral("Moved Permanently")},
        {302, QStringLiteral("Found")},
        {303, QStringLiteral("See Other")},
        {304, QStringLiteral("Not Modified")},
        {307, QStringLiteral("Temporary Redirect")},
        {308, QStringLiteral("Permanent Redirect")},
        {400, QStringLiteral("Bad Request")},
        {401, QStringLiteral("Unauthorized")},
        {402, QStringLiteral("Payment Required")},
        {403, QStringLiteral("Forbidden")},
        {404, QStringLiteral("Not Found")},
        {405, QStringLiteral("Method Not Allowed")},
        {406, QStringLiteral("Not Acceptable")},
        {407, QStringLiteral("Proxy Authentication Required")},
        {408, QStringLiteral("Request Timeout")},
        {409, QStringLiteral("Conflict")},
        {410, QStringLiteral("Gone")},
        {411, QStringLiteral("Length Required")},
        {412, QStringLiteral("Precondition Failed")},
        {413, QStringLiteral("Content Too Large")},
        {414, QStringLiteral("URI Too Long")},
        {415, QStringLiteral("Unsupported Media Type")},
        {416, QStringLiteral("Range Not Satisfiable")},
        {417, QStringLiteral("Expectation Failed")},
        {421, QStringLiteral("Misdirected Request")},
        {422, QStringLiteral("Unprocessable Content")},
        {425, QStringLiteral("Too Early")},
        {426, QStringLiteral("Upgrade Required")},
        {428, QStringLiteral("Precondition Required")},
        {429, QStringLiteral("Too Many Requests")},
        {431, QStringLiteral("Request Header Fields Too Large")},
        {451, QStringLiteral("Unavailable For Legal Reasons")},
        {500, QStringLiteral("Internal Server Error")},
        {501, QStringLiteral("Not Implemented")},
        {502, QStringLiteral("Bad Gateway")},
        {503, QStringLiteral("Service Unavailable")},
        {504, QStringLiteral("Gateway Timeout")},
        {505, QStringLiteral("HTTP Version Not Supported")},
        {511, QStringLiteral("Network Authentication Required")},
    };
    return phrases.value(statusCode);
}

namespace {

QString outcomeText(const ProbeResult& result)
{
    switch (result.outcome) {
    case ProbeOutcome::Answered:
        return answerText(result);
    case ProbeOutcome::NameNotResolved:
        return QStringLiteral("name not resolved");
    case ProbeOutcome::ConnectionRefused:
        return QStringLiteral("connection refused");
    case ProbeOutcome::ConnectTimeout:
        return QStringLiteral("no connection within ") + seconds(result.boundMs);
    case ProbeOutcome::NoDataTimeout:
        return QStringLiteral("no answer within ") + seconds(result.boundMs);
    case ProbeOutcome::OverallTimeout:
        return QStringLiteral("not done within ") + seconds(result.boundMs);
    case ProbeOutcome::TlsFailure:
        return withMessage(QStringLiteral("TLS failure"), result.detail);
    case ProbeOutcome::TooManyRedirects:
        return QStringLiteral("too many redirects");
    case ProbeOutcome::SchemeNotAllowed:
        return QStringLiteral("scheme not allowed");
    case ProbeOutcome::MalformedLink:
        return QStringLiteral("malformed link");
    case ProbeOutcome::ProxyRefused:
        return QStringLiteral("proxy failure: connection refused");
    case ProbeOutcome::ProxyNameNotResolved:
        return QStringLiteral("proxy failure: name not resolved");
    case ProbeOutcome::ProxyError:
        return withMessage(QStringLiteral("proxy failure"), result.detail);
    case ProbeOutcome::Cancelled:
        return QStringLiteral("cancelled");
    case ProbeOutcome::CutHead:
        return QStringLiteral("answer cut off inside its head");
    case ProbeOutcome::OutOfFiles:
        return QStringLiteral("out of open files");
    case ProbeOutcome::HeadTooLarge:
        return QStringLiteral("answer head too large");
    case ProbeOutcome::MalformedRedirect:
        return QStringLiteral("the server sent a malformed redirect");
    case ProbeOutcome::OtherFailure:
        break;
    }
    return withMessage(QStringLiteral("failure"), result.detail);
}

} // namespace

QString ProbeReasonText(const ProbeResult& result)
{
    if (!result.movedByPage)
        return outcomeText(result);
    const QString moved =
        QStringLiteral("200 OK, then the page moved the browser to ") + result.finalAddress;
    if (result.outcome == ProbeOutcome::Answered && result.statusCode == 200)
        return moved;
    return moved + QStringLiteral(": ") + outcomeText(result);
}
