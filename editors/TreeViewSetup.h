#pragma once

class QObject;
class QStandardItemModel;
class QTreeView;

// What every tree of the state and settings pages shares.
namespace TreeViewSetup {

// A fresh model on the view, owned by the holder that the next rebuild drops.
QStandardItemModel *newModel(QObject *holder, QTreeView *view, int columns = 0);
// The "fusion" style, owned by the view and set once, so rebuilds find it in place.
void useFusionStyle(QTreeView *view);

} // namespace TreeViewSetup
