#pragma once

#include <filesystem>

class QMimeData;

// The first local directory among the URLs of a drop (a file manager's
// file:// list), or an empty path when it holds none.
std::filesystem::path FirstDroppedFolder(const QMimeData& data);
