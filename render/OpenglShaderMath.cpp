// The setters of OpenglShader that take the engine's vector and transform
// types; they follow the same rule as the others (nothing while unbuilt, one
// lookup per call, nothing for a missing uniform).

#include "render/OpenglShader.h"

#include "math/Affine.h"
#include "math/Mat4.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

#include <glbinding/gl/gl.h>

#include <memory>

using namespace gl;

namespace Tavrolin::Fill {

void OpenglShader::setUniform3f(const std::string& name, const Vec3& v) const {
    const GLint loc = getUniformLocation(name);
    if (loc == -1)
        return;
    glUniform3f(loc, static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}

void OpenglShader::setUniform4f(const std::string& name, const Vec4& v) const {
    const GLint loc = getUniformLocation(name);
    if (loc == -1)
        return;
    glUniform4f(loc, static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z),
                static_cast<float>(v.w));
}

void OpenglShader::setUniformMatrix3f(const std::string& name, Affine* transforms, int count) const {
    const GLint loc = getUniformLocation(name);
    if (loc == -1 || count <= 0)
        return;
    // (x, y) -> (a x + c y + e, b x + d y + f) as a column-major 3x3 matrix.
    std::unique_ptr<float[]> m(new float[9 * static_cast<size_t>(count)]);
    for (int i = 0; i < count; ++i) {
        const Affine& t = transforms[i];
        float* column = m.get() + 9 * static_cast<size_t>(i);
        const float values[9] = {static_cast<float>(t.a), static_cast<float>(t.b), 0.0f,
                                 static_cast<float>(t.c), static_cast<float>(t.d), 0.0f,
                                 static_cast<float>(t.e), static_cast<float>(t.f), 1.0f};
        for (int k = 0; k < 9; ++k)
            column[k] = values[k];
    }
    glUniformMatrix3fv(loc, count, GL_FALSE, m.get());
}

void OpenglShader::setUniformMatrix4f(const std::string& name, const Mat4& matrix, int count) const {
    const GLint loc = getUniformLocation(name);
    if (loc == -1)
        return;
    float m[16];
    for (int k = 0; k < 16; ++k)
        m[k] = static_cast<float>(matrix.e[k]);
    // One matrix is held; a larger count would read past it.
    glUniformMatrix4fv(loc, count > 1 ? 1 : count, GL_FALSE, m);
}

}  // namespace Tavrolin::Fill
