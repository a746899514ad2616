#include "editors/check_edit_widget.h"

#include "editors/StoredInteger.h"
#include "editors/WheelGuard.h"

#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

check_edit_widget::check_edit_widget(TCheckEditDesc desc, QWidget *parent)
    : QWidget(parent), m_desc(std::move(desc))
{
    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(4);
    layout->setContentsMargins(2, 0, 2, 0);

    if (m_desc.hasCheck) {
        m_check = new QCheckBox(this);
        m_check->setToolTip(m_desc.tooltip);
        layout->addWidget(m_check);
        layout->addStretch(0);
    }
    if (!m_desc.label.isEmpty()) {
        m_label = new QLabel(m_desc.label, this);
        m_label->setToolTip(m_desc.tooltip);
        m_label->setMinimumWidth(7 * m_desc.label.size());
        layout->addWidget(m_label);
        layout->addStretch(1);
    }
    if (m_desc.hasSpin) {
        m_spin = new QSpinBox(this);
        WheelGuard::protect(m_spin);
        m_spin->setRange(m_desc.min, m_desc.max);
        m_spin->setToolTip(m_desc.tooltip);
        layout->addWidget(m_spin);
        if (!m_label)
            layout->addStretch(1);
    }

    if (!m_desc.value)
        qWarning() << "[check_edit_widget] WARNING no value bound to" << m_desc.label;

    // Connected only after the range is set, so configuring the spin box stores nothing.
    if (m_check)
        connect(m_check, &QCheckBox::stateChanged, this, &check_edit_widget::Set_checked);
    if (m_spin)
        connect(m_spin, qOverload<int>(&QSpinBox::valueChanged), this, &check_edit_widget::Update_setting);

    Get_data();
}

uint32_t check_edit_widget::storedValue() const
{
    return StoredInteger::read(m_desc.value, m_desc.type);
}

void check_edit_widget::Get_data()
{
    Set_checked(storedValue() != 0 ? 1 : 0);
}

void check_edit_widget::Set_checked(int checked)
{
    if (m_spin) {
        // Clamp the unsigned value here: handed to the spin box as an int, a u32 above
        // INT_MAX would wrap negative and land on the minimum instead of the maximum.
        const qint64 stored = storedValue();
        m_spin->setValue(int(qBound<qint64>(m_spin->minimum(), stored, m_spin->maximum())));
    }
    if (!m_check)
        return;

    // The box is set with its signal blocked: this slot already handles the new state.
    const QSignalBlocker blocker(m_check);
    if (checked) {
        m_check->setChecked(true);
        if (m_spin)
            m_spin->setEnabled(true);
        Update_setting(m_spin ? m_spin->value() : 1);
    } else {
        m_check->setChecked(false);
        if (m_spin) {
            m_spin->setEnabled(false);
            m_spin->clear();
        }
        Update_setting(0);
    }
}

void check_edit_widget::Update_setting(int value)
{
    if (m_desc.value && !StoredInteger::write(m_desc.value, m_desc.type, uint32_t(value)))
        qWarning() << "[check_edit_widget::Update_setting] WARNING unsupported type" << m_desc.type;
    emit edited();
}
