#pragma once

#include "WindowState.h"

class ProfileFile;

// The [Window] section of Config.ini: Left, Top, Width, Height; NameWidth,
// LinkWidth, StatusWidth; ExpandedFolder, ExpandedCount with Expanded1,
// Expanded2, ...; ChosenFolder. A part is read only when all its keys hold usable numbers;
// the place and size are brought into a range no screen reaches.
WindowState ReadWindowSection(const ProfileFile& profile);
// Writes the parts that are present; keys of a part left out stay as they are.
void WriteWindowSection(const WindowState& state, ProfileFile& profile);
