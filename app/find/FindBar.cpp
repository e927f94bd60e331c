#include "FindBar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
    field = new QLineEdit(this);
    field->setPlaceholderText(QStringLiteral("Find by name or link"));
    field->setAccessibleName(QStringLiteral("Find"));
    auto* showLabel = new QLabel(QStringLiteral("Show:"), this);
    choiceBox = new QComboBox(this);
    // In FindChoice order.
    choiceBox->addItems({QStringLiteral("All"), QStringLiteral("Dead"), QStringLiteral("Not sure"),
                         QStringLiteral("Moved"), QStringLiteral("Duplicates"),
                         QStringLiteral("Not checked")});
    showLabel->setBuddy(choiceBox);
    closeBox = new QToolButton(this);
    closeBox->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closeBox->setAutoRaise(true);
    closeBox->setToolTip(QStringLiteral("Close the find bar (Escape)"));
    closeBox->setAccessibleName(closeBox->toolTip());

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    row->addWidget(field, 1);
    row->addSpacing(8);
    row->addWidget(showLabel);
    row->addWidget(choiceBox);
    row->addWidget(closeBox);

    connect(field, &QLineEdit::textChanged, this, &FindBar::filterChanged);
    connect(choiceBox, &QComboBox::currentIndexChanged, this, &FindBar::filterChanged);
    connect(choiceBox, &QComboBox::activated, this, &FindBar::choicePicked);
    connect(closeBox, &QToolButton::clicked, this, &FindBar::closeAsked);
}

QString FindBar::text() const
{
    return field->text();
}

FindChoice FindBar::choice() const
{
    return FindChoice(choiceBox->currentIndex());
}

void FindBar::reset()
{
    const QSignalBlocker quietField(field);
    const QSignalBlocker quietShow(choiceBox);
    field->clear();
    choiceBox->setCurrentIndex(int(FindChoice::All));
}

void FindBar::focusField()
{
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
}
