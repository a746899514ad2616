#pragma once

#include "editors/TComboDesc.h"

#include <QWidget>

class QComboBox;
class QLabel;

// A combo box of enumerated values bound to a value in SettingsStorage. Every selection is
// written straight into the storage.
class combo_widget : public QWidget
{
    Q_OBJECT
public:
    explicit combo_widget(TComboDesc desc, QWidget *parent = nullptr);

    // Replaces the entries and refills the combo box: index 0 is selected, nothing is
    // stored and nothing is emitted.
    void set_items(const QMap<int, QString> &items);
    QMap<int, QString> items() const;

signals:
    void comboBoxIndexChanged(int index);
    // The stored value may have changed: the window compares the settings again.
    void edited();

public slots:
    void Get_data();
    void Update_setting();

private:
    void fill();
    uint32_t storedValue() const;

    TComboDesc m_desc;
    QLabel *m_label = nullptr;
    QComboBox *m_combo = nullptr;
};
