#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A plain text table: columns padded to their widest cell, the last one left ragged.
class TextTable
{
public:
    explicit TextTable(const QStringList &header);

    void addRow(const QStringList &cells);
    int rowCount() const { return int(m_rows.size()) - 1; }
    // Every line ends with a line feed.
    QString toString() const;

private:
    QList<QStringList> m_rows;
};
