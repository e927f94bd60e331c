#pragma once

#include <QByteArray>
#include <QString>

// Windows ANSI code page that Wine would pick for the user's locale
// (LC_ALL, then LC_CTYPE, then LANG): 1251 for ru/uk/bg/be/sr, 1250 for
// central Europe, ... and 1252 for everything else.
int AnsiCodePage();
int AnsiCodePageForLocale(const QByteArray& localeName);

// Decodes 8-bit text in the given Windows code page (iconv "CP1251", ...).
QString DecodeCodePage(const QByteArray& bytes, int codePage);

// Text file contents: by BOM (UTF-8, UTF-16 LE, UTF-16 BE), else UTF-8 when
// the bytes are valid UTF-8, else the locale's ANSI code page.
QString DecodeText(const QByteArray& bytes);

// What a text file's bytes were and how its lines end, so a rewrite keeps both.
enum class TextEncoding { Ansi, Utf8, Utf8Bom, Utf16LE, Utf16BE };
TextEncoding DetectEncoding(const QByteArray& bytes);
QString DecodeAs(const QByteArray& bytes, TextEncoding encoding); // BOM stripped
QByteArray EncodeAs(const QString& text, TextEncoding encoding);  // BOM added

// The 8-bit form used where a format is 8-bit (Config.ini): the locale's
// encoding, UTF-8 here.
QByteArray ToLocal8Bit(const QString& text);
