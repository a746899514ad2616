#pragma once

#include "editors/TLineEditDesc.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// A line edit bound to a fixed-size field in SettingsStorage, shown as Windows-1251 text or
// as hex bytes (last byte first). Every edit is written straight into the field.
class line_edit_widget : public QWidget
{
    Q_OBJECT
public:
    explicit line_edit_widget(TLineEditDesc desc, QWidget *parent = nullptr);

    void Set_editable(bool editable);

signals:
    // The stored value may have changed: the window compares the settings again.
    void edited();

public slots:
    void Get_data();
    void Clear();
    void Update_setting();

private:
    TLineEditDesc m_desc;
    QLabel *m_label = nullptr;
    QLineEdit *m_edit = nullptr;
    bool m_loading = false;
};
