#pragma once

#include <map>
#include <string>

namespace Tavrolin::Fill {

class Vec2;
class Vec3;
class Vec4;
class Color;
class Mat4;
class Affine;

// One GLSL program: the stage texts, attribute bindings applied before
// linking, built at the first useProgram(). Uniforms and attributes are looked
// up by name on every call (nothing is cached). Every operation needs a
// context of the plug-in's share group current; none makes one current.
// While no build has succeeded every setter does nothing at all, GL included.
class OpenglShader {
public:
    OpenglShader(const std::string& vertexSource, const std::string& fragmentSource);
    OpenglShader(const std::string& vertexSource, const std::string& fragmentSource,
                 const std::string& geometrySource);
    virtual ~OpenglShader();

    OpenglShader(const OpenglShader&) = delete;
    OpenglShader& operator=(const OpenglShader&) = delete;

    // A repeated name keeps its first index; takes effect at the next link.
    void addAttributeBinding(const std::string& name, int index);

    // Compiles and links. A failure prints "Shader %s error:\n%s\n" (vert,
    // frag or geo) or "Program error:\n%s\n" and leaves the program unbuilt.
    void buildShader();
    // Builds first while unbuilt; then glUseProgram (program 0 after a failed
    // build).
    void useProgram();

    unsigned int program() const { return mProgram; }
    const std::string& vertexSource() const { return mVertexSource; }
    const std::string& fragmentSource() const { return mFragmentSource; }
    const std::string& geometrySource() const { return mGeometrySource; }
    int getUniformLocation(const std::string& name) const;
    int getAttributeLocation(const std::string& name) const;

    // Uniform setters act on the program in use; a name without an active
    // uniform is ignored.
    void setUniform1i(const std::string& name, int v) const;
    void setUniform2i(const std::string& name, int v0, int v1) const;
    void setUniform3i(const std::string& name, int v0, int v1, int v2) const;
    void setUniform4i(const std::string& name, int v0, int v1, int v2, int v3) const;
    void setUniform1f(const std::string& name, float v) const;
    void setUniform2f(const std::string& name, float v0, float v1) const;
    void setUniform3f(const std::string& name, float v0, float v1, float v2) const;
    void setUniform4f(const std::string& name, float v0, float v1, float v2, float v3) const;
    void setUniform2f(const std::string& name, const Vec2& v) const;
    void setUniform3f(const std::string& name, const Vec3& v) const;
    void setUniform4f(const std::string& name, const Vec4& v) const;
    // Straight colour, not premultiplied.
    void setUniform4f(const std::string& name, const Color& c) const;
    // `count` counts array elements, not numbers.
    void setUniform1iv(const std::string& name, const int* values, int count) const;
    void setUniform2iv(const std::string& name, const int* values, int count) const;
    void setUniform3iv(const std::string& name, const int* values, int count) const;
    void setUniform4iv(const std::string& name, const int* values, int count) const;
    void setUniform1fv(const std::string& name, const float* values, int count) const;
    void setUniform2fv(const std::string& name, const float* values, int count) const;
    void setUniform3fv(const std::string& name, const float* values, int count) const;
    void setUniform4fv(const std::string& name, const float* values, int count) const;
    // Each transform as the column-major 3x3 homogeneous matrix.
    void setUniformMatrix3f(const std::string& name, Affine* transforms, int count) const;
    // The matrix's elements in its own (column-major) order, not transposed.
    void setUniformMatrix4f(const std::string& name, const Mat4& matrix, int count) const;
    // Binds `texture` to `unit` (left active and bound) and points the
    // sampler at it when the program has it.
    void setUniformTexture(const std::string& name, int target, int texture, int unit) const;

    // Enable the array and set its pointer; `data` is a byte offset into the
    // bound GL_ARRAY_BUFFER when one is bound, `stride` in bytes.
    void setAttribute1iv(int location, const int* data, int stride) const;
    void setAttribute1fv(const std::string& name, const float* data, int stride) const;
    void setAttribute1fv(int location, const float* data, int stride) const;
    void setAttribute2fv(const std::string& name, const float* data, int stride) const;
    void setAttribute2fv(int location, const float* data, int stride) const;
    void setAttribute3fv(const std::string& name, const float* data, int stride) const;
    void setAttribute3fv(int location, const float* data, int stride) const;
    void setAttribute4fv(const std::string& name, const float* data, int stride) const;
    void setAttribute4fv(int location, const float* data, int stride) const;

    void disableVertexAttributeArray(const std::string& name);
    void disableVertexAttributeArray(int location);

private:
    void setAttribute(int location, int size, bool integer, const void* data, int stride) const;

    std::string mVertexSource;
    std::string mFragmentSource;
    std::string mGeometrySource;
    unsigned int mProgram = 0;
    std::map<std::string, int> mAttributeBindings;
};

}  // namespace Tavrolin::Fill
