// Vorlan networking: an HTTP download into a file, and sessions in which
// game instances exchange text messages through a host's relay.
#pragma once

#include <vorlan/rt_string.h>

namespace vorlan {

// --- HTTP download ---------------------------------------------------------

// Fetches http://host:port/path with one HTTP/1.0 GET and stores the body
// (of any status, error pages too) in fileName. The port is truncated and
// its low 16 bits used. Gives 1 when the server closed the connection after
// a complete response, else 0; a failed download leaves an existing file
// untouched. A response header over 64 KiB fails the download. Blocks the
// caller: at most 15 s to connect, at most 30 s of silence from the server,
// and at most 5 minutes for the whole download; past any of them it gives 0.
double httpDownload(const RtString& host, const RtString& path, double port,
                    const RtString& fileName);

// --- Sessions --------------------------------------------------------------
// Ids cross as texts holding a whole number. A port of 0 or less is 26000.
// One session at a time: hosting or joining ends the last one. A game in
// a session turns off the pause on focus loss (setAutoPause(0)): paused,
// it draws no frames and reads and sends no messages while its window is
// in the background.

// Hosts a session: listens on the port and joins it over loopback. 1 when
// it hosts; 0 when the port cannot be listened on (another program has it,
// for example) or the loopback join fails.
double hostSession(double port);
// Joins the session of host ("" is this machine); 1 once the host answered,
// 0 when it cannot be reached or does not answer.
double joinSession(const RtString& host, double port);
// Registers a player of this instance; its id, or "-1".
RtString createPlayer(const RtString& name);
// Sends text (at most 1024 bytes) from sender to receiver ("0": everybody
// but the sender); 1 when sent, else 0. The sender must be a player this
// instance created: the host drops a message in another player's name.
double sendMessage(const RtString& sender, const RtString& receiver, const RtString& text);
// The oldest message for a player of this instance, or "". Each player
// keeps at most 16384 unread messages; newer ones are dropped, and the first
// drop for a player is reported on standard error and in the log.
// Calling getMessage every frame until it gives "" keeps the queue short.
RtString getMessage(const RtString& player);
// The sender of the last message getMessage gave.
RtString lastSender();
// Game players in the session; 0 when the host does not answer.
double countPlayers();
// Id of the game player at a 0-based index in registration order; "0" when
// the host has no player at that index, and the index itself as text (such
// as "3") when the host does not answer.
RtString playerIdAt(double index);
// A player's name, or "NO_DATA".
RtString playerName(const RtString& player);
// This machine's IPv4 addresses separated by "|".
RtString localAddresses();

}  // namespace vorlan
