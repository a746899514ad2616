#pragma once

#include "files/BackupStore.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

// The backups kept of the terminals' settings: the connected terminal's first and open, the
// others below. The operator can compare one with the editors or load it into them.
class BackupsDialog : public QDialog
{
    Q_OBJECT
public:
    enum class EChoice { None, Compare, Load };

    BackupsDialog(const BackupStore &store, const QString &terminal, QWidget *parent = nullptr);

    EChoice choice() const { return m_choice; }
    // The backup chosen, empty when none.
    QString chosenPath() const;
    QTreeWidget *list() const { return m_list; }

private:
    void choose(EChoice choice);
    void selectionChanged();

    QTreeWidget *m_list;
    QPushButton *m_compare;
    QPushButton *m_load;
    EChoice m_choice = EChoice::None;
};
