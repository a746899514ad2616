#pragma once

class QObject;
class QTreeView;
class QWidget;
class usb_handler;

// What the builders of the six trees need from the window. The holders parent every model
// and mapper of one build, so dropping them drops the build; an embedded widget starts under
// widgetHolder and moves into its view, which deletes it when the model is replaced.
struct TViewsContext {
    QTreeView *sysView;
    QTreeView *ioView;
    QTreeView *netView;
    QTreeView *connectionView;
    QTreeView *securityView;
    QTreeView *sensorsView;
    QObject *objectHolder;
    QWidget *widgetHolder;
    usb_handler *worker;
    QObject *window;
    const bool *connected;
    // Per parameter row: its value is the terminal's, read in this session.
    const bool *stateValid;
};
