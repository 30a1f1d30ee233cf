#include "gfx2d/offscreen_surface.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <vorlan/app.h>

#include "gfx2d/gl_extensions.h"
#include "gfx2d/gl_scopes.h"
#include "gfx2d/sprite_store.h"
#include "platform/window.h"

namespace vorlan {

namespace {

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture2D;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;
    PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
    PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers;
    PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
};

template <typename Call>
bool fetched(Call& call, void* entry) {
    call = reinterpret_cast<Call>(entry);
    return call != nullptr;
}

// False unless every call is there.
bool framebufferCalls(FramebufferCalls& c) {
    const GLExtensionEntryPoints& e = glExtensions;
    return fetched(c.genFramebuffers, e.genFramebuffers) &&
           fetched(c.bindFramebuffer, e.bindFramebuffer) &&
           fetched(c.deleteFramebuffers, e.deleteFramebuffers) &&
           fetched(c.framebufferTexture2D, e.framebufferTexture2D) &&
           fetched(c.checkFramebufferStatus, e.checkFramebufferStatus) &&
           fetched(c.genRenderbuffers, e.genRenderbuffers) &&
           fetched(c.bindRenderbuffer, e.bindRenderbuffer) &&
           fetched(c.deleteRenderbuffers, e.deleteRenderbuffers) &&
           fetched(c.renderbufferStorage, e.renderbufferStorage) &&
           fetched(c.framebufferRenderbuffer, e.framebufferRenderbuffer);
}

}  // namespace

bool OffscreenSurface::create(int32_t width, int32_t height) {
    destroy();
    FramebufferCalls c;
    if (width <= 0 || height <= 0 || !framebufferCalls(c)) return false;
    bool anySize = hasExtension("GL_ARB_texture_non_power_of_two");
    int32_t textureWidth = anySize ? width : powerOfTwoAbove(width, 1);
    int32_t textureHeight = anySize ? height : powerOfTwoAbove(height, 1);
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (textureWidth <= 0 || textureHeight <= 0 || textureWidth > largest ||
        textureHeight > largest) {
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    {
        // The surface is as opaque as the window it stands for: no alpha, so
        // grabs of it read alpha 1 as grabs of the window do.
        TextureBindingScope keepBinding;
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth, textureHeight, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    bool packed =
        hasExtension("GL_EXT_packed_depth_stencil") || hasExtension("GL_ARB_framebuffer_object");
    c.genRenderbuffers(1, &depthStencil_);
    c.bindRenderbuffer(GL_RENDERBUFFER_EXT, depthStencil_);
    c.renderbufferStorage(GL_RENDERBUFFER_EXT,
                          packed ? GL_DEPTH24_STENCIL8_EXT : GL_DEPTH_COMPONENT24, textureWidth,
                          textureHeight);
    c.bindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
    c.genFramebuffers(1, &framebuffer_);
    c.bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer_);
    c.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture_,
                           0);
    c.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                              depthStencil_);
    if (packed) {
        c.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT,
                                  GL_RENDERBUFFER_EXT, depthStencil_);
    }
    bool complete = c.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT &&
                    glGetError() == GL_NO_ERROR;
    if (!complete) {
        destroy();
        return false;
    }
    width_ = width;
    height_ = height;
    textureWidth_ = textureWidth;
    textureHeight_ = textureHeight;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return true;
}

void OffscreenSurface::destroy() {
    FramebufferCalls c;
    if (framebufferCalls(c)) {
        c.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
        if (framebuffer_) c.deleteFramebuffers(1, &framebuffer_);
        if (depthStencil_) c.deleteRenderbuffers(1, &depthStencil_);
    }
    if (texture_) glDeleteTextures(1, &texture_);
    framebuffer_ = texture_ = depthStencil_ = 0;
    width_ = height_ = textureWidth_ = textureHeight_ = 0;
    pixels_ = {};
}

bool OffscreenSurface::copyTo(const PixelRect& picture) {
    if (!made()) return false;
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
    {
        PixelStoreScope tightRows;
        glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels_.data());
    }
    return platform::showPixels(pixels_.data(), width_, height_,
                                {picture.x, picture.y, picture.width, picture.height});
}

void OffscreenSurface::showIn(int32_t drawableWidth, int32_t drawableHeight,
                              const PixelRect& picture) {
    FramebufferCalls c;
    if (!made() || !framebufferCalls(c)) return;
    c.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT | GL_TEXTURE_BIT |
                 GL_CURRENT_BIT | GL_SCISSOR_BIT | GL_TRANSFORM_BIT);
    for (GLenum cap :
         {GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_CULL_FACE,
          GL_LIGHTING, GL_FOG, GL_DITHER, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL}) {
        glDisable(cap);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    bool covered = picture.x == 0 && picture.y == 0 && picture.width == drawableWidth &&
                   picture.height == drawableHeight;
    if (!covered) {
        glViewport(0, 0, drawableWidth, drawableHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glViewport(picture.x, drawableHeight - picture.y - picture.height, picture.width,
               picture.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (auto activeTexture =
            reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(glExtensions.activeTexture)) {
        activeTexture(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        activeTexture(GL_TEXTURE0_ARB);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float s = static_cast<float>(width_) / static_cast<float>(textureWidth_);
    float t = static_cast<float>(height_) / static_cast<float>(textureHeight_);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(s, 0);
    glVertex2f(1, -1);
    glTexCoord2f(s, t);
    glVertex2f(1, 1);
    glTexCoord2f(0, t);
    glVertex2f(-1, 1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    c.bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer_);
}

}  // namespace vorlan
