#include "LinkPassword.h"

namespace {

const QString AuthorityMark = QStringLiteral("://");

qsizetype authorityEnd(const QString& text, qsizetype start)
{
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'/' || c == u'?' || c == u'#')
            return i;
    }
    return text.size();
}

// Masks the password of the authority (user part, host, port) that begins
// at start; gives where that authority now ends.
qsizetype maskAuthority(QString& text, qsizetype start)
{
    const qsizetype end = authorityEnd(text, start);
    // The host follows the last '@': a password may hold one of its own.
    const qsizetype at = QStringView(text).left(end).lastIndexOf(u'@');
    if (at < start)
        return end;
    const qsizetype colon = text.indexOf(u':', start);
    if (colon < 0 || colon > at || colon + 1 == at)
        return end;
    text.replace(colon + 1, at - colon - 1, QStringLiteral("***"));
    return colon + 1 + 3;
}

// Where an authority stands before any "scheme://" does: a link may begin
// with "//host/"; a proxy address may begin with its user part.
qsizetype leadingAuthority(const QString& text, AddressForm form)
{
    if (form == AddressForm::Proxy)
        return text.contains(AuthorityMark) ? -1 : 0;
    const QString trimmed = text.trimmed();
    return trimmed.startsWith(QLatin1String("//")) ? text.indexOf(u'/') + 2 : -1;
}

} // namespace

QString MaskPassword(const QString& address, AddressForm form)
{
    QString shown = address;
    qsizetype from = 0;
    if (const qsizetype start = leadingAuthority(shown, form); start >= 0)
        from = maskAuthority(shown, start);
    // Every address inside the text, also one in another's path or query.
    for (qsizetype mark = shown.indexOf(AuthorityMark, from); mark >= 0;
         mark = shown.indexOf(AuthorityMark, from))
        from = maskAuthority(shown, mark + AuthorityMark.size());
    return shown;
}
