#pragma once

// Time limits of the session. Production uses the defaults; tests shorten them.
struct TSessionTimeouts {
    int replyMs = 10000;     // a terminal's answer to a request, a command or a chunk
    int fileReplyMs = 15000; // a terminal's answer to a file read
};
