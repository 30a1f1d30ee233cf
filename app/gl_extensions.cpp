#include "app/gl_extensions.h"

#include <vorlan/app.h>

#include "platform/window.h"

namespace vorlan {

GLExtensionEntryPoints glExtensions;

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
}

}  // namespace vorlan
