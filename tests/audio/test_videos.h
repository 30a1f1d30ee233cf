// Short raw AVI files made through GStreamer: decoding gives back exactly what went in.
#pragma once

#include <gst/gst.h>

#include <cstdio>

#include "support/bytes.h"
#include "support/temp_folder.h"

namespace vorlan::test {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

struct VideoLayout {
    int width = 16, height = 16, frames = 5, framesPerSecond = 10;
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
    std::string pictures, sound;
    for (int i = 0; i < v.frames; ++i) {
        // BGR rows, padded to 4 bytes as raw AVI stores them.
        for (int y = 0; y < v.height; ++y) {
            Rgb c = y < v.height / 2 ? topColour(i) : bottomColour();
            std::string row;
            for (int x = 0; x < v.width; ++x) row += {char(c.b), char(c.g), char(c.r)};
            pictures += row + std::string((4 - row.size() % 4) % 4, '\0');
        }
        for (int s = 0; s < 22050 / v.framesPerSecond * 2; ++s) appendLe(sound, v.soundLevel, 2);
    }
    writeWholeFile(path + ".bgr", pictures);
    writeWholeFile(path + ".pcm", sound);
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
        bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
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
