#pragma once

#include "app/ViewsContext.h"

#include <QCoreApplication>

// The three read-only state trees of the state page: system, inputs/outputs and network.
// Every value cell reads its field in SettingsStorage when painted, so a refresh only
// repaints. Row counts follow the capability counts as they stand at the build.
class StateViews
{
    Q_DECLARE_TR_FUNCTIONS(StateViews)
public:
    // Dynamic property of the buttons that need a connected terminal.
    static constexpr const char *NEEDS_TERMINAL = "needsTerminal";

    // Models and mappers go to ctx.objectHolder, buttons to ctx.widgetHolder; the output
    // mappers drive the window's setDigitalOutput(int) / resetDigitalOutput(int) signals.
    static void build(const TViewsContext &ctx);
    enum class ERefresh { Changed, Resize };
    // Repaints the cells of the shown tree whose stored values changed; Resize also sizes
    // the value column to its contents (a new tab, a new session).
    static void refresh(const TViewsContext &ctx, ERefresh how = ERefresh::Changed);
};
