#pragma once

#include "session/TerminalFrames.h"

// The debug line of a rejected answer; item names what was read ("parameter", "setting").
void logRejected(const TerminalFrames::ResponseCheck &check, const QByteArray &answer, const char *item, uint8_t size);

// The checks of an answer to a write or a command: type, uuid, result; logged when refused.
bool acknowledged(const QByteArray &answer, uint32_t uuid);
