#include "FindBar.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
    field = new QLineEdit(this);
    field->setPlaceholderText(QStringLiteral("Find by name or link"));
    field->setAccessibleName(QStringLiteral("Find"));
    field->installEventFilter(this);
    countLabel = new QLabel(field);
    countLabel->setTextFormat(Qt::PlainText);
    countLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette dimmed = countLabel->palette();
    dimmed.setColor(QPalette::WindowText, field->palette().color(QPalette::PlaceholderText));
    countLabel->setPalette(dimmed);
    countLabel->hide();
    auto* showLabel = new QLabel(QStringLiteral("Show:"), this);
    choiceBox = new QComboBox(this);
    // In FindChoice order.
    choiceBox->addItems({QStringLiteral("All"), QStringLiteral("Dead"), QStringLiteral("Not sure"),
                         QStringLiteral("Moved"), QStringLiteral("Duplicates"),
                         QStringLiteral("Not checked"), QStringLiteral("Archived")});
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

QString FindBar::asked() const
{
    QStringList parts;
    if (!text().isEmpty())
        parts << u'"' + text() + u'"';
    if (choice() != FindChoice::All)
        parts << QStringLiteral("Show: ") + choiceBox->currentText();
    return parts.join(QStringLiteral(", "));
}

void FindBar::showCount(const QString& count)
{
    countLabel->setText(count);
    countLabel->setVisible(!count.isEmpty());
    // A screen reader hears it with the field.
    field->setAccessibleDescription(count);
    placeCount();
}

void FindBar::placeCount()
{
    if (countLabel->isHidden()) {
        field->setTextMargins(0, 0, 0, 0);
        return;
    }
    const int gap = field->fontMetrics().averageCharWidth();
    const int width = countLabel->sizeHint().width();
    countLabel->setGeometry(field->width() - width - gap, 0, width, field->height());
    // A gap on either side of the count keeps it apart from the text and the frame.
    field->setTextMargins(0, 0, width + 2 * gap, 0);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field && event->type() == QEvent::Resize)
        placeCount();
    if (watched == field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            emit downFromField();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
