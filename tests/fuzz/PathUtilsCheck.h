#pragma once

#include "FuzzInput.h"

#include "PathUtils.h"

#include <QStringList>
#include <string>

// The path pieces put back together give the path, and ExtractField gives
// exactly the pieces that splitting at the separator gives.
inline std::string CheckPathUtils(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const QByteArray pathBytes = in.piece();
    const std::string path(pathBytes.constData(), size_t(pathBytes.size()));
    const std::string directory = DirectoryPart(path);
    const std::string file = FileNamePart(path);
    if (directory + file != path)
        return "directory and file-name parts do not make up the path";
    if (!directory.empty() && directory.back() != '/')
        return "directory part does not end at a separator";
    if (file.find('/') != std::string::npos)
        return "file-name part holds a separator";

    const std::string stem = NameWithoutExtension(path);
    if (path.compare(0, stem.size(), stem) != 0)
        return "name without extension is not the start of the name";
    if (stem != path) {
        const std::string extension = path.substr(stem.size());
        if (extension.front() != '.' || extension.find_first_of("./", 1) != std::string::npos)
            return "more than the last extension was removed: \"" + extension + "\"";
    }

    const QChar separators[] = {u'"', u'/', u'\\', u'a', QChar(0), QChar(0xD800)};
    const QChar separator = separators[in.byte() % std::size(separators)];
    const QString text = in.text();
    const QStringList fields = text.split(separator);
    for (int n = -1; n <= int(fields.size()) + 2; ++n) {
        const QString field = ExtractField(text, separator, n);
        const QString expected = n >= 1 && n <= fields.size() ? fields[n - 1] : QString();
        if (field != expected)
            return "field " + std::to_string(n) + " is \"" + field.toStdString() + "\", not \"" +
                   expected.toStdString() + "\"";
    }
    return {};
}
