#include "WindowSection.h"

#include "ProfileFile.h"
#include "ProfileInteger.h"

namespace {

const QString Section = QStringLiteral("Window");
const QString ExpandedCountKey = QStringLiteral("ExpandedCount");

const std::array<QString, 4> GeometryKeys = {QStringLiteral("Left"), QStringLiteral("Top"),
                                             QStringLiteral("Width"), QStringLiteral("Height")};
const std::array<QString, 3> ColumnKeys = {QStringLiteral("NameWidth"), QStringLiteral("LinkWidth"),
                                           QStringLiteral("StatusWidth")};

QString expandedKey(int n)
{
    return QStringLiteral("Expanded%1").arg(n);
}

template <size_t N>
std::optional<std::array<int, N>> readNumbers(const ProfileFile& profile,
                                              const std::array<QString, N>& keys)
{
    std::array<int, N> numbers{};
    for (size_t i = 0; i < N; ++i) {
        const std::optional<std::int32_t> number =
            ParseProfileInteger(profile.value(Section, keys[i]));
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
    }
    return numbers;
}

template <size_t N>
void writeNumbers(ProfileFile& profile, const std::array<QString, N>& keys,
                  const std::array<int, N>& numbers)
{
    for (size_t i = 0; i < N; ++i)
        profile.setValue(Section, keys[i], QString::number(numbers[i]));
}

std::optional<QRect> readGeometry(const ProfileFile& profile)
{
    const auto numbers = readNumbers(profile, GeometryKeys);
    if (!numbers || (*numbers)[2] <= 0 || (*numbers)[3] <= 0)
        return std::nullopt;
    return QRect((*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]);
}

std::optional<QStringList> readExpanded(const ProfileFile& profile)
{
    const std::optional<std::int32_t> count =
        ParseProfileInteger(profile.value(Section, ExpandedCountKey));
    if (!count || *count < 0)
        return std::nullopt;
    QStringList folders;
    for (int n = 1; n <= *count; ++n)
        folders.append(profile.value(Section, expandedKey(n)));
    return folders;
}

void writeExpanded(ProfileFile& profile, const QStringList& folders)
{
    // A shorter list leaves the old keys past its end behind; the count
    // tells where the list ends.
    profile.setValue(Section, ExpandedCountKey, QString::number(folders.size()));
    for (int n = 1; n <= folders.size(); ++n)
        profile.setValue(Section, expandedKey(n), folders[n - 1]);
}

} // namespace

WindowState ReadWindowSection(const ProfileFile& profile)
{
    WindowState state;
    state.geometry = readGeometry(profile);
    state.columnWidths = readNumbers(profile, ColumnKeys);
    state.expandedFolders = readExpanded(profile);
    return state;
}

void WriteWindowSection(const WindowState& state, ProfileFile& profile)
{
    if (const std::optional<QRect>& g = state.geometry)
        writeNumbers(profile, GeometryKeys, {g->x(), g->y(), g->width(), g->height()});
    if (state.columnWidths)
        writeNumbers(profile, ColumnKeys, *state.columnWidths);
    if (state.expandedFolders)
        writeExpanded(profile, *state.expandedFolders);
}
