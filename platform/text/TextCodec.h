#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows ANSI code page that Wine would pick for the user's locale
// (LC_ALL, then LC_CTYPE, then LANG): 1251 for ru/uk/bg/be/sr, 1250 for
// central Europe, ... and 1252 for everything else.
int AnsiCodePage();
int AnsiCodePageForLocale(const QByteArray& localeName);

// Decodes 8-bit text in the given Windows code page (iconv "CP1251", ...).
// A byte sequence the code page does not define becomes U+FFFD.
QString DecodeCodePage(QByteArrayView bytes, int codePage);
// Encodes into the code page; a character it cannot hold becomes '?', as
// the Windows conversion does by default.
QByteArray EncodeCodePage(QStringView text, int codePage);

// Text file contents: by BOM (UTF-8, UTF-16 LE, UTF-16 BE), else UTF-8 when
// the bytes are valid UTF-8, else the locale's ANSI code page.
QString DecodeText(QByteArrayView bytes);

// What a text file's bytes were and how its lines end, so a rewrite keeps both.
enum class TextEncoding
{
    Ansi,
    Utf8,
    Utf8Bom,
    Utf16LE,
    Utf16BE
};
TextEncoding DetectEncoding(QByteArrayView bytes);
QString DecodeAs(QByteArrayView bytes, TextEncoding encoding); // BOM stripped
QByteArray EncodeAs(QStringView text, TextEncoding encoding);  // BOM added

// The pieces of the two above, for callers that handle a file in parts:
// the BOM an encoding starts with (empty for Ansi and Utf8), and the text
// without it. Ansi means the locale's code page.
QByteArray ByteOrderMark(TextEncoding encoding);
QString DecodeBody(QByteArrayView bytes, TextEncoding encoding);
QByteArray EncodeBody(QStringView text, TextEncoding encoding);

// Strict UTF-8 (no overlong forms, surrogates or values past U+10FFFF);
// on success *text (if given) holds the decoded text.
bool DecodeUtf8Strict(QByteArrayView bytes, QString* text = nullptr);
