#pragma once

#include "render/OpenglShader.h"

#include <cstdint>
#include <map>

namespace Tavrolin::Fill {

// Copies a texture in the drawing arrangement (premultiplied red, green,
// blue, alpha) into the bound target in the host arrangement (straight
// alpha, red, green, blue in R, G, B, A), divided by the multiplier.
class ScreenRender {
public:
    ScreenRender();
    ~ScreenRender();
    ScreenRender(const ScreenRender&) = delete;
    ScreenRender& operator=(const ScreenRender&) = delete;

    // Draws the full-frame quad with `texture` on unit 0; leaves the program
    // in use and the texture bound.
    void draw(unsigned int texture, float multiplier);

    const OpenglShader& shader() const { return mShader; }
    unsigned int vertexBuffer() const { return mVertexBuffer; }
    // The vertex array of the context last drawn in.
    unsigned int vertexArray() const { return mVertexArray; }

private:
    unsigned int mVertexArray = 0;
    unsigned int mVertexBuffer = 0;
    OpenglShader mShader;
    std::map<std::uint64_t, unsigned int> mVertexArrays;  // by context
};

}  // namespace Tavrolin::Fill
