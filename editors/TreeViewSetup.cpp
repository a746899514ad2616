#include "editors/TreeViewSetup.h"

#include <QStandardItemModel>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeView>

namespace TreeViewSetup {

QStandardItemModel *newModel(QObject *holder, QTreeView *view, int columns)
{
    auto *model = new QStandardItemModel(0, columns, holder);
    // A view rebuilt on its own (the interfaces tree after a download) would otherwise leave
    // its old model behind in the holder until the next full rebuild.
    QAbstractItemModel *old = view->model();
    view->setModel(model);
    if (old && old->parent() == holder)
        old->deleteLater();
    return model;
}

void useFusionStyle(QTreeView *view)
{
    if (view->style()->objectName().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0)
        return;
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("fusion"))) {
        fusion->setParent(view);
        view->setStyle(fusion);
    }
}

} // namespace TreeViewSetup
