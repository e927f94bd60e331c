#include "MessageBoxes.h"

#include <QQueue>

namespace {

struct MessageBoxSeam
{
    QQueue<QMessageBox::StandardButton> answers;
    ShownMessageBox last;
    int count = 0;
};

MessageBoxSeam& seam()
{
    static MessageBoxSeam instance;
    return instance;
}

} // namespace

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& caption, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           const QString& informativeText,
                                           QMessageBox::StandardButton defaultButton)
{
    MessageBoxSeam& state = seam();
    state.last = ShownMessageBox{icon, caption, text, buttons, informativeText, defaultButton};
    ++state.count;
    if (!state.answers.isEmpty())
        return state.answers.dequeue();

    QMessageBox box(icon, caption, text, buttons, parent);
    box.setTextFormat(Qt::PlainText); // paths and user texts are never markup
    box.setInformativeText(informativeText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

void SetNextMessageBoxAnswer(QMessageBox::StandardButton answer)
{
    seam().answers.enqueue(answer);
}

int MessageBoxCount()
{
    return seam().count;
}

ShownMessageBox LastMessageBox()
{
    return seam().last;
}

void ResetMessageBoxes()
{
    seam() = MessageBoxSeam{};
}
