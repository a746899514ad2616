#include "cli/TextTable.h"

#include <QVector>

namespace {

constexpr int COLUMN_GAP = 2;

// Cells are single lines: a line break inside one would tear the table apart.
QString oneLine(QString cell)
{
    cell.replace(QLatin1Char('\r'), QLatin1Char(' '));
    cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return cell;
}

} // namespace

TextTable::TextTable(const QStringList &header)
{
    m_rows.append(header);
}

void TextTable::addRow(const QStringList &cells)
{
    QStringList row;
    row.reserve(cells.size());
    for (const QString &cell : cells)
        row.append(oneLine(cell));
    m_rows.append(row);
}

QString TextTable::toString() const
{
    int columns = 0;
    for (const QStringList &row : m_rows)
        columns = qMax(columns, int(row.size()));
    QVector<int> widths(columns, 0);
    for (const QStringList &row : m_rows) {
        for (int c = 0; c < row.size(); ++c)
            widths[c] = qMax(widths[c], int(row[c].size()));
    }

    QString text;
    for (const QStringList &row : m_rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            const bool last = c == row.size() - 1;
            line += last ? row[c] : row[c].leftJustified(widths[c] + COLUMN_GAP);
        }
        // Trailing blanks of short rows would only get in the way of scripts.
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}
