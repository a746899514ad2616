#pragma once

#include <QByteArray>
#include <QString>

// Texts as the terminal keeps them: Windows-1251, one byte per character. Converted by a
// table of its own rather than Qt's codecs, which bring in ICU (megabytes of memory and
// start-up time) for this one code page.
class TerminalText
{
public:
    static QString decode(const QByteArray &bytes);
    // A character the code page lacks becomes '?'.
    static QByteArray encode(const QString &text);
};
