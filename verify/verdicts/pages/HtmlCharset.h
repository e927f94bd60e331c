#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The media type of a Content-Type value, lower-cased and without its
// parameters ("text/html" from "Text/HTML; charset=UTF-8").
QByteArray MediaTypeOf(QByteArrayView contentType);

// The charset parameter of a Content-Type value, unquoted; empty when absent.
QByteArray CharsetParameter(QByteArrayView contentType);

// The charset a page declares in its first bytes, as a browser's pre-scan
// finds it: <meta charset=...> or <meta http-equiv="Content-Type"
// content="...charset=...">, comments skipped. Empty when none is there.
QByteArray CharsetFromMeta(QByteArrayView head);

// The name iconv knows a charset label by, read the way browsers read the
// label ("iso-8859-1" is windows-1252, "shift_jis" is Microsoft's code page
// 932, "gb2312" is GB18030 ...). Empty for a label that is no charset name,
// so nothing odd (an iconv "//" suffix, say) ever reaches iconv.
QByteArray IconvCharsetName(QByteArrayView label);

// The charset a byte order mark at the start of bytes names ("UTF-8",
// "UTF-16LE", "UTF-16BE") and its length; an empty name without one.
struct ByteOrderMarkCharset
{
    QByteArray charset;
    qsizetype length = 0;
};
ByteOrderMarkCharset CharsetFromByteOrderMark(QByteArrayView bytes);
