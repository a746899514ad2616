#pragma once

#include "app/ViewsContext.h"

#include <QCoreApplication>

// The three settings trees. Every row carries editors bound straight into SettingsStorage;
// the models hold no data. Each editor re-reads the storage on the window's
// update_set_views() signal. Row counts follow the capability counts as they stand.
class SettingsViews
{
    Q_DECLARE_TR_FUNCTIONS(SettingsViews)
public:
    // Dynamic property of each editor: the key of the field it edits (as SettingsDiff names it).
    static constexpr const char *FIELD_KEY = "settingKey";

    // Servers, the CSD connection and the SIM cards. Each server's connection type combo
    // (servers 1 to 7) calls the window's check_server_count(int) after it stores.
    static void build_connection_view(const TViewsContext &ctx);
    // PIN access and the authorised phones.
    static void build_security_view(const TViewsContext &ctx);
    // RS-232 and RS-485 interfaces, multifunction inputs and 1-Wire sensors. Builds a new
    // model each time, so it also serves to refresh the view after a download.
    static void build_sensors_view(const TViewsContext &ctx);
};
