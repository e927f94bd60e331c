#include "LinkPassword.h"

namespace {

constexpr QLatin1String AuthorityMark("://");
constexpr QLatin1String Hidden("***");

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
    text.replace(colon + 1, at - colon - 1, Hidden);
    return colon + 1 + Hidden.size();
}

} // namespace

QString MaskPassword(const QString& address, AddressForm form)
{
    QString shown = address;
    // A proxy address may begin with its user part.
    qsizetype from =
        form == AddressForm::Proxy && !shown.contains(AuthorityMark) ? maskAuthority(shown, 0) : 0;
    // Every address inside the text, also one in another's path or query.
    for (qsizetype mark = shown.indexOf(AuthorityMark, from); mark >= 0;
         mark = shown.indexOf(AuthorityMark, from))
        from = maskAuthority(shown, mark + AuthorityMark.size());
    return shown;
}
