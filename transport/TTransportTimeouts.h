#pragma once

// Time limits of the links. Production uses the defaults; tests shorten them.
struct TTransportTimeouts {
    int serverConnectMs = 1000; // connecting to the relay server
    int socketWaitMs = 5000;    // each TCP connect or write wait
    int relayAnswerMs = 10000;  // for the device list or the connect result to arrive
};
