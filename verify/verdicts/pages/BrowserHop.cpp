#include "BrowserHop.h"

#include "HtmlEntity.h"

#include <algorithm>

namespace {

constexpr int LatestRefreshSeconds = 10;

bool asciiBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool asciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads a piece of text from the front, as the parsers below need it.
class Cursor final
{
public:
    explicit Cursor(QStringView text) : text_(text) {}

    bool atEnd() const { return text_.isEmpty(); }
    QChar next() const { return text_.isEmpty() ? QChar() : text_.front(); }
    QStringView rest() const { return text_; }
    void skip(qsizetype count = 1) { text_ = text_.sliced(std::min(count, text_.size())); }

    template <typename Test> qsizetype skipWhile(Test test)
    {
        qsizetype skipped = 0;
        while (!text_.isEmpty() && test(text_.front())) {
            text_ = text_.sliced(1);
            ++skipped;
        }
        return skipped;
    }

    void skipBlanks() { skipWhile(asciiBlank); }

    // Takes word when the text goes on with it.
    bool take(QStringView word, Qt::CaseSensitivity letterCase = Qt::CaseSensitive)
    {
        if (!text_.startsWith(word, letterCase))
            return false;
        text_ = text_.sliced(word.size());
        return true;
    }

    // As take, blanks before the word skipped.
    bool token(QStringView word)
    {
        skipBlanks();
        return take(word);
    }

private:
    QStringView text_;
};

QString withReferencesDecoded(QStringView text)
{
    QString decoded;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != u'&') {
            decoded += text[at];
            continue;
        }
        qsizetype end = at + 1;
        while (end < text.size() && (text[end].isLetterOrNumber() || text[end] == u'#') &&
               text[end].unicode() < 0x80)
            ++end;
        const std::optional<QString> character =
            DecodeHtmlEntity(text.sliced(at + 1, end - at - 1));
        if (!character) {
            decoded += u'&';
            continue;
        }
        decoded += *character;
        at = end < text.size() && text[end] == u';' ? end : end - 1;
    }
    return decoded;
}

// A quoted JavaScript string with no escapes but those an address needs;
// a template literal only without substitutions.
std::optional<QString> stringLiteral(Cursor& cursor)
{
    cursor.skipBlanks();
    const QChar quote = cursor.next();
    if (quote != u'"' && quote != u'\'' && quote != u'`')
        return std::nullopt;
    cursor.skip();
    QString text;
    while (!cursor.atEnd() && cursor.next() != quote) {
        QChar c = cursor.next();
        cursor.skip();
        if (c == u'\n' || (quote == u'`' && c == u'$'))
            return std::nullopt;
        if (c == u'\\') {
            c = cursor.next();
            cursor.skip();
            if (c != u'/' && c != u'\\' && c != u'"' && c != u'\'')
                return std::nullopt;
        }
        text += c;
    }
    if (cursor.atEnd())
        return std::nullopt;
    cursor.skip();
    return text;
}

// "window.", "document.", "top." or "self." before "location", or none.
void skipOwner(Cursor& cursor)
{
    cursor.skipBlanks();
    for (const QStringView owner : {u"window.", u"document.", u"top.", u"self."}) {
        if (cursor.take(owner))
            return;
    }
}

// What follows "location": "= '...'", ".href = '...'", ".replace('...')"
// or ".assign('...')".
std::optional<QString> locationTarget(Cursor& cursor)
{
    if (cursor.token(u".")) {
        cursor.skipBlanks();
        if (cursor.take(u"href"))
            return cursor.token(u"=") ? stringLiteral(cursor) : std::nullopt;
        if (!cursor.take(u"replace") && !cursor.take(u"assign"))
            return std::nullopt;
        if (!cursor.token(u"("))
            return std::nullopt;
        std::optional<QString> target = stringLiteral(cursor);
        return cursor.token(u")") ? target : std::nullopt;
    }
    // "==" compares; only a lone "=" sets.
    if (!cursor.token(u"=") || cursor.next() == u'=')
        return std::nullopt;
    return stringLiteral(cursor);
}

// An old page hides its script from browsers that know none in a comment.
QStringView withoutCommentMarks(QStringView script)
{
    script = script.trimmed();
    if (script.startsWith(u"<!--"))
        script = script.sliced(4).trimmed();
    for (const QStringView end : {u"//-->", u"-->"}) {
        if (script.endsWith(end)) {
            script.chop(end.size());
            break;
        }
    }
    return script.trimmed();
}

} // namespace

std::optional<QString> RefreshTarget(QStringView content)
{
    const QString decoded = withReferencesDecoded(content);
    Cursor cursor(decoded);
    cursor.skipBlanks();
    int seconds = 0;
    qsizetype digits = 0;
    while (asciiDigit(cursor.next())) {
        seconds = std::min(seconds * 10 + (cursor.next().unicode() - u'0'), 100000);
        cursor.skip();
        ++digits;
    }
    if (digits == 0 && cursor.next() != u'.')
        return std::nullopt;
    cursor.skipWhile([](QChar c) { return asciiDigit(c) || c == u'.'; });
    if (seconds > LatestRefreshSeconds || cursor.atEnd())
        return std::nullopt;
    if (!asciiBlank(cursor.next()) && cursor.next() != u';' && cursor.next() != u',')
        return std::nullopt;
    cursor.skipBlanks();
    if (cursor.next() == u';' || cursor.next() == u',')
        cursor.skip();
    cursor.skipBlanks();
    // "url=" may be left out; "url" with no "=" after it is the address.
    Cursor named = cursor;
    if (named.take(u"url", Qt::CaseInsensitive) && named.token(u"=")) {
        named.skipBlanks();
        cursor = named;
    }
    QStringView target = cursor.rest();
    const QChar quote = cursor.next();
    if (quote == u'"' || quote == u'\'') {
        target = target.sliced(1);
        const qsizetype end = target.indexOf(quote);
        if (end >= 0)
            target = target.first(end);
    }
    target = target.trimmed();
    if (target.isEmpty())
        return std::nullopt;
    return target.toString();
}

std::optional<QString> ScriptTarget(QStringView script)
{
    Cursor cursor(withoutCommentMarks(script));
    skipOwner(cursor);
    if (!cursor.take(u"location"))
        return std::nullopt;
    const std::optional<QString> target = locationTarget(cursor);
    cursor.token(u";");
    cursor.skipBlanks();
    if (!target || !cursor.atEnd() || target->trimmed().isEmpty())
        return std::nullopt;
    return target;
}
