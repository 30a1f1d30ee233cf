#include "platform/video_decoder.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/pbutils/missing-plugins.h>

#include <cstring>
#include <string>

#include "platform/audio_device.h"
#include "platform/video_sound.h"

namespace vorlan::platform {

struct VideoDecoder {
    GstElement* pipeline = nullptr;
    GstAppSink* pictures = nullptr;  // null for a file with sound only
    bool sound = false;
    int width = 0;
    int height = 0;
    // The last frame handed out, mapped until the next one is asked for:
    // the pictures go from GStreamer's buffer to the texture uncopied.
    GstSample* shown = nullptr;
    GstMapInfo shownMap{};
    bool ended = false;
};

namespace {

constexpr GstClockTime kPrerollTimeout = 10 * GST_SECOND;

bool startGStreamer() {
    static bool started = gst_init_check(nullptr, nullptr, nullptr) != FALSE;
    return started;
}

GstElement* makeElement(GstBin* bin, const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (element) gst_bin_add(bin, element);
    return element;
}

GstAppSink* makeSink(GstBin* bin, const char* caps) {
    GstElement* sink = makeElement(bin, "appsink");
    if (!sink) return nullptr;
    GstCaps* wanted = gst_caps_from_string(caps);
    // On the clock, so that frames and sound come out at their own pace.
    g_object_set(sink, "caps", wanted, "sync", TRUE, "max-buffers", 2, nullptr);
    gst_caps_unref(wanted);
    return GST_APP_SINK(sink);
}

GstFlowReturn queueSound(GstAppSink* sink, gpointer) {
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample) return GST_FLOW_EOS;
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        queueVideoSound(reinterpret_cast<const int16_t*>(map.data),
                        map.size / (sizeof(int16_t) * kDeviceChannels));
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

// Links a converter chain ending in `sink` to a new decoded pad.
bool linkChain(GstPad* pad, std::initializer_list<GstElement*> chain) {
    GstElement* previous = nullptr;
    for (GstElement* element : chain) {
        if (!element) return false;
        if (previous && !gst_element_link(previous, element)) return false;
        previous = element;
    }
    for (GstElement* element : chain) gst_element_sync_state_with_parent(element);
    GstPad* input = gst_element_get_static_pad(*chain.begin(), "sink");
    bool linked = gst_pad_link(pad, input) == GST_PAD_LINK_OK;
    gst_object_unref(input);
    return linked;
}

// Runs on a streaming thread while the file prerolls.
void addBranch(GstElement*, GstPad* pad, gpointer data) {
    auto* video = static_cast<VideoDecoder*>(data);
    GstBin* bin = GST_BIN(video->pipeline);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) caps = gst_pad_query_caps(pad, nullptr);
    const char* kind = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    if (std::strncmp(kind, "video/", 6) == 0 && !video->pictures) {
        GstAppSink* sink = makeSink(bin, "video/x-raw,format=RGBA");
        if (linkChain(pad, {makeElement(bin, "videoconvert"), GST_ELEMENT(sink)})) {
            video->pictures = sink;
        }
    } else if (std::strncmp(kind, "audio/", 6) == 0 && !video->sound) {
        GstAppSink* sink =
            makeSink(bin, "audio/x-raw,format=S16LE,layout=interleaved,rate=22050,channels=2");
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = queueSound;
        if (sink) gst_app_sink_set_callbacks(sink, &callbacks, nullptr, nullptr);
        video->sound = linkChain(pad, {makeElement(bin, "audioconvert"),
                                       makeElement(bin, "audioresample"), GST_ELEMENT(sink)});
    }
    gst_caps_unref(caps);
}

void releaseShown(VideoDecoder& video) {
    if (!video.shown) return;
    gst_buffer_unmap(gst_sample_get_buffer(video.shown), &video.shownMap);
    gst_sample_unref(video.shown);
    video.shown = nullptr;
}

// False when no picture came: a stream whose decoder never gives one must
// not hold the caller for ever.
bool readPictureSize(VideoDecoder& video) {
    GstSample* preroll = gst_app_sink_try_pull_preroll(video.pictures, kPrerollTimeout);
    if (!preroll) return false;
    GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(preroll), 0);
    gst_structure_get_int(s, "width", &video.width);
    gst_structure_get_int(s, "height", &video.height);
    if (video.width <= 0 || video.height <= 0) video.width = video.height = 0;
    gst_sample_unref(preroll);
    return true;
}

