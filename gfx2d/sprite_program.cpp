#include "gfx2d/sprite_program.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "gfx2d/gl_extensions.h"

namespace vorlan {

namespace {

// The fixed pipeline's own vertex transform (ftransform is invariant with
// it) and its modulate texture function.
constexpr const char* kVertexShader =
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;\n"
    "    gl_FrontColor = gl_Color;\n"
    "}\n";
constexpr const char* kFragmentShader =
    "uniform sampler2D picture;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(picture, gl_TexCoord[0].xy) * gl_Color;\n"
    "}\n";
// With a white colour the product is the texel: the same bytes, one
// multiply less for every pixel.
constexpr const char* kWhiteFragmentShader =
    "uniform sampler2D picture;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(picture, gl_TexCoord[0].xy);\n"
    "}\n";

enum class State { Unbuilt, Built, Unavailable };
State state = State::Unbuilt;
GLhandleARB programs[2] = {};  // coloured, white

struct Calls {
    PFNGLCREATESHADEROBJECTARBPROC createShader;
    PFNGLSHADERSOURCEARBPROC source;
    PFNGLCOMPILESHADERARBPROC compile;
    PFNGLCREATEPROGRAMOBJECTARBPROC createProgram;
    PFNGLATTACHOBJECTARBPROC attach;
    PFNGLLINKPROGRAMARBPROC link;
    PFNGLGETOBJECTPARAMETERIVARBPROC parameter;
    PFNGLUSEPROGRAMOBJECTARBPROC use;
    PFNGLGETUNIFORMLOCATIONARBPROC uniformLocation;
    PFNGLUNIFORM1IARBPROC uniform1i;
    PFNGLDELETEOBJECTARBPROC remove;
};

Calls calls() {
    const GLExtensionEntryPoints& e = glExtensions;
    return {reinterpret_cast<PFNGLCREATESHADEROBJECTARBPROC>(e.createShaderObject),
            reinterpret_cast<PFNGLSHADERSOURCEARBPROC>(e.shaderSource),
            reinterpret_cast<PFNGLCOMPILESHADERARBPROC>(e.compileShader),
            reinterpret_cast<PFNGLCREATEPROGRAMOBJECTARBPROC>(e.createProgramObject),
            reinterpret_cast<PFNGLATTACHOBJECTARBPROC>(e.attachObject),
            reinterpret_cast<PFNGLLINKPROGRAMARBPROC>(e.linkProgram),
            reinterpret_cast<PFNGLGETOBJECTPARAMETERIVARBPROC>(e.getObjectParameteriv),
            reinterpret_cast<PFNGLUSEPROGRAMOBJECTARBPROC>(e.useProgramObject),
            reinterpret_cast<PFNGLGETUNIFORMLOCATIONARBPROC>(e.getUniformLocation),
            reinterpret_cast<PFNGLUNIFORM1IARBPROC>(e.uniform1i),
            reinterpret_cast<PFNGLDELETEOBJECTARBPROC>(e.deleteObject)};
}

GLhandleARB compiled(const Calls& c, GLenum kind, const char* text) {
    GLhandleARB shader = c.createShader(kind);
    c.source(shader, 1, &text, nullptr);
    c.compile(shader);
    GLint ok = 0;
    c.parameter(shader, GL_OBJECT_COMPILE_STATUS_ARB, &ok);
    if (!ok) {
        c.remove(shader);
        return 0;
    }
    return shader;
}

GLhandleARB linked(const Calls& c, const char* fragmentText) {
    GLhandleARB vertex = compiled(c, GL_VERTEX_SHADER_ARB, kVertexShader);
    GLhandleARB fragment = compiled(c, GL_FRAGMENT_SHADER_ARB, fragmentText);
    if (!vertex || !fragment) {
        if (vertex) c.remove(vertex);
        if (fragment) c.remove(fragment);
        return 0;
    }
    GLhandleARB program = c.createProgram();
    c.attach(program, vertex);
    c.attach(program, fragment);
    c.link(program);
    // Attached shaders live on with the program.
    c.remove(vertex);
    c.remove(fragment);
    GLint ok = 0;
    c.parameter(program, GL_OBJECT_LINK_STATUS_ARB, &ok);
    if (!ok) {
        c.remove(program);
        return 0;
    }
    c.use(program);
    c.uniform1i(c.uniformLocation(program, "picture"), 0);
    c.use(0);
    return program;
}

bool build() {
    Calls c = calls();
    if (!c.createShader || !c.source || !c.compile || !c.createProgram || !c.attach || !c.link ||
        !c.parameter || !c.use || !c.uniformLocation || !c.uniform1i || !c.remove) {
        return false;
    }
    programs[0] = linked(c, kFragmentShader);
    programs[1] = programs[0] ? linked(c, kWhiteFragmentShader) : 0;
    if (programs[1]) return true;
    if (programs[0]) c.remove(programs[0]);
    programs[0] = 0;
    return false;
}

}  // namespace

bool useSpriteProgram() {
    if (state == State::Unbuilt) state = build() ? State::Built : State::Unavailable;
    if (state != State::Built) return false;
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    bool white = colour[0] == 1 && colour[1] == 1 && colour[2] == 1 && colour[3] == 1;
    calls().use(programs[white ? 1 : 0]);
    return true;
}

void stopSpriteProgram() {
    if (state == State::Built) calls().use(0);
}

void releaseSpriteProgram() {
    if (state == State::Built) {
        for (GLhandleARB& program : programs) calls().remove(program);
    }
    programs[0] = programs[1] = 0;
    state = State::Unbuilt;
}

}  // namespace vorlan
