#include "TreeProbe.h"

#include <QAbstractItemModel>
#include <QPushButton>
#include <QTreeView>

namespace TreeProbe {

namespace {

QString labelOf(const QAbstractItemModel *model, int r, const QModelIndex &parent)
{
    return model->index(r, 0, parent).data(Qt::DisplayRole).toString();
}

QModelIndex groupIndex(QTreeView *view, const QString &group, bool *found)
{
    *found = group.isEmpty();
    if (group.isEmpty())
        return QModelIndex();
    const QAbstractItemModel *model = view->model();
    for (int r = 0; model && r < model->rowCount(); ++r) {
        if (labelOf(model, r, QModelIndex()) == group) {
            *found = true;
            return model->index(r, 0);
        }
    }
    return QModelIndex();
}

void collect(QTreeView *view, const QModelIndex &parent, QList<QPair<QModelIndex, QWidget *>> *out)
{
    const QAbstractItemModel *model = view->model();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        for (int c = 0; c < model->columnCount(parent); ++c) {
            const QModelIndex index = model->index(r, c, parent);
            if (QWidget *widget = view->indexWidget(index))
                out->append({index, widget});
        }
        collect(view, model->index(r, 0, parent), out);
    }
}

} // namespace

QModelIndex row(QTreeView *view, const QString &label, const QString &group)
{
    bool found = false;
    const QModelIndex parent = groupIndex(view, group, &found);
    const QAbstractItemModel *model = view->model();
    if (!found || !model)
        return QModelIndex();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        if (labelOf(model, r, parent) == label)
            return model->index(r, 0, parent);
    }
    return QModelIndex();
}

QString valueText(QTreeView *view, const QString &label, const QString &group)
{
    const QModelIndex at = row(view, label, group);
    if (!at.isValid())
        return QString();
    return at.sibling(at.row(), 1).data(Qt::DisplayRole).toString();
}

QList<QPair<QModelIndex, QWidget *>> cellWidgets(QTreeView *view, const QString &group)
{
    QList<QPair<QModelIndex, QWidget *>> out;
    bool found = false;
    const QModelIndex parent = groupIndex(view, group, &found);
    if (found && view->model())
        collect(view, parent, &out);
    return out;
}

QPushButton *button(QTreeView *view, const QString &text, const QString &group, QModelIndex *at)
{
    for (const auto &cell : cellWidgets(view, group)) {
        QList<QPushButton *> buttons = cell.second->findChildren<QPushButton *>();
        if (auto *self = qobject_cast<QPushButton *>(cell.second))
            buttons.prepend(self);
        for (QPushButton *b : qAsConst(buttons)) {
            if (b->text() == text) {
                if (at)
                    *at = cell.first;
                return b;
            }
        }
    }
    return nullptr;
}

QWidget *cellWithLabel(QTreeView *view, const QString &text, const QString &group)
{
    for (const auto &cell : cellWidgets(view, group)) {
        const QList<QLabel *> labels = cell.second->findChildren<QLabel *>();
        for (QLabel *label : labels) {
            if (label->text() == text)
                return cell.second;
        }
    }
    return nullptr;
}

QString fieldText(const QString &shown)
{
    QString text = shown;
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

} // namespace TreeProbe
