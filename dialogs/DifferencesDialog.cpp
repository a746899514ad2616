#include "dialogs/DifferencesDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

DifferencesDialog::DifferencesDialog(const QString &title, const QString &beforeName, const QString &afterName,
                                     const QVector<TSettingDifference> &differences, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    auto *summary = new QLabel(differences.isEmpty() ? tr("Все настройки совпадают.")
                                                     : tr("Различаются настройки: %1").arg(differences.size()),
                               this);
    summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("differences"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("Настройка"), beforeName, afterName});
    for (const TSettingDifference &d : differences) {
        auto *item = new QTreeWidgetItem(m_list, {d.name, d.before, d.after});
        item->setToolTip(0, d.key);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setVisible(!differences.isEmpty());
    layout->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(820, differences.isEmpty() ? 120 : 480);
}
