#pragma once

#include "model/SettingsDiff.h"

#include <QDialog>

class QTreeWidget;

// The settings that differ between two sources, by the names the trees show, with both
// values as the editors show them.
class DifferencesDialog : public QDialog
{
    Q_OBJECT
public:
    DifferencesDialog(const QString &title, const QString &beforeName, const QString &afterName,
                      const QVector<TSettingDifference> &differences, QWidget *parent = nullptr);

    QTreeWidget *list() const { return m_list; }

private:
    QTreeWidget *m_list;
};
