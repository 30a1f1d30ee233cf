// Short AVI files made by the test through GStreamer: raw BGR pictures and
// raw 16-bit sound, so that decoding them gives back exactly what went in.
#pragma once

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <cstdint>
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

// Picture or sound `index` of the clip, stamped with its place in time.
inline GstBuffer* clipBuffer(const VideoLayout& v, bool picture, int index) {
    std::string bytes;
    if (picture) {
        // BGR rows, padded to 4 bytes as raw AVI stores them.
        size_t stride = (static_cast<size_t>(v.width) * 3 + 3) / 4 * 4;
        for (int y = 0; y < v.height; ++y) {
            Rgb c = y < v.height / 2 ? topColour(index) : bottomColour();
            std::string row;
            for (int x = 0; x < v.width; ++x) row += {char(c.b), char(c.g), char(c.r)};
            row.resize(stride, '\0');
            bytes += row;
        }
    } else {
        // 22050 / fps stereo frames of one level.
        std::vector<int16_t> samples(static_cast<size_t>(22050 / v.framesPerSecond) * 2,
                                     v.soundLevel);
        bytes.assign(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
    }
    GstBuffer* buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(index, GST_SECOND, v.framesPerSecond);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(1, GST_SECOND, v.framesPerSecond);
    return buffer;
}

// Writes the AVI; false when GStreamer refused.
inline bool writeVideo(const std::string& path, const VideoLayout& v) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
    std::string description = "avimux name=mux ! filesink name=out";
    if (v.pictures) {
        description += " appsrc name=pictures format=time caps=video/x-raw,format=BGR,width=" +
                       std::to_string(v.width) + ",height=" + std::to_string(v.height) +
                       ",framerate=" + std::to_string(v.framesPerSecond) + "/1 ! mux.video_0";
    }
    if (v.soundLevel != 0) {
        description +=
            " appsrc name=sound format=time "
            "caps=audio/x-raw,format=S16LE,layout=interleaved,rate=22050,channels=2 ! mux.audio_0";
    }
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline) return false;
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    g_object_set(out, "location", path.c_str(), nullptr);
    gst_object_unref(out);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    for (const char* name : {"pictures", "sound"}) {
        GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), name);
        if (!source) continue;
        for (int i = 0; i < v.frames; ++i) {
            gst_app_src_push_buffer(GST_APP_SRC(source), clipBuffer(v, name[0] == 'p', i));
        }
        gst_app_src_end_of_stream(GST_APP_SRC(source));
        gst_object_unref(source);
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* done = gst_bus_timed_pop_filtered(
        bus, 20 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    bool ok = done && GST_MESSAGE_TYPE(done) == GST_MESSAGE_EOS;
    if (done) gst_message_unref(done);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

}  // namespace vorlan::test
