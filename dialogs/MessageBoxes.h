#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message box of the program goes through here, so a test can answer a
// box in advance instead of facing a modal loop it cannot click.
QMessageBox::StandardButton
ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
               QMessageBox::StandardButtons buttons, const QString& informativeText = {},
               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// What the last box asked, whether it was shown or answered in advance.
struct ShownMessageBox
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QString informativeText;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Queues the answer of the next box; queued answers are used in order and the
// box is then not shown at all.
void SetNextMessageBoxAnswer(QMessageBox::StandardButton answer);
// How many boxes have been asked for since the last reset, and the last one.
int MessageBoxCount();
ShownMessageBox LastMessageBox();
// Forgets queued answers and the record.
void ResetMessageBoxes();
