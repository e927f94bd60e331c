#pragma once

#include "FuzzInput.h"

#include "VersionBlock.h"

#include <string>

// Any bytes: the version reader stays inside them. Bytes that begin with a
// block we built: the reader finds that block's ProductVersion, whatever
// follows it.
inline std::string CheckVersionBlock(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const bool build = in.byte() & 1;
    if (!build) {
        const QByteArray bytes = in.rest();
        const QString version = ProductVersionFromBytes(bytes);
        if (version.size() > bytes.size() / 2)
            return "a version longer than the bytes it came from";
        return {};
    }

    const std::uint16_t language = std::uint16_t(in.byte() | in.byte() << 8);
    const std::uint16_t codePage = std::uint16_t(in.byte() | in.byte() << 8);
    QString version = in.text();
    version.replace(QChar(0), u'0'); // a NUL would end the text early
    const QString otherName = in.text();
    const QString otherValue = in.text().replace(QChar(0), u'0');
    const QByteArray tail = in.rest();

    VersionInfo info;
    info.translations = {{language, codePage}};
    VersionInfo::Table table;
    table.key = TranslationKey(language, codePage);
    if (!otherName.isEmpty() && !otherName.contains(QChar(0)) &&
        otherName.compare(QLatin1String("ProductVersion"), Qt::CaseInsensitive) != 0)
        table.strings.append({otherName, otherValue});
    table.strings.append({QStringLiteral("ProductVersion"), version});
    info.tables = {table};
    const QByteArray block = BuildVersionBlock(info);
    if (block.isEmpty())
        return {};
    const QString read = ProductVersionFromBytes(block + tail);
    if (read != version)
        return "built \"" + version.toStdString() + "\", read \"" + read.toStdString() + "\"";
    return {};
}
