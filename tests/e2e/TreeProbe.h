#pragma once

#include <QLabel>
#include <QList>
#include <QModelIndex>
#include <QString>
#include <QWidget>

class QPushButton;
class QTreeView;

// Reads the window's trees as the operator sees them: the text next to a label, and the
// editors and buttons that the rows carry as index widgets. Always goes through the view's
// current model, because a rebuild leaves the old widgets alive until their holder goes.
namespace TreeProbe {

// The row labelled `label` (column 0), under the top-level row labelled `group`, or among
// the top-level rows when `group` is empty. Invalid when there is none.
QModelIndex row(QTreeView *view, const QString &label, const QString &group = QString());

// What the value cell (column 1) of that row shows; a null string when the row is missing.
QString valueText(QTreeView *view, const QString &label, const QString &group = QString());

// Every index widget of the rows under `group` (every row of the tree when empty), in row
// order, with the index it sits on.
QList<QPair<QModelIndex, QWidget *>> cellWidgets(QTreeView *view, const QString &group = QString());

// The first push button captioned `text` in those cells, with the index it sits on.
QPushButton *button(QTreeView *view, const QString &text, const QString &group = QString(),
                    QModelIndex *at = nullptr);

// The cell widget that holds a label with exactly this text (a row title such as a
// server's heading, or an editor's own label).
QWidget *cellWithLabel(QTreeView *view, const QString &text, const QString &group = QString());

// The control (QLineEdit, QComboBox, QSpinBox) of the editor labelled `label` inside
// `within`: the one that shares the label's parent widget.
template <typename Control>
Control *editor(QWidget *within, const QString &label)
{
    if (!within)
        return nullptr;
    QList<QLabel *> labels = within->findChildren<QLabel *>();
    if (auto *self = qobject_cast<QLabel *>(within))
        labels.prepend(self);
    for (QLabel *candidate : qAsConst(labels)) {
        if (candidate->text() != label || !candidate->parentWidget())
            continue;
        if (auto *control = candidate->parentWidget()->findChild<Control *>())
            return control;
    }
    return nullptr;
}

// A line edit's text as the field holds it: editors show a text field at its full size,
// zero characters included.
QString fieldText(const QString &shown);

} // namespace TreeProbe
