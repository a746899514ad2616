#include "editors/line_edit_widget.h"

#include "model/TerminalText.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegExpValidator>

#include <cstring>

namespace {

// Cuts an input mask down to `positions` character positions, keeping its ";blank" suffix.
// A mask sets the line edit's length by itself, so this is the only way to keep the entry
// within the field. Counting follows QLineEdit: case modifiers and brackets take no
// position, an escaped character takes one.
QString limitMask(const QString &mask, int positions)
{
    const int delimiter = mask.indexOf(QLatin1Char(';'));
    const QString body = delimiter < 0 ? mask : mask.left(delimiter);
    const QString suffix = delimiter < 0 ? QString() : mask.mid(delimiter);
    static const QString noPosition = QStringLiteral("!<>{}[]");

    int used = 0;
    int i = 0;
    while (i < body.size() && used < positions) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('\\') && i + 1 < body.size()) {
            i += 2;
            ++used;
        } else {
            ++i;
            if (!noPosition.contains(c))
                ++used;
        }
    }
    return body.left(i) + suffix;
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

line_edit_widget::line_edit_widget(TLineEditDesc desc, QWidget *parent)
    : QWidget(parent), m_desc(std::move(desc))
{
    if (m_desc.size < 0)
        m_desc.size = 0;
    if (!m_desc.value || m_desc.size == 0)
        qWarning() << "[line_edit_widget] WARNING no field bound to" << m_desc.label;

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(2);
    layout->setContentsMargins(2, 0, 2, 0);

    m_label = new QLabel(m_desc.label, this);
    m_label->setToolTip(m_desc.tooltip);
    m_label->setMinimumWidth(8 * m_desc.label.size());
    layout->addWidget(m_label);
    layout->addStretch(0);

    m_edit = new QLineEdit(this);
    m_edit->setToolTip(m_desc.tooltip);
    m_edit->setMinimumWidth(7 * m_desc.size);
    const int capacity = m_desc.mode == LINE_EDIT_HEX ? m_desc.size * 2 : m_desc.size;
    m_edit->setMaxLength(capacity);
    if (!m_desc.regexp.isEmpty())
        m_edit->setValidator(new QRegExpValidator(QRegExp(m_desc.regexp, Qt::CaseSensitive), m_edit));
    if (!m_desc.inputMask.isEmpty())
        m_edit->setInputMask(limitMask(m_desc.inputMask, capacity));
    layout->addWidget(m_edit);

    connect(m_edit, &QLineEdit::textChanged, this, &line_edit_widget::Update_setting);

    Get_data();
}

void line_edit_widget::Set_editable(bool editable)
{
    m_edit->setReadOnly(!editable);
}

void line_edit_widget::Get_data()
{
    if (!m_desc.value)
        return;
    const char *bytes = reinterpret_cast<const char *>(m_desc.value);
    QString text;
    if (m_desc.mode == LINE_EDIT_HEX) {
        QByteArray reversed(m_desc.size, '\0');
        for (int k = 0; k < m_desc.size; ++k)
            reversed[k] = bytes[m_desc.size - 1 - k];
        text = QString::fromLatin1(reversed.toHex());
    } else {
        // The text ends at its first zero byte: the zeros that pad the field are no characters
        // the operator could see or type over, and shown they would fill the field to its end.
        text = TerminalText::decode(QByteArray(bytes, int(qstrnlen(bytes, size_t(m_desc.size)))));
    }
    // Showing the field must not rewrite it: a mask may drop or add characters, and the
    // field keeps what it holds until the user edits it.
    m_loading = true;
    m_edit->setText(text);
    m_loading = false;
}

void line_edit_widget::Clear()
{
    if (m_desc.value)
        std::memset(m_desc.value, 0, size_t(m_desc.size));
    Get_data();
}

void line_edit_widget::Update_setting()
{
    if (m_loading || !m_desc.value)
        return;
    const QString text = m_edit->text();

    if (m_desc.mode == LINE_EDIT_HEX) {
        // The text's first pair is the field's last byte; missing or non-hex digits give 0.
        for (int k = 0; k < m_desc.size; ++k) {
            const int pos = 2 * (m_desc.size - 1 - k);
            const int high = pos < text.size() ? hexDigit(text.at(pos)) : -1;
            const int low = pos + 1 < text.size() ? hexDigit(text.at(pos + 1)) : -1;
            m_desc.value[k] = (high < 0 || low < 0) ? 0 : uint8_t(high * 16 + low);
        }
        emit edited();
        return;
    }

    const QByteArray encoded = TerminalText::encode(text);
    std::memset(m_desc.value, 0, size_t(m_desc.size));
    std::memcpy(m_desc.value, encoded.constData(), size_t(qMin(encoded.size(), m_desc.size)));
    emit edited();
}
