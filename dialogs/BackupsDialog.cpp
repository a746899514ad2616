#include "dialogs/BackupsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int PATH_ROLE = Qt::UserRole;

} // namespace

BackupsDialog::BackupsDialog(const BackupStore &store, const QString &terminal, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Резервные копии"));
    auto *layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("backups"));
    m_list->setHeaderLabels({tr("Устройство / время"), tr("Причина"), tr("Размер")});

    // One group per terminal, newest first within it.
    QMap<QString, QTreeWidgetItem *> groups;
    const QVector<TBackupEntry> all = store.listAll();
    auto groupOf = [&](const QString &name) {
        QTreeWidgetItem *&group = groups[name];
        if (!group) {
            group = new QTreeWidgetItem(m_list, {name == terminal ? tr("%1 (подключено)").arg(name) : name});
            group->setFlags(Qt::ItemIsEnabled);
            group->setFirstColumnSpanned(true);
        }
        return group;
    };
    if (!terminal.isEmpty())
        groupOf(terminal);
    // Times as the status history shows them; the system's locale may not be the interface's.
    for (const TBackupEntry &e : all) {
        auto *item = new QTreeWidgetItem(groupOf(e.terminal),
                                         {e.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                                          BackupStore::reasonText(e.reason), tr("%1 байт").arg(e.size)});
        item->setData(0, PATH_ROLE, e.path);
        item->setToolTip(0, e.path);
    }
    // The connected terminal's newest backup is the likeliest choice.
    if (QTreeWidgetItem *own = groups.value(terminal)) {
        own->setExpanded(true);
        if (own->childCount() > 0)
            m_list->setCurrentItem(own->child(0));
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_compare = buttons->addButton(tr("Сравнить с редактором"), QDialogButtonBox::ActionRole);
    m_load = buttons->addButton(tr("Загрузить в редактор"), QDialogButtonBox::ActionRole);
    m_compare->setObjectName(QStringLiteral("compare"));
    m_load->setObjectName(QStringLiteral("load"));
    connect(m_compare, &QPushButton::clicked, this, [this] { choose(EChoice::Compare); });
    connect(m_load, &QPushButton::clicked, this, [this] { choose(EChoice::Load); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &BackupsDialog::selectionChanged);
    layout->addWidget(buttons);
    selectionChanged();
    resize(620, 420);
}

QString BackupsDialog::chosenPath() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item ? item->data(0, PATH_ROLE).toString() : QString();
}

void BackupsDialog::choose(EChoice choice)
{
    if (chosenPath().isEmpty())
        return;
    m_choice = choice;
    accept();
}

void BackupsDialog::selectionChanged()
{
    const bool chosen = !chosenPath().isEmpty();
    m_compare->setEnabled(chosen);
    m_load->setEnabled(chosen);
}
