#include "gl/BackgroundRender.h"

#include "gl/PassQuad.h"

namespace Tavrolin::Fill {

namespace {

const char* const kVertexText =
    "#version 330\n"
    "in vec3 position; in vec2 input_uv; out vec2 uv; void main() {uv = input_uv; gl_Position = vec4(position, 1.0); }";

const char* const kFragmentText =
    "#version 330\n"
    "in vec2 uv;uniform sampler2D videoTexture;uniform float multiplier16bit;out vec4 colourOut;\n"
    "void main() {\tcolourOut = texture( videoTexture, uv );\tcolourOut = colourOut * multiplier16bit; \tcolourOut = vec4(colourOut.g, colourOut.b, colourOut.a, colourOut.r); \tcolourOut = vec4(colourOut.a * colourOut.r, colourOut.a * colourOut.g, colourOut.a * colourOut.b, colourOut.a); }";

}  // namespace

BackgroundRender::BackgroundRender() : mShader(kVertexText, kFragmentText) {
    mShader.addAttributeBinding("position", 0);
    mShader.addAttributeBinding("input_uv", 1);
}

BackgroundRender::~BackgroundRender() { PassQuad::release(mVertexBuffer, mVertexArrays); }

void BackgroundRender::draw(unsigned int texture, float multiplier) {
    PassQuad::draw(mShader, mVertexArray, mVertexBuffer, mVertexArrays, texture, multiplier);
}

}  // namespace Tavrolin::Fill
