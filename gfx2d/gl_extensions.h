// Optional OpenGL extension entry points, fetched once the context exists.
// Each is null when the driver does not list its extension.
#pragma once

namespace vorlan {

struct GLExtensionEntryPoints {
    // GL_ARB_multitexture (the buffer-object calls are fetched with them).
    void* activeTexture = nullptr;
    void* multiTexCoord2f = nullptr;
    void* clientActiveTexture = nullptr;
    void* genBuffers = nullptr;
    void* bindBuffer = nullptr;
    void* bufferData = nullptr;
    void* deleteBuffers = nullptr;
    void* mapBuffer = nullptr;
    void* unmapBuffer = nullptr;
    void* getBufferParameteriv = nullptr;
    // GL_ARB_fragment_program: shader objects.
    void* createProgramObject = nullptr;
    void* deleteObject = nullptr;
    void* createShaderObject = nullptr;
    void* shaderSource = nullptr;
    void* compileShader = nullptr;
    void* getObjectParameteriv = nullptr;
    void* attachObject = nullptr;
    void* getInfoLog = nullptr;
    void* linkProgram = nullptr;
    void* useProgramObject = nullptr;
    void* getUniformLocation = nullptr;
    void* uniform1f = nullptr;
    void* uniform1i = nullptr;
    // Framebuffer objects (GL_ARB_framebuffer_object or
    // GL_EXT_framebuffer_object: the same calls and numbers).
    void* genFramebuffers = nullptr;
    void* bindFramebuffer = nullptr;
    void* deleteFramebuffers = nullptr;
    void* framebufferTexture2D = nullptr;
    void* checkFramebufferStatus = nullptr;
    void* genRenderbuffers = nullptr;
    void* bindRenderbuffer = nullptr;
    void* deleteRenderbuffers = nullptr;
    void* renderbufferStorage = nullptr;
    void* framebufferRenderbuffer = nullptr;
};

extern GLExtensionEntryPoints glExtensions;

void loadExtensionEntryPoints();

// Whole-word search of the OpenGL extension string.
bool extensionListed(const char* extensions, const char* name);

// True when the OpenGL renderer is a software rasterizer (llvmpipe,
// softpipe, swrast).
bool isSoftwareRenderer(const char* rendererName);

}  // namespace vorlan
