#include "render/OpenglShader.h"

#include "math/Color.h"
#include "math/Vec2.h"

#include <glbinding/gl/gl.h>

#include <cstdio>

using namespace gl;

namespace Tavrolin::Fill {

namespace {

constexpr GLsizei kLogSize = 512;  // at most 511 characters and the zero

// Compiles one stage; prints the log and returns false on failure.
bool compileStage(GLuint shader, const std::string& source, const char* word) {
    const GLchar* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == static_cast<GLint>(GL_TRUE))
        return true;
    GLchar log[kLogSize] = {};
    glGetShaderInfoLog(shader, kLogSize, nullptr, log);
    std::printf("Shader %s error:\n%s\n", word, log);
    return false;
}

}  // namespace

OpenglShader::OpenglShader(const std::string& vertexSource, const std::string& fragmentSource)
    : mVertexSource(vertexSource), mFragmentSource(fragmentSource) {}

OpenglShader::OpenglShader(const std::string& vertexSource, const std::string& fragmentSource,
                           const std::string& geometrySource)
    : mVertexSource(vertexSource), mFragmentSource(fragmentSource), mGeometrySource(geometrySource) {}

OpenglShader::~OpenglShader() {
    if (mProgram != 0)
        glDeleteProgram(mProgram);
}

void OpenglShader::addAttributeBinding(const std::string& name, int index) {
    mAttributeBindings.emplace(name, index);
}

void OpenglShader::buildShader() {
    const bool hasGeometry = !mGeometrySource.empty();
    GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
    GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    GLuint geometry = hasGeometry ? glCreateShader(GL_GEOMETRY_SHADER) : 0;
    // The objects of a failed build are never used again: release them.
    auto deleteShaders = [&] {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        if (hasGeometry)
            glDeleteShader(geometry);
    };
    if (!compileStage(vertex, mVertexSource, "vert") || !compileStage(fragment, mFragmentSource, "frag") ||
        (hasGeometry && !compileStage(geometry, mGeometrySource, "geo"))) {
        deleteShaders();
        return;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    if (hasGeometry)
        glAttachShader(program, geometry);
    for (const auto& binding : mAttributeBindings)
        glBindAttribLocation(program, static_cast<GLuint>(binding.second), binding.first.c_str());
    glLinkProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != static_cast<GLint>(GL_TRUE)) {
        GLchar log[kLogSize] = {};
        glGetProgramInfoLog(program, kLogSize, nullptr, log);
        std::printf("Program error:\n%s\n", log);
        glDeleteProgram(program);
        deleteShaders();
        return;
    }
    mProgram = program;
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    if (hasGeometry)
        glDetachShader(program, geometry);
    deleteShaders();
}

void OpenglShader::useProgram() {
    if (mProgram == 0)
        buildShader();
    glUseProgram(mProgram);
}

int OpenglShader::getUniformLocation(const std::string& name) const {
    if (mProgram == 0)
        return -1;
    return glGetUniformLocation(mProgram, name.c_str());
}

int OpenglShader::getAttributeLocation(const std::string& name) const {
    if (mProgram == 0)
        return -1;
    return glGetAttribLocation(mProgram, name.c_str());
}

// Each setter: nothing while unbuilt, one lookup, nothing for -1, one call.
#define TQ_UNIFORM_LOCATION(name)            \
    const GLint loc = getUniformLocation(name); \
    if (loc == -1)                           \
        return

