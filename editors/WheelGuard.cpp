#include "editors/WheelGuard.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QWheelEvent>
#include <QWidget>

void WheelGuard::protect(QWidget *editor)
{
    // Qt's default for these is WheelFocus: the wheel itself would hand them the focus.
    editor->setFocusPolicy(Qt::StrongFocus);
    editor->installEventFilter(new WheelGuard(editor));
}

bool WheelGuard::eventFilter(QObject *watched, QEvent *event)
{
    auto *editor = static_cast<QWidget *>(watched);
    if (event->type() != QEvent::Wheel || editor->hasFocus())
        return false;
    // Handed to the tree the editor sits in, which scrolls; Qt does not pass an ignored
    // wheel event on from an index widget.
    for (QWidget *up = editor->parentWidget(); up; up = up->parentWidget()) {
        auto *area = qobject_cast<QAbstractScrollArea *>(up);
        if (!area)
            continue;
        const auto *wheel = static_cast<QWheelEvent *>(event);
        QWheelEvent forwarded(area->viewport()->mapFromGlobal(wheel->globalPosition().toPoint()),
                              wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                              wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(area->viewport(), &forwarded);
        break;
    }
    return true;
}
