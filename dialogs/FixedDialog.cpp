#include "FixedDialog.h"

#include <QDialog>
#include <QStringList>

QFont DialogFont(int pixelHeight, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void SetUpFixedDialog(QDialog& dialog, const QString& caption, QSize clientSize)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setWindowTitle(caption);
    dialog.setFont(DialogFont());
    dialog.setFixedSize(clientSize);
    // No size grip on a window that cannot be resized.
    dialog.setSizeGripEnabled(false);
}
