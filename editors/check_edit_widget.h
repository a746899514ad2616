#pragma once

#include "editors/TCheckEditDesc.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QSpinBox;

// A check box and/or a spin box bound to a numeric value in SettingsStorage. Every change
// is written straight into the storage.
class check_edit_widget : public QWidget
{
    Q_OBJECT
public:
    explicit check_edit_widget(TCheckEditDesc desc, QWidget *parent = nullptr);

signals:
    // The stored value may have changed: the window compares the settings again.
    void edited();

public slots:
    void Get_data();
    void Set_checked(int checked);
    void Update_setting(int value);

private:
    uint32_t storedValue() const;

    TCheckEditDesc m_desc;
    QCheckBox *m_check = nullptr;
    QLabel *m_label = nullptr;
    QSpinBox *m_spin = nullptr;
};
