#include "gl/PassQuad.h"

#include "platform/EGLPlatform.h"
#include "render/OpenglShader.h"

#include <glbinding/gl/gl.h>

using namespace gl;

namespace Tavrolin::Fill {

void PassQuad::draw(OpenglShader& shader, unsigned int& vertexArray, unsigned int& vertexBuffer,
                    std::map<std::uint64_t, unsigned int>& arrays, unsigned int texture, float multiplier) {
    // x, y, z, u, v: two triangles over the clip square; uv (0, 0) at (-1, -1),
    // so texture row 0 lands on target row 0.
    static const float positions[30] = {
        1, -1, 0, 1, 0,  1, 1, 0, 1, 1,  -1, 1, 0, 0, 1,
        -1, 1, 0, 0, 1,  -1, -1, 0, 0, 0,  1, -1, 0, 1, 0,
    };
    const std::uint64_t context = currentContextKey();
    unsigned int& array = arrays[context];
    if (array == 0) {
        glGenVertexArrays(1, &array);
        glBindVertexArray(array);
    }
    if (vertexBuffer == 0) {
        glGenBuffers(1, &vertexBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof positions, positions, GL_STATIC_DRAW);
    }
    vertexArray = array;
    shader.useProgram();
    glBindVertexArray(array);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    shader.setAttribute3fv(0, nullptr, 20);
    shader.setAttribute2fv(1, reinterpret_cast<const float*>(12), 20);
    shader.setUniformTexture("videoTexture", static_cast<int>(GL_TEXTURE_2D), static_cast<int>(texture), 0);
    shader.setUniform1f("multiplier16bit", multiplier);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    shader.disableVertexAttributeArray(0);
    shader.disableVertexAttributeArray(1);
    // Leaves the program in use and the texture on unit 0.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void PassQuad::release(unsigned int vertexBuffer, std::map<std::uint64_t, unsigned int>& arrays) {
    auto mine = arrays.find(currentContextKey());
    if (mine != arrays.end() && mine->second != 0)
        glDeleteVertexArrays(1, &mine->second);
    arrays.clear();
    if (vertexBuffer != 0)
        glDeleteBuffers(1, &vertexBuffer);
}

}  // namespace Tavrolin::Fill
