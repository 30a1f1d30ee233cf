// Short AVI files made by the test through GStreamer: raw BGR pictures and
// raw 16-bit sound, so that decoding them gives back exactly what went in.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vorlan::test {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

struct VideoLayout {
    int width = 16;
    int height = 16;
    int frames = 5;
    int framesPerSecond = 10;
    bool pictures = true;
    int16_t soundLevel = 0;  // 0: no sound track
};

// Frame i: the top half changes with i, the bottom half stays put.
inline Rgb topColour(int frame) {
    return {static_cast<uint8_t>(40 + 30 * frame), 200, 60};
}
inline Rgb bottomColour() {
    return {10, 30, 220};
}

// Writes the AVI from raw files beside it; false when GStreamer refused.
inline bool writeVideo(const std::string& path, const VideoLayout& v) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
    std::ofstream pictures(path + ".bgr", std::ios::binary);
    std::ofstream sound(path + ".pcm", std::ios::binary);
    for (int i = 0; i < v.frames; ++i) {
        // BGR rows, padded to 4 bytes as raw AVI stores them.
        for (int y = 0; y < v.height; ++y) {
            Rgb c = y < v.height / 2 ? topColour(i) : bottomColour();
            std::string row;
            for (int x = 0; x < v.width; ++x) row += {char(c.b), char(c.g), char(c.r)};
            row.resize((row.size() + 3) / 4 * 4, '\0');
            pictures << row;
        }
        std::vector<int16_t> samples(static_cast<size_t>(22050 / v.framesPerSecond) * 2,
                                     v.soundLevel);
        sound.write(reinterpret_cast<const char*>(samples.data()),
                    static_cast<std::streamsize>(samples.size() * 2));
    }
    pictures.close();
    sound.close();
    std::string description = "avimux name=mux ! filesink location=\"" + path + "\"";
    if (v.pictures) {
        description += " filesrc location=\"" + path +
                       ".bgr\" ! rawvideoparse format=bgr width=" + std::to_string(v.width) +
                       " height=" + std::to_string(v.height) +
                       " framerate=" + std::to_string(v.framesPerSecond) + "/1 ! mux.video_0";
    }
    if (v.soundLevel != 0) {
        description += " filesrc location=\"" + path +
                       ".pcm\" ! rawaudioparse format=pcm pcm-format=s16le sample-rate=22050 "
                       "num-channels=2 ! mux.audio_0";
    }
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline) return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* done = gst_bus_timed_pop_filtered(
        bus, 20 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    bool ok = done && GST_MESSAGE_TYPE(done) == GST_MESSAGE_EOS;
    if (done) gst_message_unref(done);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    std::remove((path + ".bgr").c_str());
    std::remove((path + ".pcm").c_str());
    return ok;
}

}  // namespace vorlan::test
