#pragma once

#include <QString>
#include <QStringList>

// The language of the window and of trivox-cli: Russian (the texts as written) or English.
class InterfaceLanguage
{
public:
    static constexpr const char *RUSSIAN = "ru";
    static constexpr const char *ENGLISH = "en";
    // Where the window remembers the user's choice.
    static constexpr const char *SETTINGS_KEY = "interface/language";

    static bool isKnown(const QString &code);
    // Russian for a Russian system, English for any other.
    static QString fromUiLanguages(const QStringList &uiLanguages);
    // The language asked for on the command line, else the one the user chose, else the system's.
    static QString choose(const QString &asked, const QString &remembered, const QStringList &uiLanguages);
    // The system's preferred languages, as the locale settings give them.
    static QStringList systemUiLanguages();
    // Puts the program's and Qt's own translations for the language into the application.
    static void install(const QString &code);
    // The language installed last; Russian, the language the texts are written in, before.
    static QString current();
};
