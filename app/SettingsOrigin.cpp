#include "app/SettingsOrigin.h"

#include <QCoreApplication>
#include <QFileInfo>

SettingsOrigin SettingsOrigin::fromTerminal(const QString &terminal, bool identified, quint64 session, int missing)
{
    SettingsOrigin origin;
    origin.m_kind = EKind::Terminal;
    origin.m_name = terminal;
    origin.m_identified = identified;
    origin.m_session = session;
    origin.m_missing = missing;
    origin.m_when = QDateTime::currentDateTime();
    return origin;
}

SettingsOrigin SettingsOrigin::fromFile(const QString &path, int missing)
{
    SettingsOrigin origin;
    origin.m_kind = EKind::File;
    origin.m_name = path;
    origin.m_missing = missing;
    origin.m_when = QDateTime::currentDateTime();
    return origin;
}

QString SettingsOrigin::describe() const
{
    const QString time = m_when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    QString text;
    switch (m_kind) {
    case EKind::None:
        return QCoreApplication::translate("SettingsOrigin", "Настройки: не считаны из устройства и не загружены из файла");
    case EKind::Terminal:
        text = QCoreApplication::translate("SettingsOrigin", "Настройки: считаны из %1 в %2").arg(m_name, time);
        break;
    case EKind::File:
        text = QCoreApplication::translate("SettingsOrigin", "Настройки: из файла %1 (%2)")
                   .arg(QFileInfo(m_name).fileName(), time);
        break;
    }
    if (m_missing > 0)
        text += QCoreApplication::translate("SettingsOrigin", ", не хватало %1 настроек").arg(m_missing);
    return text;
}

bool SettingsOrigin::needsConsentFor(const QString &terminal, bool identified, quint64 session) const
{
    // A file is a template written on purpose; settings typed by hand belong to no terminal.
    if (m_kind != EKind::Terminal)
        return false;
    if (session == m_session)
        return false;
    return !(identified && m_identified && terminal == m_name);
}
