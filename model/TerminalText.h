#pragma once

#include <QByteArray>
#include <QString>

class QTextCodec;

// Texts as the terminal keeps them: Windows-1251. Without that codec (a stripped-down Qt)
// they are read and written as Latin-1, with a warning once.
class TerminalText
{
public:
    static QTextCodec *codec();
    static QString decode(const QByteArray &bytes);
    static QByteArray encode(const QString &text);
};
