#include "model/TerminalText.h"

#include "model/ModelLog.h"

#include <QTextCodec>

QTextCodec *TerminalText::codec()
{
    static QTextCodec *const found = [] {
        QTextCodec *c = QTextCodec::codecForName("Windows-1251");
        if (!c)
            qCWarning(lcModel) << "[TerminalText] WARNING no Windows-1251 codec, texts are read as Latin-1";
        return c;
    }();
    return found;
}

QString TerminalText::decode(const QByteArray &bytes)
{
    return codec() ? codec()->toUnicode(bytes) : QString::fromLatin1(bytes);
}

QByteArray TerminalText::encode(const QString &text)
{
    return codec() ? codec()->fromUnicode(text) : text.toLatin1();
}
