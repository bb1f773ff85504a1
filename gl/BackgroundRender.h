#pragma once

#include "render/OpenglShader.h"

#include <cstdint>
#include <map>

namespace Tavrolin::Fill {

// Copies a texture in the host arrangement (alpha, red, green, blue in R, G,
// B, A, scaled by the multiplier) into the bound target as premultiplied red,
// green, blue, alpha: the inverse of ScreenRender.
class BackgroundRender {
public:
    BackgroundRender();
    ~BackgroundRender();
    BackgroundRender(const BackgroundRender&) = delete;
    BackgroundRender& operator=(const BackgroundRender&) = delete;

    void draw(unsigned int texture, float multiplier);

    const OpenglShader& shader() const { return mShader; }
    unsigned int vertexBuffer() const { return mVertexBuffer; }
    unsigned int vertexArray() const { return mVertexArray; }

private:
    OpenglShader mShader;
    unsigned int mVertexArray = 0;
    unsigned int mVertexBuffer = 0;
    std::map<std::uint64_t, unsigned int> mVertexArrays;  // by context
};

}  // namespace Tavrolin::Fill
