#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// An http or https address taken apart, with the spellings that mean the
// same made one: scheme and host lower-cased, the scheme's default port
// dropped, an empty path as "/". Everything else keeps its characters.
struct WebLink
{
    QString scheme;   // "http" or "https"
    QString userInfo; // before '@', without it; empty when there is none
    QString host;     // an IPv6 address keeps its brackets
    QString port;     // empty when none or the scheme's default
    QString path;
    QString query; // after '?', without it
    QString fragment;
    bool hasQuery = false;
    bool hasFragment = false;
};

// Nothing for a text that is not an http or https address with "//".
// Blanks around the text do not count.
std::optional<WebLink> SplitWebLink(QStringView text);

// The scheme of a text that starts with one ("mailto" of "mailto:x"),
// as written; empty when it has none.
QStringView SchemeOf(QStringView text);
