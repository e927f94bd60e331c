#pragma once

#include <QFont>

// Registers the metric-compatible Tahoma and MS Sans Serif that Wine ships,
// so the fixed pixel layouts get the widths they were designed with. Safe to
// call more than once; missing files are skipped.
void RegisterApplicationFonts();

QFont WindowFont(); // Tahoma 8 pt, DejaVu Sans when Tahoma is missing
// MS Sans Serif 8 pt, then Tahoma, then DejaVu Sans; on a screen whose device
// pixel ratio is not 1, the window font.
QFont HeaderFont(qreal devicePixelRatio);
