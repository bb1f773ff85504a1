// The shader program on the real driver: when it builds, what it prints when
// it cannot, and which GL calls its setters make.

#include "render/OpenglShader.h"

#include "math/Affine.h"
#include "math/Color.h"
#include "math/Mat4.h"
#include "math/Vec2.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

#include "support/CaptureStdout.h"
#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

#include <glbinding/gl/gl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace gl;

namespace Tavrolin::Fill {
namespace {

using Test::CaptureStdout;
using Test::GLCallRecorder;

const std::string kVertex =
    "#version 330\n"
    "in vec3 avertex;\n"
    "in vec2 auv;\n"
    "out vec2 uv;\n"
    "void main() { uv = auv; gl_Position = vec4(avertex, 1.0); }";

// Every uniform takes part in the output, so the compiler keeps them all.
const std::string kFragment =
    "#version 330\n"
    "in vec2 uv;\n"
    "uniform int i1; uniform ivec2 i2; uniform ivec3 i3; uniform ivec4 i4;\n"
    "uniform float f1; uniform vec2 f2; uniform vec3 f3; uniform vec4 f4;\n"
    "uniform int ia[2]; uniform vec4 fa4[2]; uniform vec2 fa2[2];\n"
    "uniform mat3 m3[2]; uniform mat4 m4;\n"
    "uniform sampler2D tex;\n"
    "uniform float unusedButDeclared;\n"
    "out vec4 colourOut;\n"
    "void main() {\n"
    "  float i = float(i1 + i2.x + i2.y + i3.x + i3.y + i3.z + i4.x + i4.y + i4.z + i4.w + ia[0] + ia[1]);\n"
    "  colourOut = vec4(i) + vec4(f1) + f2.xyxy + f3.xyzx + f4 + fa4[0] + fa4[1] + fa2[0].xyxy + fa2[1].xyxy\n"
    "            + vec4(m3[0][0] + m3[0][1] + m3[0][2] + m3[1][2], 1.0) + m4[0] + m4[3]\n"
    "            + texture(tex, uv);\n"
    "}";

const std::string kBrokenFragment =
    "#version 330\n"
    "out vec4 colourOut;\n"
    "void main() { colourOut = vec4(1.0) }";  // the missing ';'

const std::string kGeometry =
    "#version 330\n"
    "layout(triangles) in;\n"
    "layout(triangle_strip, max_vertices = 3) out;\n"
    "in vec2 uv[];\n"
    "out vec2 uvOut;\n"
    "void main() { for (int k = 0; k < 3; ++k) { uvOut = uv[k]; gl_Position = gl_in[k].gl_Position; EmitVertex(); } }";

const std::string kGeometryFragment =
    "#version 330\n"
    "in vec2 uvOut;\n"
    "out vec4 colourOut;\n"
    "void main() { colourOut = vec4(uvOut, 0.0, 1.0); }";

// The printed message is our fixed frame around the driver's log.
void expectMessage(const std::string& printed, const std::string& head) {
    ASSERT_GE(printed.size(), head.size() + 1) << printed;
    EXPECT_EQ(printed.substr(0, head.size()), head);
    EXPECT_EQ(printed.back(), '\n');
    const std::string log = printed.substr(head.size(), printed.size() - head.size() - 1);
    EXPECT_FALSE(log.empty());
    EXPECT_LE(log.size(), 511u);
}

// The driver's own log for a fragment text, read the way the program reads it.
std::string driverLog(const std::string& fragment) {
    GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
    const GLchar* text = fragment.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLchar log[512] = {};
    glGetShaderInfoLog(shader, 512, nullptr, log);
    glDeleteShader(shader);
    return log;
}

std::vector<std::string> argsOf(const GLCallRecorder& recorder, const std::string& name, size_t index) {
    std::vector<std::string> result;
    for (const auto& call : recorder.named(name))
        result.push_back(index < call.args.size() ? call.args[index] : "");
    return result;
}

class OpenglShaderTest : public Test::GLTest {};

TEST_F(OpenglShaderTest, BuildsOnceAtTheFirstUseAndKeepsNoShaderObject) {
    OpenglShader shader(kVertex, kFragment);
    EXPECT_EQ(shader.program(), 0u);
    GLCallRecorder recorder;
    shader.useProgram();
    ASSERT_NE(shader.program(), 0u);
    EXPECT_EQ(recorder.count("glCreateProgram"), 1u);
    EXPECT_EQ(recorder.count("glLinkProgram"), 1u);
    EXPECT_EQ(recorder.count("glDeleteShader"), 2u);
    EXPECT_EQ(recorder.count("glDetachShader"), 2u);
    GLint attached = -1;
    glGetProgramiv(shader.program(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 0);
    GLint inUse = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &inUse);
    EXPECT_EQ(static_cast<GLuint>(inUse), shader.program());

    recorder.clear();
    shader.useProgram();
    EXPECT_EQ(recorder.names(), (std::vector<std::string>{"glUseProgram"}));
}

TEST_F(OpenglShaderTest, AFragmentErrorIsPrintedAtEveryUseAndTheProgramStaysUnbuilt) {
    OpenglShader shader(kVertex, kBrokenFragment);
    const std::string log = driverLog(kBrokenFragment);
    std::string first, second;
    GLCallRecorder recorder;
    {
        CaptureStdout capture;
        shader.useProgram();
        first = capture.text();
    }
    EXPECT_EQ(shader.program(), 0u);
    expectMessage(first, "Shader frag error:\n");
    EXPECT_EQ(first, "Shader frag error:\n" + log + "\n");
    EXPECT_EQ(recorder.count("glCompileShader"), 2u);
    EXPECT_EQ(recorder.count("glCreateProgram"), 0u);
    // No geometry stage: only the vertex and fragment objects are made.
    EXPECT_EQ(argsOf(recorder, "glCreateShader", 0),
              (std::vector<std::string>{"GL_VERTEX_SHADER", "GL_FRAGMENT_SHADER"}));
    EXPECT_EQ(argsOf(recorder, "glUseProgram", 0), (std::vector<std::string>{"0"}));
    recorder.clear();
    {
        CaptureStdout capture;
        shader.useProgram();
        second = capture.text();
    }
    EXPECT_EQ(second, first);
    EXPECT_EQ(recorder.count("glCompileShader"), 2u);
    EXPECT_EQ(shader.program(), 0u);
}

TEST_F(OpenglShaderTest, AVertexErrorStopsBeforeTheFragmentStage) {
    OpenglShader shader("#version 330\nvoid main() { gl_Position = undeclared; }", kFragment);
    GLCallRecorder recorder;
    CaptureStdout capture;
    shader.useProgram();
    expectMessage(capture.text(), "Shader vert error:\n");
    EXPECT_EQ(recorder.count("glCompileShader"), 1u);
    EXPECT_EQ(shader.program(), 0u);
}

TEST_F(OpenglShaderTest, ALongLogIsCutAt511Characters) {
    std::string body;
    for (int k = 0; k < 60; ++k)
        body += "  colourOut += vec4(undeclaredNumber" + std::to_string(k) + ");\n";
    OpenglShader shader(kVertex, "#version 330\nout vec4 colourOut;\nvoid main() {\n" + body + "}");
    CaptureStdout capture;
    shader.useProgram();
    const std::string printed = capture.text();
    const std::string head = "Shader frag error:\n";
    ASSERT_GT(printed.size(), head.size());
    EXPECT_EQ(printed.substr(0, head.size()), head);
    EXPECT_EQ(printed.size(), head.size() + 511 + 1);
}

TEST_F(OpenglShaderTest, ALinkErrorPrintsTheProgramMessage) {
    // Both stages compile, but the fragment stage's uv is not the vertex's type.
    OpenglShader shader(kVertex,
                        "#version 330\nin vec3 uv;\nout vec4 colourOut;\n"
                        "void main() { colourOut = vec4(uv, 1.0); }");
    CaptureStdout capture;
    shader.useProgram();
    expectMessage(capture.text(), "Program error:\n");
    EXPECT_EQ(shader.program(), 0u);
}

TEST_F(OpenglShaderTest, AGeometryStageIsCompiledAfterTheFragmentStageAndAttachedLast) {
    OpenglShader shader(kVertex, kGeometryFragment, kGeometry);
    GLCallRecorder recorder;
    shader.useProgram();
    ASSERT_NE(shader.program(), 0u);
    const auto created = recorder.named("glCreateShader");
    ASSERT_EQ(created.size(), 3u);
    EXPECT_EQ(created[2].args[0], "GL_GEOMETRY_SHADER");
    const std::vector<std::string> compiled = argsOf(recorder, "glCompileShader", 0);
    const std::vector<std::string> attached = argsOf(recorder, "glAttachShader", 1);
    ASSERT_EQ(compiled.size(), 3u);
    EXPECT_EQ(compiled[2], created[2].result);
    EXPECT_EQ(attached, compiled);
    EXPECT_EQ(recorder.count("glDeleteShader"), 3u);
}

TEST_F(OpenglShaderTest, AGeometryErrorSaysGeo) {
    OpenglShader shader(kVertex, kGeometryFragment, "#version 330\nvoid main() { oops }");
    CaptureStdout capture;
    shader.useProgram();
    expectMessage(capture.text(), "Shader geo error:\n");
}

TEST_F(OpenglShaderTest, ARepeatedAttributeBindingKeepsTheFirstIndex) {
    OpenglShader shader(kVertex, kFragment);
    shader.addAttributeBinding("avertex", 0);
    shader.addAttributeBinding("avertex", 3);
    shader.addAttributeBinding("auv", 2);
    shader.useProgram();
    EXPECT_EQ(shader.getAttributeLocation("avertex"), 0);
    EXPECT_EQ(shader.getAttributeLocation("auv"), 2);
    EXPECT_EQ(shader.getAttributeLocation("nothing"), -1);
}

TEST_F(OpenglShaderTest, AnUnbuiltProgramsSettersMakeNoGLCall) {
    OpenglShader shader(kVertex, kFragment);
    const int ints[8] = {};
    const float floats[32] = {};
    Affine identity;
    Mat4 matrix;
    GLCallRecorder recorder;
    shader.setUniform1i("i1", 1);
    shader.setUniform2i("i2", 1, 2);
    shader.setUniform3i("i3", 1, 2, 3);
    shader.setUniform4i("i4", 1, 2, 3, 4);
    shader.setUniform1f("f1", 1);
    shader.setUniform2f("f2", 1, 2);
    shader.setUniform3f("f3", 1, 2, 3);
    shader.setUniform4f("f4", 1, 2, 3, 4);
    shader.setUniform2f("f2", Vec2(1, 2));
    shader.setUniform3f("f3", Vec3(1, 2, 3));
    shader.setUniform4f("f4", Vec4(1, 2, 3, 4));
    shader.setUniform4f("f4", Color(0.2, 0.4, 0.6, 0.5));
    shader.setUniform1iv("ia", ints, 2);
    shader.setUniform2iv("ia", ints, 1);
    shader.setUniform3iv("ia", ints, 1);
    shader.setUniform4iv("ia", ints, 1);
    shader.setUniform1fv("fa4", floats, 1);
    shader.setUniform2fv("fa2", floats, 2);
    shader.setUniform3fv("fa4", floats, 1);
    shader.setUniform4fv("fa4", floats, 2);
    shader.setUniformMatrix3f("m3", &identity, 1);
    shader.setUniformMatrix4f("m4", matrix, 1);
    shader.setUniformTexture("tex", static_cast<int>(GL_TEXTURE_2D), 7, 3);
    shader.setAttribute1iv(0, nullptr, 4);
    shader.setAttribute1fv(0, nullptr, 4);
    shader.setAttribute2fv(0, nullptr, 8);
    shader.setAttribute3fv(0, nullptr, 12);
    shader.setAttribute4fv(0, nullptr, 16);
    shader.setAttribute1fv("avertex", nullptr, 4);
    shader.setAttribute2fv("auv", nullptr, 8);
    shader.setAttribute3fv("avertex", nullptr, 12);
    shader.setAttribute4fv("avertex", nullptr, 16);
    shader.disableVertexAttributeArray(0);
    shader.disableVertexAttributeArray("avertex");
    EXPECT_EQ(shader.getUniformLocation("f1"), -1);
    EXPECT_EQ(shader.getAttributeLocation("avertex"), -1);
    EXPECT_EQ(recorder.names(), std::vector<std::string>{});
}

TEST_F(OpenglShaderTest, SettersUploadTheirValuesToTheProgramInUse) {
    OpenglShader shader(kVertex, kFragment);
    shader.useProgram();
    const GLuint program = shader.program();
    ASSERT_NE(program, 0u);
    auto ints = [&](const char* name, int n) {
        std::vector<GLint> v(static_cast<size_t>(n), -99);
        glGetUniformiv(program, glGetUniformLocation(program, name), v.data());
        return v;
    };
    auto floats = [&](const char* name, int n) {
        std::vector<GLfloat> v(static_cast<size_t>(n), -99.0f);
        glGetUniformfv(program, glGetUniformLocation(program, name), v.data());
        return v;
    };
    shader.setUniform1i("i1", 5);
    shader.setUniform2i("i2", 6, 7);
    shader.setUniform3i("i3", 8, 9, 10);
    shader.setUniform4i("i4", 11, 12, 13, 14);
    EXPECT_EQ(ints("i1", 1), (std::vector<GLint>{5}));
    EXPECT_EQ(ints("i2", 2), (std::vector<GLint>{6, 7}));
    EXPECT_EQ(ints("i3", 3), (std::vector<GLint>{8, 9, 10}));
    EXPECT_EQ(ints("i4", 4), (std::vector<GLint>{11, 12, 13, 14}));

    shader.setUniform1f("f1", 0.5f);
    shader.setUniform3f("f3", 1.5f, 2.5f, 3.5f);
    EXPECT_EQ(floats("f1", 1), (std::vector<GLfloat>{0.5f}));
    EXPECT_EQ(floats("f3", 3), (std::vector<GLfloat>{1.5f, 2.5f, 3.5f}));
    shader.setUniform2f("f2", 0.25f, 0.75f);
    EXPECT_EQ(floats("f2", 2), (std::vector<GLfloat>{0.25f, 0.75f}));
    shader.setUniform4f("f4", 1, 2, 3, 4);
    EXPECT_EQ(floats("f4", 4), (std::vector<GLfloat>{1, 2, 3, 4}));
    // Doubles go to the nearest float.
    shader.setUniform2f("f2", Vec2(0.1, 0.2));
    EXPECT_EQ(floats("f2", 2), (std::vector<GLfloat>{0.1f, 0.2f}));
    shader.setUniform3f("f3", Vec3(0.3, 0.4, 0.5));
    EXPECT_EQ(floats("f3", 3), (std::vector<GLfloat>{0.3f, 0.4f, 0.5f}));
    shader.setUniform4f("f4", Vec4(5, 6, 7, 8));
    EXPECT_EQ(floats("f4", 4), (std::vector<GLfloat>{5, 6, 7, 8}));
    // A colour goes up straight, not premultiplied.
    shader.setUniform4f("f4", Color(0.2, 0.4, 0.6, 0.5));
    EXPECT_EQ(floats("f4", 4), (std::vector<GLfloat>{0.2f, 0.4f, 0.6f, 0.5f}));

    // Counts are in elements: two ints, two vec4s, two vec2s.
    const int ia[2] = {21, 22};
    shader.setUniform1iv("ia", ia, 2);
    EXPECT_EQ(ints("ia[1]", 1), (std::vector<GLint>{22}));
    const float fa4[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    shader.setUniform4fv("fa4", fa4, 2);
    EXPECT_EQ(floats("fa4[1]", 4), (std::vector<GLfloat>{5, 6, 7, 8}));
    const float fa2[4] = {9, 10, 11, 12};
    shader.setUniform2fv("fa2", fa2, 2);
    EXPECT_EQ(floats("fa2[1]", 2), (std::vector<GLfloat>{11, 12}));
}

TEST_F(OpenglShaderTest, ANameWithoutAnActiveUniformMakesOnlyTheLookup) {
    OpenglShader shader(kVertex, kFragment);
    shader.useProgram();
    GLCallRecorder recorder;
    shader.setUniform1f("unusedButDeclared", 1.0f);  // dropped by the compiler
    shader.setUniform4f("noSuchUniform", 1, 2, 3, 4);
    EXPECT_EQ(recorder.names(), (std::vector<std::string>{"glGetUniformLocation", "glGetUniformLocation"}));
}

TEST_F(OpenglShaderTest, SetUniformTextureBindsEvenForASamplerTheProgramLacks) {
    OpenglShader shader(kVertex, kFragment);
    shader.useProgram();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    shader.setUniformTexture("noSuchSampler", static_cast<int>(GL_TEXTURE_2D), static_cast<int>(texture), 2);
    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, static_cast<GLint>(GL_TEXTURE2));
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    // A sampler it has is pointed at the unit.
    shader.setUniformTexture("tex", static_cast<int>(GL_TEXTURE_2D), static_cast<int>(texture), 3);
    GLint unit = -1;
    glGetUniformiv(shader.program(), shader.getUniformLocation("tex"), &unit);
    EXPECT_EQ(unit, 3);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
}

TEST_F(OpenglShaderTest, AttributeSettersEnableTheArrayAndSetItsPointer) {
    OpenglShader shader(kVertex, kFragment);
    shader.addAttributeBinding("avertex", 0);
    shader.addAttributeBinding("auv", 1);
    shader.useProgram();
    GLuint vertexArray = 0, buffer = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, 120, nullptr, GL_STATIC_DRAW);
    GLCallRecorder recorder;
    shader.setAttribute3fv(0, nullptr, 20);
    shader.setAttribute2fv("auv", reinterpret_cast<const float*>(12), 20);
    EXPECT_EQ(recorder.names(), (std::vector<std::string>{"glEnableVertexAttribArray", "glVertexAttribPointer",
                                                           "glGetAttribLocation", "glEnableVertexAttribArray",
                                                           "glVertexAttribPointer"}));
    const auto pointers = recorder.named("glVertexAttribPointer");
    ASSERT_EQ(pointers.size(), 2u);
    EXPECT_EQ(pointers[1].args[0], "1");
    EXPECT_EQ(pointers[1].args[1], "2");
    EXPECT_EQ(pointers[1].args[2], "GL_FLOAT");
    EXPECT_EQ(pointers[1].args[4], "20");
    GLint enabled = 0, size = 0;
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(size, 2);
    shader.disableVertexAttributeArray("auv");
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, 0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &buffer);
}

