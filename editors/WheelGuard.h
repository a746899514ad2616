#pragma once

#include <QObject>

class QWidget;

// Keeps the mouse wheel from changing a setting while the operator scrolls the tree: a
// combo or spin box takes the wheel only once a click (or Tab) has given it the focus;
// otherwise the wheel goes on to the tree, which scrolls.
class WheelGuard : public QObject
{
    Q_OBJECT
public:
    static void protect(QWidget *editor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WheelGuard(QObject *parent) : QObject(parent) {}
};
