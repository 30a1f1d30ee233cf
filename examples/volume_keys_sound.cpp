// Sound and music with the volume keys: Space plays a beep, + and - change
// the music's volume, shown as a bar. The example writes its own WAV file.
#include <vorlan/vorlan.h>

#include <cmath>

using namespace vorlan;

namespace {

// One second of a 16-bit mono tone at 22050 Hz, written with a file channel.
void writeTone(const RtString& name, double hertz) {
    const double rate = 22050, samples = rate;
    openChannel(0, name, 0);
    writeText(0, "RIFF");
    writeLong(0, 36 + samples * 2);
    writeText(0, "WAVEfmt ");
    writeLong(0, 16);
    writeWord(0, 1);  // PCM
    writeWord(0, 1);  // mono
    writeLong(0, rate);
    writeLong(0, rate * 2);
    writeWord(0, 2);
    writeWord(0, 16);
    writeText(0, "data");
    writeLong(0, samples * 2);
    for (double i = 0; i < samples; ++i) writeWord(0, 8000 * std::sin(i * hertz * 6.2832 / rate));
    closeChannel(0);
}

}  // namespace

void vorlan::gameMain() {
    writeTone("beep.wav", 880);
    writeTone("hum.wav", 110);
    loadSound("beep.wav", 0, 4);
    playMusic("hum.wav");
    double volume = 0.5;
    for (;;) {
        RtString typed = readKeyChar();
        if (typed == " ") playSound(0, 0, 1);
        if (typed == "+" || typed == "=") volume = volume + 0.1 > 1 ? 1 : volume + 0.1;
        if (typed == "-") volume = volume - 0.1 < 0 ? 0 : volume - 0.1;
        setMusicVolume(volume);
        clearScreen();
        fillRect(40, 100, 240, 40, 0x404040);
        fillRect(40, 100, 240 * volume, 40, 0x00C000);
        presentFrame();
    }
}
