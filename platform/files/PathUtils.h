#pragma once

#include <QChar>
#include <QString>
#include <string>

// Path pieces of the scan, on native byte strings. Separators are '/' here
// (and on Windows also '\\' and ':').
std::string DirectoryPart(const std::string& path);        // up to and including the last separator
std::string FileNamePart(const std::string& path);         // after the last separator
std::string NameWithoutExtension(const std::string& name); // only the last extension goes

// dir, one native separator unless dir already ends with one (an empty dir
// gives the root), then name. The bytes of both are kept as they are.
std::string JoinPath(const std::string& dir, const std::string& name);
// path without the native separators at its end; the root stays itself.
std::string WithoutTrailingSeparators(std::string path);

// The n-th (1-based) field of text split at separator; empty when text holds
// fewer than n-1 separators.
QString ExtractField(const QString& text, QChar separator, int n);
