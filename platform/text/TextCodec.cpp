#include "TextCodec.h"

#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <string_view>

namespace {

const iconv_t NoIconv = reinterpret_cast<iconv_t>(-1);

// QString's own storage order, so iconv can work on it in place.
constexpr bool HostLittleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
const char* const HostUtf16 = HostLittleEndian ? "UTF-16LE" : "UTF-16BE";

// iconv_open loads a converter module on every call, which is too slow for
// a Favorites folder full of 8-bit files; each thread keeps its last handle.
// thread_local keeps the functions safe to call from any thread.
class IconvCache final
{
public:
    IconvCache() = default;
    IconvCache(const IconvCache&) = delete;
    IconvCache& operator=(const IconvCache&) = delete;
    ~IconvCache() { close(); }

    iconv_t handle(int codePage, bool toUnicode)
    {
        if (handle_ != NoIconv && codePage_ == codePage)
            return resetState();
        close();
        const QByteArray name = "CP" + QByteArray::number(codePage);
        handle_ = toUnicode ? iconv_open(HostUtf16, name.constData())
                            : iconv_open(name.constData(), HostUtf16);
        codePage_ = codePage;
        return handle_;
    }

private:
    iconv_t resetState()
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        return handle_;
    }
    void close()
    {
        if (handle_ != NoIconv)
            iconv_close(handle_);
        handle_ = NoIconv;
    }

    iconv_t handle_ = NoIconv;
    int codePage_ = 0;
};

thread_local IconvCache decoders;
thread_local IconvCache encoders;

// Runs iconv over the whole input into a growing buffer of units
// (QChar or char). A sequence iconv refuses becomes one stand-in unit;
// badLength says how many input bytes that stand-in covers.
template <typename Buffer, typename Unit, typename BadLength>
qsizetype convertAll(iconv_t cd, QByteArrayView input, Buffer& out, Unit standIn,
                     BadLength badLength)
{
    constexpr qsizetype unitBytes = sizeof(Unit);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = size_t(input.size());
    qsizetype used = 0; // bytes written so far
    auto makeRoom = [&](qsizetype bytes) {
        const qsizetype capacity = out.size() * unitBytes;
        if (capacity - used < bytes)
            out.resize((capacity + bytes) * 2 / unitBytes + 8);
    };
    for (;;) {
        makeRoom(16);
        char* outPtr = reinterpret_cast<char*>(out.data()) + used;
        size_t outLeft = size_t(out.size() * unitBytes - used);
        const bool flushing = inLeft == 0;
        const size_t result = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                       : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        used = outPtr - reinterpret_cast<char*>(out.data());
        if (result != size_t(-1)) {
            if (flushing)
                break;
            continue;
        }
        if (errno == E2BIG) {
            makeRoom(out.size() * unitBytes - used + 16);
            continue;
        }
        if (flushing)
            break; // a dangling shift state: nothing sensible left to write
        makeRoom(unitBytes);
        out[used / unitBytes] = standIn;
        used += unitBytes;
        const qsizetype skipped = std::min<qsizetype>(badLength(in, inLeft), qsizetype(inLeft));
        in += skipped;
        inLeft -= size_t(skipped);
    }
    return used / unitBytes;
}

char16_t readUnit(const char* p, bool littleEndian)
{
    return littleEndian ? qFromLittleEndian<char16_t>(p) : qFromBigEndian<char16_t>(p);
}

QString decodeUtf16(QByteArrayView bytes, bool littleEndian)
{
    const qsizetype units = bytes.size() / 2;
    const bool oddByte = bytes.size() % 2 != 0;
    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < units; ++i)
        out[i] = readUnit(bytes.data() + 2 * i, littleEndian);
    if (oddByte)
        out[units] = QChar::ReplacementCharacter;
    return text;
}

QByteArray encodeUtf16(QStringView text, bool littleEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        if (littleEndian)
            qToLittleEndian<char16_t>(c.unicode(), out);
        else
            qToBigEndian<char16_t>(c.unicode(), out);
        out += 2;
    }
    return bytes;
}

struct Bom
{
    TextEncoding encoding;
    std::string_view bytes;
};

const Bom Boms[] = {
    {TextEncoding::Utf8Bom, "\xEF\xBB\xBF"},
    {TextEncoding::Utf16LE, "\xFF\xFE"},
    {TextEncoding::Utf16BE, "\xFE\xFF"},
};

const Bom* findBom(QByteArrayView bytes)
{
    for (const Bom& bom : Boms) {
        if (bytes.startsWith(QByteArrayView(bom.bytes.data(), qsizetype(bom.bytes.size()))))
            return &bom;
    }
    return nullptr;
}

QByteArrayView localeName()
{
    // An empty variable counts as unset, as setlocale() treats it.
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return QByteArrayView(value);
    }
    return {};
}

} // namespace

