#include "editors/combo_widget.h"

#include "editors/StoredInteger.h"
#include "editors/WheelGuard.h"

#include <QComboBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

combo_widget::combo_widget(TComboDesc desc, QWidget *parent)
    : QWidget(parent), m_desc(std::move(desc))
{
    if (!m_desc.value)
        qWarning() << "[combo_widget] WARNING no value bound to" << m_desc.label;

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(4);
    layout->setContentsMargins(2, 0, 2, 0);
    m_label = new QLabel(this);
    m_combo = new QComboBox(this);
    WheelGuard::protect(m_combo);
    layout->addWidget(m_label);
    layout->addWidget(m_combo);

    fill();
    connect(m_combo, qOverload<int>(&QComboBox::currentIndexChanged), this, &combo_widget::Update_setting);

    Get_data();
}

void combo_widget::set_items(const QMap<int, QString> &items)
{
    m_desc.items = items;
    fill();
}

QMap<int, QString> combo_widget::items() const
{
    return m_desc.items;
}

void combo_widget::fill()
{
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->setToolTip(m_desc.tooltip);
        m_combo->clear();
        for (auto it = m_desc.items.cbegin(); it != m_desc.items.cend(); ++it)
            m_combo->addItem(it.value(), it.key());
        m_combo->setCurrentIndex(0);
    }
    m_label->setText(m_desc.label);
    m_label->setToolTip(m_desc.tooltip);
    m_label->setMinimumWidth(8 * m_desc.label.size());
}

uint32_t combo_widget::storedValue() const
{
    return StoredInteger::read(m_desc.value, m_desc.type);
}

void combo_widget::Get_data()
{
    const uint32_t stored = storedValue();
    int found = -1;
    for (int i = 0; i < m_combo->count() && found < 0; ++i) {
        if (uint32_t(m_combo->itemData(i).toInt()) == stored)
            found = i;
    }
    // Selecting with signals live: if the index moves, Update_setting stores the entry.
    if (found >= 0) {
        m_combo->setCurrentIndex(found);
    } else {
        m_combo->setCurrentIndex(0);
        m_combo->setCurrentText(tr("Неизвестное значение"));
    }
}

void combo_widget::Update_setting()
{
    // An empty combo (no entries) has nothing to store.
    if (m_combo->currentIndex() < 0 || !m_desc.value)
        return;
    const uint32_t key = uint32_t(m_combo->currentData().toInt());
    if (!StoredInteger::write(m_desc.value, m_desc.type, key))
        qWarning() << "[combo_widget::Update_setting] WARNING unsupported type" << m_desc.type;
    emit comboBoxIndexChanged(m_combo->currentIndex());
    emit edited();
}