// The matrix layouts: an Affine (x, y) -> (a x + c y + e, b x + d y + f) as
// the column-major homogeneous 3x3; a Mat4 in its own column order.
TEST_F(OpenglShaderTest, MatrixSettersUploadTheColumnMajorLayouts) {
    OpenglShader shader(kVertex, kFragment);
    shader.useProgram();
    const GLuint program = shader.program();
    auto floats = [&](const char* name, int n) {
        std::vector<GLfloat> v(static_cast<size_t>(n), -99.0f);
        glGetUniformfv(program, glGetUniformLocation(program, name), v.data());
        return v;
    };
    Affine transforms[2] = {Affine(), Affine(1, 0, 0, 1, 5, 7)};
    shader.setUniformMatrix3f("m3", transforms, 2);
    EXPECT_EQ(floats("m3[0]", 9), (std::vector<GLfloat>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(floats("m3[1]", 9), (std::vector<GLfloat>{1, 0, 0, 0, 1, 0, 5, 7, 1}));
    Affine general(2, 3, 4, 5, 6, 7);  // a b c d e f
    shader.setUniformMatrix3f("m3", &general, 1);
    EXPECT_EQ(floats("m3[0]", 9), (std::vector<GLfloat>{2, 3, 0, 4, 5, 0, 6, 7, 1}));

    Mat4 identity;
    shader.setUniformMatrix4f("m4", identity, 1);
    EXPECT_EQ(floats("m4", 16), (std::vector<GLfloat>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    Mat4 translation;
    translation.setTranslate(1, 2, 3);
    shader.setUniformMatrix4f("m4", translation, 1);
    const std::vector<GLfloat> m = floats("m4", 16);
    EXPECT_EQ(std::vector<GLfloat>(m.begin() + 12, m.end()), (std::vector<GLfloat>{1, 2, 3, 1}));
}

}  // namespace
}  // namespace Tavrolin::Fill
