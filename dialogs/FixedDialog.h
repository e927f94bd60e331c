#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QDialog;

// The dialogs' font: Tahoma at a character height in pixels (the layouts are
// fixed pixel layouts, so the height does not follow the screen's DPI), with
// DejaVu Sans standing in where Tahoma is not installed.
QFont DialogFont(int pixelHeight = 11, bool bold = false);

// A fixed-size dialog with a caption and only the close box in its title bar,
// in the dialog font. clientSize is the size of its client area. Escape
// leaves it open.
void SetUpFixedDialog(QDialog& dialog, const QString& caption, QSize clientSize);