void OpenglShader::setUniform1i(const std::string& name, int v) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform1i(loc, v);
}
void OpenglShader::setUniform2i(const std::string& name, int v0, int v1) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform2i(loc, v0, v1);
}
void OpenglShader::setUniform3i(const std::string& name, int v0, int v1, int v2) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform3i(loc, v0, v1, v2);
}
void OpenglShader::setUniform4i(const std::string& name, int v0, int v1, int v2, int v3) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform4i(loc, v0, v1, v2, v3);
}
void OpenglShader::setUniform1f(const std::string& name, float v) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform1f(loc, v);
}
void OpenglShader::setUniform2f(const std::string& name, float v0, float v1) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform2f(loc, v0, v1);
}
void OpenglShader::setUniform3f(const std::string& name, float v0, float v1, float v2) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform3f(loc, v0, v1, v2);
}
void OpenglShader::setUniform4f(const std::string& name, float v0, float v1, float v2, float v3) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform4f(loc, v0, v1, v2, v3);
}
void OpenglShader::setUniform2f(const std::string& name, const Vec2& v) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform2f(loc, static_cast<float>(v.x), static_cast<float>(v.y));
}
void OpenglShader::setUniform4f(const std::string& name, const Color& c) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform4f(loc, static_cast<float>(c.r()), static_cast<float>(c.g()), static_cast<float>(c.b()),
                static_cast<float>(c.a()));
}
void OpenglShader::setUniform1iv(const std::string& name, const int* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform1iv(loc, count, values);
}
void OpenglShader::setUniform2iv(const std::string& name, const int* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform2iv(loc, count, values);
}
void OpenglShader::setUniform3iv(const std::string& name, const int* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform3iv(loc, count, values);
}
void OpenglShader::setUniform4iv(const std::string& name, const int* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform4iv(loc, count, values);
}
void OpenglShader::setUniform1fv(const std::string& name, const float* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform1fv(loc, count, values);
}
void OpenglShader::setUniform2fv(const std::string& name, const float* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform2fv(loc, count, values);
}
void OpenglShader::setUniform3fv(const std::string& name, const float* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform3fv(loc, count, values);
}
void OpenglShader::setUniform4fv(const std::string& name, const float* values, int count) const {
    TQ_UNIFORM_LOCATION(name);
    glUniform4fv(loc, count, values);
}

#undef TQ_UNIFORM_LOCATION

void OpenglShader::setUniformTexture(const std::string& name, int target, int texture, int unit) const {
    if (mProgram == 0)
        return;
    glActiveTexture(static_cast<GLenum>(static_cast<int>(GL_TEXTURE0) + unit));
    glBindTexture(static_cast<GLenum>(target), static_cast<GLuint>(texture));
    const GLint loc = glGetUniformLocation(mProgram, name.c_str());
    if (loc != -1)
        glUniform1i(loc, unit);
}

void OpenglShader::setAttribute(int location, int size, bool integer, const void* data, int stride) const {
    if (mProgram == 0 || location == -1)
        return;
    const auto index = static_cast<GLuint>(location);
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, integer ? GL_INT : GL_FLOAT, GL_FALSE, stride, data);
}

void OpenglShader::setAttribute1iv(int location, const int* data, int stride) const {
    setAttribute(location, 1, true, data, stride);
}
void OpenglShader::setAttribute1fv(const std::string& name, const float* data, int stride) const {
    setAttribute(getAttributeLocation(name), 1, false, data, stride);
}
void OpenglShader::setAttribute1fv(int location, const float* data, int stride) const {
    setAttribute(location, 1, false, data, stride);
}
void OpenglShader::setAttribute2fv(const std::string& name, const float* data, int stride) const {
    setAttribute(getAttributeLocation(name), 2, false, data, stride);
}
void OpenglShader::setAttribute2fv(int location, const float* data, int stride) const {
    setAttribute(location, 2, false, data, stride);
}
void OpenglShader::setAttribute3fv(const std::string& name, const float* data, int stride) const {
    setAttribute(getAttributeLocation(name), 3, false, data, stride);
}
void OpenglShader::setAttribute3fv(int location, const float* data, int stride) const {
    setAttribute(location, 3, false, data, stride);
}
void OpenglShader::setAttribute4fv(const std::string& name, const float* data, int stride) const {
    setAttribute(getAttributeLocation(name), 4, false, data, stride);
}
void OpenglShader::setAttribute4fv(int location, const float* data, int stride) const {
    setAttribute(location, 4, false, data, stride);
}

void OpenglShader::disableVertexAttributeArray(const std::string& name) {
    if (mProgram == 0)
        return;
    disableVertexAttributeArray(getAttributeLocation(name));
}

void OpenglShader::disableVertexAttributeArray(int location) {
    if (mProgram == 0 || location == -1)
        return;
    glDisableVertexAttribArray(static_cast<GLuint>(location));
}

}  // namespace Tavrolin::Fill
