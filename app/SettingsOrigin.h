#pragma once

#include <QDateTime>
#include <QString>

// Where the settings in the editors came from: a terminal (which, in which session, when), a
// settings file, or nowhere yet. Writing settings read from one terminal into another is
// legitimate (copying a configuration) but must never happen unnoticed.
class SettingsOrigin
{
public:
    enum class EKind { None, Terminal, File };

    // terminal: its relay id, or its IMEI over USB; identified: the name tells one terminal
    // from another (a USB terminal whose IMEI was not read is not).
    static SettingsOrigin fromTerminal(const QString &terminal, bool identified, quint64 session, int missing);
    static SettingsOrigin fromFile(const QString &path, int missing);

    EKind kind() const { return m_kind; }
    QString terminal() const { return m_name; }
    QDateTime when() const { return m_when; }
    // The line above the settings trees.
    QString describe() const;
    // Whether writing into this terminal of this session needs the operator's consent.
    bool needsConsentFor(const QString &terminal, bool identified, quint64 session) const;

private:
    EKind m_kind = EKind::None;
    QString m_name; // terminal name or file path
    bool m_identified = false;
    quint64 m_session = 0;
    int m_missing = 0;
    QDateTime m_when;
};
