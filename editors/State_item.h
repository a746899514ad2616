#pragma once

#include "editors/TStateItemDesc.h"

#include <QCoreApplication>
#include <QStandardItem>

// A cell of the state trees. It holds no value: each time the view asks, it reads its field
// in SettingsStorage, so a repaint is all a refresh needs.
class State_item : public QStandardItem
{
    Q_DECLARE_TR_FUNCTIONS(State_item)
public:
    // A fixed-text item (names, units, group titles).
    explicit State_item(const QString &text);
    explicit State_item(const TStateItemDesc &desc);

    QVariant data(int role = Qt::UserRole + 1) const override;
    enum class EChange { None, Changed, Longer };
    // Repaints the cell when its text is not the one last shown; Longer when the new text has
    // more characters, and so may need a wider column.
    EChange repaintIfChanged();

private:
    QVariant number(bool isFloat, float real, uint32_t integer) const;

    EStateKind m_kind = STATE_NUMBER;
    const uint8_t *m_value = nullptr;
    const bool *m_valid = nullptr;
    QString m_onText;
    QString m_offText;
    QString m_noDataText;
    uint16_t m_size = 0;
    QString m_unit;
    int m_decimals = -1;
    uint8_t m_type = 1;
    QString m_text;
    QVariant m_shown;
};
