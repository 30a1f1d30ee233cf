// Limits of httpDownload that the runtime keeps apart from its API, so that
// tests can shorten them.
#pragma once

namespace vorlan {

struct HttpTimeouts {
    double connectMs = 15000;
    // Longest silence of the server, while sending and while receiving.
    double idleMs = 30000;
    // Longest whole download, connecting included: a server that trickles
    // a byte now and then cannot hold the caller for ever.
    double totalMs = 300000;
};

extern HttpTimeouts httpTimeouts;

}  // namespace vorlan
