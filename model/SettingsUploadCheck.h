#pragma once

#include <QString>

// Why the settings in SettingsStorage must not be written to a terminal, as the text the
// operator sees; empty when they may. Settings never read nor loaded have an empty access
// PIN, and a PIN of other than four digits would lock the operator out of the terminal.
QString settingsUploadRefusal();
