#include "gfx2d/gl_extensions.h"

#include <GL/gl.h>
#include <vorlan/app.h>

#include <cstring>
#include <string>

#include "gfx2d/game_window.h"
#include "platform/window.h"

namespace vorlan {

GLExtensionEntryPoints glExtensions;

bool extensionListed(const char* extensions, const char* name) {
    if (!extensions || !name || !*name) return false;
    size_t length = std::strlen(name);
    for (const char* p = std::strstr(extensions, name); p; p = std::strstr(p + 1, name)) {
        bool starts = p == extensions || p[-1] == ' ';
        bool ends = p[length] == '\0' || p[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

bool hasExtension(const char* name) {
    if (!gameWindow || !platform::windowExists()) return false;
    return extensionListed(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

bool isSoftwareRenderer(const char* name) {
    if (!name) return false;
    return std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") ||
           std::strstr(name, "Software Rasterizer") || std::strstr(name, "swrast");
}

void loadExtensionEntryPoints() {
    GLExtensionEntryPoints& e = glExtensions;
    e = GLExtensionEntryPoints{};
    auto fetch = [](const char* name) { return platform::glProcAddress(name); };
    if (hasExtension("GL_ARB_multitexture")) {
        e.activeTexture = fetch("glActiveTextureARB");
        e.multiTexCoord2f = fetch("glMultiTexCoord2fARB");
        e.clientActiveTexture = fetch("glClientActiveTextureARB");
        e.genBuffers = fetch("glGenBuffersARB");
        e.bindBuffer = fetch("glBindBufferARB");
        e.bufferData = fetch("glBufferDataARB");
        e.deleteBuffers = fetch("glDeleteBuffersARB");
        e.mapBuffer = fetch("glMapBufferARB");
        e.unmapBuffer = fetch("glUnmapBufferARB");
        e.getBufferParameteriv = fetch("glGetBufferParameterivARB");
    }
    if (hasExtension("GL_ARB_fragment_program")) {
        e.createProgramObject = fetch("glCreateProgramObjectARB");
        e.deleteObject = fetch("glDeleteObjectARB");
        e.createShaderObject = fetch("glCreateShaderObjectARB");
        e.shaderSource = fetch("glShaderSourceARB");
        e.compileShader = fetch("glCompileShaderARB");
        e.getObjectParameteriv = fetch("glGetObjectParameterivARB");
        e.attachObject = fetch("glAttachObjectARB");
        e.getInfoLog = fetch("glGetInfoLogARB");
        e.linkProgram = fetch("glLinkProgramARB");
        e.useProgramObject = fetch("glUseProgramObjectARB");
        e.getUniformLocation = fetch("glGetUniformLocationARB");
        e.uniform1f = fetch("glUniform1fARB");
        e.uniform1i = fetch("glUniform1iARB");
    }
    const char* suffix = hasExtension("GL_ARB_framebuffer_object")   ? ""
                         : hasExtension("GL_EXT_framebuffer_object") ? "EXT"
                                                                     : nullptr;
    if (suffix) {
        auto named = [&](const char* name) { return fetch((std::string(name) + suffix).c_str()); };
        e.genFramebuffers = named("glGenFramebuffers");
        e.bindFramebuffer = named("glBindFramebuffer");
        e.deleteFramebuffers = named("glDeleteFramebuffers");
        e.framebufferTexture2D = named("glFramebufferTexture2D");
        e.checkFramebufferStatus = named("glCheckFramebufferStatus");
        e.genRenderbuffers = named("glGenRenderbuffers");
        e.bindRenderbuffer = named("glBindRenderbuffer");
        e.deleteRenderbuffers = named("glDeleteRenderbuffers");
        e.renderbufferStorage = named("glRenderbufferStorage");
        e.framebufferRenderbuffer = named("glFramebufferRenderbuffer");
    }
}

}  // namespace vorlan