int AnsiCodePageForLocale(const QByteArray& localeName)
{
    // "ll_CC.charset@modifier": only the language and the country matter.
    const auto upTo = [](QByteArrayView text, const char* stops) {
        qsizetype end = 0;
        while (end < text.size() && !std::strchr(stops, text[end]))
            ++end;
        return text.first(end).toByteArray();
    };
    const QByteArray language = upTo(localeName, "_.@").toLower();
    QByteArray country;
    if (language.size() < localeName.size() && localeName[language.size()] == '_')
        country = upTo(QByteArrayView(localeName).sliced(language.size() + 1), ".@").toUpper();

    struct LanguageCodePage
    {
        const char* language;
        int codePage;
    };
    static const LanguageCodePage table[] = {
        {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"be", 1251}, {"sr", 1251}, {"mk", 1251},
        {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"sl", 1250}, {"hr", 1250},
        {"ro", 1250}, {"sq", 1250}, {"bs", 1250}, {"el", 1253}, {"tr", 1254}, {"az", 1254},
        {"he", 1255}, {"iw", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"et", 1257},
        {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
    };
    for (const LanguageCodePage& entry : table) {
        if (language == entry.language)
            return entry.codePage;
    }
    if (language == "zh")
        return (country == "TW" || country == "HK" || country == "MO") ? 950 : 936;
    return 1252;
}

int AnsiCodePage()
{
    return AnsiCodePageForLocale(localeName().toByteArray());
}

QString DecodeCodePage(QByteArrayView bytes, int codePage)
{
    if (bytes.isEmpty())
        return QString();
    const iconv_t cd = decoders.handle(codePage, true);
    if (cd == NoIconv)
        return QString::fromLatin1(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    const qsizetype units = convertAll(cd, bytes, text, QChar(QChar::ReplacementCharacter),
                                       [](const char*, size_t) { return qsizetype(1); });
    text.truncate(units);
    return text;
}

QByteArray EncodeCodePage(QStringView text, int codePage)
{
    if (text.isEmpty())
        return QByteArray();
    const iconv_t cd = encoders.handle(codePage, false);
    if (cd == NoIconv)
        return text.toLatin1();
    const QByteArrayView input(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    const qsizetype size = convertAll(cd, input, bytes, '?', [](const char* in, size_t inLeft) {
        // A character outside the BMP is one '?', as Windows writes it.
        const bool pair = inLeft >= 4 && QChar::isHighSurrogate(readUnit(in, HostLittleEndian)) &&
                          QChar::isLowSurrogate(readUnit(in + 2, HostLittleEndian));
        return qsizetype(pair ? 4 : 2);
    });
    bytes.truncate(size);
    return bytes;
}

bool DecodeUtf8Strict(QByteArrayView bytes, QString* text)
{
    // Keep a leading U+FEFF: callers strip a real BOM themselves.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    if (text)
        *text = std::move(decoded);
    return true;
}

QByteArray ByteOrderMark(TextEncoding encoding)
{
    for (const Bom& bom : Boms) {
        if (bom.encoding == encoding)
            return QByteArray(bom.bytes.data(), qsizetype(bom.bytes.size()));
    }
    return QByteArray();
}

TextEncoding DetectEncoding(QByteArrayView bytes)
{
    if (const Bom* bom = findBom(bytes))
        return bom->encoding;
    return DecodeUtf8Strict(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

QString DecodeBody(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return decodeUtf16(bytes, encoding == TextEncoding::Utf16LE);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: {
        // The BOM is already gone; a U+FEFF here is text (a profile file is
        // decoded line by line), and fromUtf8 would drop it.
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless |
                                   QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(bytes);
    }
    case TextEncoding::Ansi:
        break;
    }
    return DecodeCodePage(bytes, AnsiCodePage());
}

QByteArray EncodeBody(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return encodeUtf16(text, encoding == TextEncoding::Utf16LE);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return text.toUtf8();
    case TextEncoding::Ansi:
        break;
    }
    return EncodeCodePage(text, AnsiCodePage());
}

QString DecodeAs(QByteArrayView bytes, TextEncoding encoding)
{
    const QByteArray bom = ByteOrderMark(encoding);
    if (!bom.isEmpty() && bytes.startsWith(bom))
        bytes = bytes.sliced(bom.size());
    return DecodeBody(bytes, encoding);
}

QByteArray EncodeAs(QStringView text, TextEncoding encoding)
{
    return ByteOrderMark(encoding) + EncodeBody(text, encoding);
}

QString DecodeText(QByteArrayView bytes)
{
    if (const Bom* bom = findBom(bytes))
        return DecodeBody(bytes.sliced(qsizetype(bom->bytes.size())), bom->encoding);
    QString text;
    if (DecodeUtf8Strict(bytes, &text))
        return text;
    return DecodeCodePage(bytes, AnsiCodePage());
}
