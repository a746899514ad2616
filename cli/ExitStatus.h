#pragma once

// Exit statuses of trivox-cli. Scripts tell the failures apart by them, so the values
// never change; when several terminals fail, the first failure's status is returned.
enum EExitStatus : int {
    EXIT_STATUS_OK = 0,
    EXIT_STATUS_USAGE = 1,      // bad command line, nothing was attempted
    EXIT_STATUS_CONNECTION = 2, // server or terminal unreachable, not found or busy
    EXIT_STATUS_WRONG_PIN = 3,  // the terminal rejected the PIN
    EXIT_STATUS_TRANSFER = 4,   // the terminal was lost, or refused or failed a transfer
    EXIT_STATUS_FILE = 5,       // a file could not be read, written or was not acceptable; a backup failed
    EXIT_STATUS_DIFFERENT = 6,  // diff: the settings differ
};
