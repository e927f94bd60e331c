#include "WindowSection.h"

#include "ProfileFile.h"
#include "ProfileInteger.h"

#include <algorithm>

namespace {

const QString Section = QStringLiteral("Window");
const QString ExpandedCountKey = QStringLiteral("ExpandedCount");
const QString ExpandedFolderKey = QStringLiteral("ExpandedFolder");
const QString ChosenFolderKey = QStringLiteral("ChosenFolder");

const std::array<QString, 4> GeometryKeys = {QStringLiteral("Left"), QStringLiteral("Top"),
                                             QStringLiteral("Width"), QStringLiteral("Height")};
const std::array<QString, 3> ColumnKeys = {QStringLiteral("NameWidth"), QStringLiteral("LinkWidth"),
                                           QStringLiteral("StatusWidth")};

// Far beyond any screen, and far enough from int's limits that adding a
// size to a position can never overflow.
constexpr int GeometryBound = 1 << 24;

QString expandedKey(qsizetype n)
{
    return QStringLiteral("Expanded%1").arg(n);
}

template <size_t N>
std::optional<std::array<int, N>> readNumbers(const ProfileSection& keys,
                                              const std::array<QString, N>& names)
{
    std::array<int, N> numbers{};
    for (size_t i = 0; i < N; ++i) {
        const std::optional<std::int32_t> number = ParseProfileInteger(keys.value(names[i]));
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
    }
    return numbers;
}

template <size_t N>
void writeNumbers(ProfileValues& values, const std::array<QString, N>& names,
                  const std::array<int, N>& numbers)
{
    for (size_t i = 0; i < N; ++i)
        values.append({names[i], QString::number(numbers[i])});
}

std::optional<QRect> readGeometry(const ProfileSection& keys)
{
    const auto numbers = readNumbers(keys, GeometryKeys);
    if (!numbers)
        return std::nullopt;
    const auto [left, top, width, height] = *numbers;
    if (width <= 0 || height <= 0)
        return std::nullopt;
    return QRect(std::clamp(left, -GeometryBound, GeometryBound),
                 std::clamp(top, -GeometryBound, GeometryBound), std::min(width, GeometryBound),
                 std::min(height, GeometryBound));
}

std::optional<QStringList> readExpanded(const ProfileSection& keys)
{
    const std::optional<std::int32_t> count = ParseProfileInteger(keys.value(ExpandedCountKey));
    if (!count || *count < 0)
        return std::nullopt;
    // A count beyond the keys there are names nothing more, so the work
    // stays within what the file holds.
    const qsizetype listed = std::min(qsizetype(*count), keys.size());
    QStringList folders;
    for (qsizetype n = 1; n <= listed; ++n) {
        if (const QString* folder = keys.find(expandedKey(n)))
            folders.append(*folder);
    }
    return folders;
}

void writeExpanded(ProfileValues& values, const WindowState& state)
{
    if (state.expandedFavorites)
        values.append({ExpandedFolderKey, *state.expandedFavorites});
    // A shorter list leaves the old keys past its end behind; the count
    // tells where the list ends.
    const QStringList& folders = *state.expandedFolders;
    values.append({ExpandedCountKey, QString::number(folders.size())});
    for (qsizetype n = 1; n <= folders.size(); ++n)
        values.append({expandedKey(n), folders[n - 1]});
}

} // namespace

WindowState ReadWindowSection(const ProfileFile& profile)
{
    const ProfileSection keys = profile.section(Section);
    WindowState state;
    state.geometry = readGeometry(keys);
    state.columnWidths = readNumbers(keys, ColumnKeys);
    state.expandedFolders = readExpanded(keys);
    if (const QString* favorites = keys.find(ExpandedFolderKey))
        state.expandedFavorites = *favorites;
    if (const QString* chosen = keys.find(ChosenFolderKey); chosen && !chosen->isEmpty())
        state.chosenFavorites = *chosen;
    return state;
}

void WriteWindowSection(const WindowState& state, ProfileFile& profile)
{
    ProfileValues values;
    if (const std::optional<QRect>& g = state.geometry)
        writeNumbers(values, GeometryKeys, {g->x(), g->y(), g->width(), g->height()});
    if (state.columnWidths)
        writeNumbers(values, ColumnKeys, *state.columnWidths);
    if (state.expandedFolders)
        writeExpanded(values, state);
    if (state.chosenFavorites)
        values.append({ChosenFolderKey, *state.chosenFavorites});
    profile.setValues(Section, values);
}
