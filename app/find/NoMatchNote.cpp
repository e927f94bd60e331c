#include "NoMatchNote.h"

#include <QAbstractScrollArea>
#include <QEvent>

NoMatchNote::NoMatchNote(QAbstractScrollArea& view) : QLabel(&view), rows_(*view.viewport())
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // As the tree says that it has no Favorites at all.
    QPalette dimmed = palette();
    dimmed.setColor(QPalette::WindowText, view.palette().color(QPalette::Disabled, QPalette::Text));
    setPalette(dimmed);
    const int margin = 2 * fontMetrics().averageCharWidth();
    setContentsMargins(margin, 0, margin, 0);
    rows_.installEventFilter(this);
    hide();
}

void NoMatchNote::say(const QString& asked)
{
    setText(asked.isEmpty() ? QStringLiteral("No links match")
                            : QStringLiteral("No links match\n") + asked);
    setGeometry(rows_.geometry());
    raise();
    show();
}

bool NoMatchNote::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &rows_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        setGeometry(rows_.geometry());
    return QLabel::eventFilter(watched, event);
}
