#pragma once

// Result of finding a terminal; the session compares it as one byte (-1 is 0xFF).
enum EKora_connect_to_dev_res : int {
    CONNECT_OK = 0,
    CONNECT_FAILED = 1,
    CONNECT_NOT_FOUND = 2,
    CONNECT_BUSY = 3,
    CONNECT_NO_ANSWER = -1,
};
