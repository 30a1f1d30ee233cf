// A chat between two windows over a hosted session: start the program twice.
// The first copy hosts on port 26000; the second finds the port taken and
// joins it. Type a line and press Enter to send it to the other window.
#include <vorlan/vorlan.h>

#include <deque>

using namespace vorlan;

namespace {

constexpr double kPort = 26000;
constexpr size_t kShownLines = 26;

}  // namespace

void vorlan::configureRuntime(RuntimeSettings& settings) {
    settings.title = "Chat";
}

void vorlan::gameMain() {
    // A paused window would stop reading and sending while the other one
    // has the focus.
    setAutoPause(0);
    loadFont("", 0);
    bool hosting = hostSession(kPort) == 1;
    std::deque<RtString> history;
    if (hosting) {
        history.push_back("Hosting on port 26000: start me again.");
    } else if (joinSession("", kPort) == 1) {
        history.push_back("Joined the session on this machine.");
    } else {
        history.push_back("No session to join: Escape quits.");
    }
    RtString me = createPlayer(hosting ? "host" : "guest");
    RtString typed;
    for (;;) {
        RtString key = readKeyChar();
        if (key == "\n" && typed.length() > 0) {
            if (sendMessage(me, "0", typed) == 0) history.push_back("(not sent)");
            history.push_back("me: " + typed);
            typed = "";
        } else if (key == "\b") {
            typed = midText(typed, 0, textLength(typed) - 1);
        } else if (characterCode(key) >= 32 || characterCode(key) < 0) {
            typed += key;
        }
        // Everything that arrived since the last frame, oldest first.
        for (RtString text = getMessage(me); text != ""; text = getMessage(me)) {
            history.push_back(playerName(lastSender()) + ": " + text);
        }
        while (history.size() > kShownLines) history.pop_front();

        clearScreen();
        for (size_t line = 0; line < history.size(); ++line) {
            printText(history[line], 4, 4 + 8.0 * line);
        }
        fillRect(0, 222, 320, 18, 0x402010);
        printText("> " + typed + "_", 4, 227);
        presentFrame();  // Escape quits
    }
}
