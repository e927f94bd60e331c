#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>

// A Windows VS_VERSIONINFO block: what the build writes into the executable.
struct VersionInfo
{
    std::uint16_t fileVersion[4] = {1, 0, 0, 0};
    std::uint16_t productVersion[4] = {1, 0, 0, 0};
    // (language, code page) pairs of "\VarFileInfo\Translation".
    QList<QPair<std::uint16_t, std::uint16_t>> translations;
    struct Table
    {
        QString key; // e.g. "041904E3"
        QList<QPair<QString, QString>> strings;
    };
    QList<Table> tables;
};

QByteArray BuildVersionBlock(const VersionInfo& info);

// "ProductVersion" of the first translation pair of the first valid
// VS_VERSIONINFO block found in data; empty when there is none.
QString ProductVersionFromBytes(const QByteArray& data);

// The same for the file at path.
QString ReadProductVersion(const QString& path);

// "StringFileInfo" key of a translation pair: four upper-case hex digits per word.
QString TranslationKey(std::uint16_t language, std::uint16_t codePage);
