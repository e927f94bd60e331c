#include "FixedDialog.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QStringList>

namespace {

// These dialogs have no Cancel button: the close box is the way out, and
// Escape, which would press Cancel, does nothing.
class EscapeKeepsOpen final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

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
    dialog.installEventFilter(new EscapeKeepsOpen(&dialog));
}
