#include "HtmlEntity.h"

#include <array>

namespace {

struct Named
{
    const char16_t* name;
    char16_t text;
};

constexpr std::array<Named, 33> NamedCharacters{{
    {u"amp", u'&'},         {u"lt", u'<'},         {u"gt", u'>'},          {u"quot", u'"'},
    {u"apos", u'\''},       {u"nbsp", u'\u00A0'},  {u"shy", u'\u00AD'},    {u"laquo", u'\u00AB'},
    {u"raquo", u'\u00BB'},  {u"lsquo", u'\u2018'}, {u"rsquo", u'\u2019'},  {u"ldquo", u'\u201C'},
    {u"rdquo", u'\u201D'},  {u"bdquo", u'\u201E'}, {u"ndash", u'\u2013'},  {u"mdash", u'\u2014'},
    {u"hellip", u'\u2026'}, {u"bull", u'\u2022'},  {u"middot", u'\u00B7'}, {u"copy", u'\u00A9'},
    {u"reg", u'\u00AE'},    {u"trade", u'\u2122'}, {u"euro", u'\u20AC'},   {u"times", u'\u00D7'},
    {u"szlig", u'\u00DF'},  {u"AElig", u'\u00C6'}, {u"aelig", u'\u00E6'},  {u"OElig", u'\u0152'},
    {u"oelig", u'\u0153'},  {u"ETH", u'\u00D0'},   {u"eth", u'\u00F0'},    {u"THORN", u'\u00DE'},
    {u"thorn", u'\u00FE'},
}};

// "eacute" is "e" with U+0301: the accented letters are named by letter and
// mark, so they are composed rather than listed one by one.
struct Accent
{
    const char16_t* suffix;
    char16_t mark;
};

constexpr std::array<Accent, 9> Accents{{
    {u"grave", u'\u0300'},
    {u"acute", u'\u0301'},
    {u"circ", u'\u0302'},
    {u"tilde", u'\u0303'},
    {u"uml", u'\u0308'},
    {u"ring", u'\u030A'},
    {u"caron", u'\u030C'},
    {u"cedil", u'\u0327'},
    {u"ogon", u'\u0328'},
}};

std::optional<QString> numeric(QStringView digits)
{
    int base = 10;
    if (digits.startsWith(u'x') || digits.startsWith(u'X')) {
        base = 16;
        digits = digits.sliced(1);
    }
    bool ok = false;
    const qulonglong value = digits.size() <= 8 ? digits.toULongLong(&ok, base) : 0;
    if (!ok)
        return std::nullopt;
    const char32_t code = char32_t(value);
    const bool valid = value > 0 && value <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    const char32_t character = valid ? code : char32_t(QChar::ReplacementCharacter);
    return QString::fromUcs4(&character, 1);
}

std::optional<QString> accented(QStringView name)
{
    if (name.size() < 2 || !name.front().isLetter() || name.front().unicode() > 0x7F)
        return std::nullopt;
    for (const Accent& accent : Accents) {
        if (name.sliced(1) == QStringView(accent.suffix)) {
            const QChar parts[] = {name.front(), QChar(accent.mark)};
            return QString(parts, 2).normalized(QString::NormalizationForm_C);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> DecodeHtmlEntity(QStringView name)
{
    if (name.startsWith(u'#'))
        return numeric(name.sliced(1));
    for (const Named& named : NamedCharacters) {
        if (name == QStringView(named.name))
            return QString(QChar(named.text));
    }
    return accented(name);
}
