#pragma once

#include <cstdint>
#include <map>

namespace Tavrolin::Fill {

class OpenglShader;

// The full-frame quad both copy passes draw. Vertex arrays are not shared
// between contexts, so one is kept per context drawn in; the buffer is shared.
struct PassQuad {
    // Draws `texture` (unit 0) through `shader` with `multiplier` into the
    // bound target. `vertexArray` ends as the current context's array.
    static void draw(OpenglShader& shader, unsigned int& vertexArray, unsigned int& vertexBuffer,
                     std::map<std::uint64_t, unsigned int>& arrays, unsigned int texture, float multiplier);
    // Deletes what the current context may delete: the buffer and this
    // context's array (the others go with their contexts).
    static void release(unsigned int vertexBuffer, std::map<std::uint64_t, unsigned int>& arrays);
};

}  // namespace Tavrolin::Fill
