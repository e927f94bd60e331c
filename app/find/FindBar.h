#pragma once

#include "FindFilter.h"

#include <QWidget>

class QComboBox;
class QLabel;
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
    // What the filter asks for, in words: the text looked for and the
    // "Show:" choice, each only when it narrows the tree.
    QString asked() const;
    // Said dimmed at the right end of the field, clear of the text typed;
    // empty: nothing is said.
    void showCount(const QString& count);

    QLineEdit* field = nullptr;
    QComboBox* choiceBox = nullptr;
    QToolButton* closeBox = nullptr;
    QLabel* countLabel = nullptr;

signals:
    void filterChanged();
    // A "Show:" choice was made (from the list, or with a key on the box).
    void choicePicked();
    void closeAsked();
    // Down in the field: on to the rows found.
    void downFromField();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeCount();
};
