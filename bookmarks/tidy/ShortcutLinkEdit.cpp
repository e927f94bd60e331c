#include "ShortcutLinkEdit.h"

#include "ProfileFile.h"
#include "TextCodec.h"
#include "Utf7.h"

namespace {

// No code page: ASCII only.
bool codePageHolds(QStringView character, std::optional<int> codePage)
{
    if (character[0].unicode() < 0x80)
        return true;
    return codePage && DecodeCodePage(EncodeCodePage(character, *codePage), *codePage) == character;
}

QString inCodePage(QStringView link, std::optional<int> codePage)
{
    QString out;
    for (qsizetype at = 0; at < link.size();) {
        const qsizetype size = link[at].isHighSurrogate() && at + 1 < link.size() ? 2 : 1;
        const QStringView character = link.sliced(at, size);
        at += size;
        if (codePageHolds(character, codePage)) {
            out += character;
            continue;
        }
        for (const char byte : character.toUtf8())
            out += u'%' + QString::number(uchar(byte), 16).toUpper().rightJustified(2, u'0');
    }
    return out;
}

// A file without a byte order mark is 8-bit to Windows even where its
// bytes happen to be valid UTF-8 (plain ASCII, most often), so only an 8-bit
// file's own code page or ASCII goes into it.
QString eightBitLink(const QByteArray& bytes, const QString& link)
{
    switch (DetectEncoding(bytes)) {
    case TextEncoding::Ansi:
        return inCodePage(link, AnsiCodePage());
    case TextEncoding::Utf8:
        return inCodePage(link, std::nullopt);
    default:
        return link;
    }
}

} // namespace

std::optional<QByteArray> WithShortcutLink(const QByteArray& bytes, const QString& link)
{
    const QString eightBit = eightBitLink(bytes, link);
    const std::pair<const char16_t*, QString> values[] = {
        {u"InternetShortcut", eightBit},
        {u"InternetShortcut.A", eightBit},
        {u"InternetShortcut.W", EncodeUtf7(link)},
    };
    ProfileFile profile{std::filesystem::path()};
    profile.loadFromBytes(bytes);
    bool found = false;
    for (const auto& [section, value] : values) {
        const QString name = QString::fromUtf16(section);
        if (!profile.section(name).find(QStringLiteral("URL")))
            continue;
        profile.setValue(name, QStringLiteral("URL"), value);
        found = true;
    }
    if (!found)
        return std::nullopt;
    return profile.toBytes();
}
