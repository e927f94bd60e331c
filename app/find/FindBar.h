#pragma once

#include "FindFilter.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QToolButton;

// The slim bar above the status bar that narrows the tree to what is looked
// for: a search field, a "Show:" choice and a close box. It only asks; the
// window filters.
class FindBar final : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);

    QString text() const;
    FindChoice choice() const;
    // Back to no text and every link, without a filter change.
    void reset();
    // Puts the caret in the field with its text selected, to type over it.
    void focusField();

    QLineEdit* field = nullptr;
    QComboBox* choiceBox = nullptr;
    QToolButton* closeBox = nullptr;

signals:
    void filterChanged();
    // A "Show:" choice was made (from the list, or with a key on the box).
    void choicePicked();
    void closeAsked();
};