// What the bus says about a failed or partial preroll: the decoders that
// are missing, else the first error.
std::string prerollTrouble(GstElement* pipeline, bool failed) {
    std::string missing;
    std::string error;
    GstBus* bus = gst_element_get_bus(pipeline);
    // A failed preroll may return before its error reaches the bus: up to
    // a second more for it.
    GstClockTime until = gst_util_get_timestamp() + (failed ? GST_SECOND : 0);
    for (;;) {
        GstClockTime now = gst_util_get_timestamp();
        GstMessage* message =
            gst_bus_timed_pop(bus, error.empty() && now < until ? until - now : 0);
        if (!message) break;
        if (gst_is_missing_plugin_message(message)) {
            gchar* description = gst_missing_plugin_message_get_description(message);
            missing += (missing.empty() ? "" : ", ") + std::string(description ? description : "");
            g_free(description);
        } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && error.empty()) {
            GError* gerror = nullptr;
            gst_message_parse_error(message, &gerror, nullptr);
            error = gerror && gerror->message ? gerror->message : "unknown error";
            g_clear_error(&gerror);
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (!missing.empty()) return "no installed decoder for " + missing;
    return error.empty() ? "" : "GStreamer: " + error;
}

}  // namespace

VideoDecoder* openVideo(const char* path, std::string* why) {
    if (!startGStreamer()) {
        if (why) *why = "GStreamer cannot start";
        return nullptr;
    }
    auto* video = new VideoDecoder;
    video->pipeline = gst_pipeline_new(nullptr);
    GstElement* source = makeElement(GST_BIN(video->pipeline), "filesrc");
    GstElement* decoder = makeElement(GST_BIN(video->pipeline), "decodebin");
    if (!source || !decoder || !gst_element_link(source, decoder)) {
        closeVideo(video);
        return nullptr;
    }
    g_object_set(source, "location", path, nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(addBranch), video);
    gst_element_set_state(video->pipeline, GST_STATE_PAUSED);
    GstStateChangeReturn state =
        gst_element_get_state(video->pipeline, nullptr, nullptr, kPrerollTimeout);
    bool failed = state == GST_STATE_CHANGE_FAILURE || state == GST_STATE_CHANGE_ASYNC ||
                  (!video->pictures && !video->sound);
    std::string trouble = prerollTrouble(video->pipeline, failed);
    if (failed) {
        if (why) {
            *why = !trouble.empty()                    ? trouble
                   : state == GST_STATE_CHANGE_ASYNC   ? "it did not start within 10 s"
                   : state == GST_STATE_CHANGE_FAILURE ? "GStreamer cannot read it"
                                                       : "no pictures or sound in it";
        }
        closeVideo(video);
        return nullptr;
    }
    if (why) *why = trouble;
    if (video->pictures && !readPictureSize(*video)) {
        if (why) *why = "its pictures did not start within 10 s";
        closeVideo(video);
        return nullptr;
    }
    return video;
}

void closeVideo(VideoDecoder* video) {
    if (!video) return;
    releaseShown(*video);
    if (video->pipeline) {
        gst_element_set_state(video->pipeline, GST_STATE_NULL);
        gst_object_unref(video->pipeline);
    }
    delete video;
}

void videoSize(const VideoDecoder* video, int& width, int& height) {
    width = video ? video->width : 0;
    height = video ? video->height : 0;
}

bool startVideo(VideoDecoder* video) {
    return gst_element_set_state(video->pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool rewindVideo(VideoDecoder* video) {
    video->ended = false;
    return gst_element_seek_simple(
               video->pipeline, GST_FORMAT_TIME,
               static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), 0) != FALSE;
}

const uint8_t* nextVideoFrame(VideoDecoder* video, double timeoutMs) {
    auto timeout = static_cast<GstClockTime>(timeoutMs * GST_MSECOND);
    if (!video->pictures || video->width == 0) {
        g_usleep(static_cast<gulong>(timeoutMs * 1000));
        return nullptr;
    }
    GstSample* sample = gst_app_sink_try_pull_sample(video->pictures, timeout);
    if (!sample) {
        // Past the last picture the sink answers at once: wait here all the
        // same, or the caller spins until the end is reported.
        if (gst_app_sink_is_eos(video->pictures)) g_usleep(static_cast<gulong>(timeoutMs * 1000));
        return nullptr;
    }
    releaseShown(*video);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    size_t bytes = static_cast<size_t>(video->width) * static_cast<size_t>(video->height) * 4;
    // RGBA rows are packed: the stride of 4-byte pixels is already aligned.
    // A frame of another size (a caps change) is skipped.
    if (!buffer || !gst_buffer_map(buffer, &video->shownMap, GST_MAP_READ)) {
        gst_sample_unref(sample);
        return nullptr;
    }
    video->shown = sample;
    return video->shownMap.size >= bytes ? video->shownMap.data : nullptr;
}

VideoState videoState(VideoDecoder* video) {
    GstBus* bus = gst_element_get_bus(video->pipeline);
    VideoState state = video->ended ? VideoState::Ended : VideoState::Playing;
    while (GstMessage* message = gst_bus_pop_filtered(
               bus, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            state = VideoState::Failed;
        } else if (state != VideoState::Failed) {
            state = VideoState::Ended;
            video->ended = true;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    // The end is reached once the frames still queued have been taken.
    if (state == VideoState::Ended && video->pictures && !gst_app_sink_is_eos(video->pictures)) {
        return VideoState::Playing;
    }
    return state;
}

}  // namespace vorlan::platform
