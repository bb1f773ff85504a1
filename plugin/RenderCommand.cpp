#include "plugin/RenderCommand.h"

#include <glbinding/gl/gl.h>

#include <algorithm>
#include <iostream>
#include <new>
#include <string>

#include "gl/AEOpenGLContextManager.h"
#include "gl/AEOpenGLUtilities.h"
#include "gl/AEOpenglMainFrameBuffer.h"
#include "gl/SaveRestoreGLContextMac.h"
#include "math/Vec2.h"
#include "render/FinalRender.h"

using namespace gl;

namespace Tavrolin::Fill {

namespace {

// Whatever happens between its creation and the end of the command: the
// frame buffer's drawing is ended once begun, the input texture deleted once
// made, and the host's context made current again.
class FrameGuard {
public:
    explicit FrameGuard(SaveRestoreGLContextMac& saver) : mSaver(saver) {}
    ~FrameGuard() {
        if (mTexture != 0) glDeleteTextures(1, &mTexture);
        if (mDrawing) AEOpenglMainFrameBuffer::mainFrameBuffer()->endDrawing(mMultiplier);
        mSaver.restore();
    }
    FrameGuard(const FrameGuard&) = delete;
    FrameGuard& operator=(const FrameGuard&) = delete;

    void drawingBegun(float multiplier) {
        mDrawing = true;
        mMultiplier = multiplier;
    }
    void textureMade(unsigned int texture) { mTexture = texture; }
    void textureDeleted() { mTexture = 0; }
    // Ends the drawing now, as the frame's own step.
    void endDrawing(float multiplier) {
        mDrawing = false;
        AEOpenglMainFrameBuffer::mainFrameBuffer()->endDrawing(multiplier);
    }

private:
    SaveRestoreGLContextMac& mSaver;
    bool mDrawing = false;
    float mMultiplier = 1.0f;
    unsigned int mTexture = 0;
};

PF_Err refuse(const std::string& reason) {
    std::cout << "TQ Fill render failed: " << reason << std::endl;
    return PF_Err_BAD_CALLBACK_PARAM;
}

// Leaves the calling thread with no context current.
void releaseCurrentContext() {
    AEOpenGLContext::makeCurrentFlush(GLContextBinding{});
    useCurrentContextInBinding();
}

bool hasPixels(const PF_LayerDef* world) { return world && world->data && world->width > 0 && world->height > 0; }

}  // namespace

void SetupGPU() {
    // A second global set-up keeps the data context it has: replacing it
    // would lose the first and what shares with it.
    if (AEOpenGLContextManager::getSharedDataContext()) return;
    SaveRestoreGLContextMac saver;
    AEOpenGLContextManager::setupContextManager();
    // The manager lets go of the data context again, so that a set-down on
    // another thread can make it current.
    saver.restore();
}

void TeardownGPU(FinalRender*& render) {
    // Only the first set-down has anything to take down.
    if (!render) return;
    SaveRestoreGLContextMac saver;
    // GL objects go while a context of their share group is current. Without
    // one, none at all (a refused data context lets go of what was current):
    // the deletions must not reach a context of the host's; the objects then
    // go with the last context of their group.
    AEOpenGLContext* data = AEOpenGLContextManager::getSharedDataContext();
    if (data)
        data->makeContextCurrent();
    else
        releaseCurrentContext();
    AEOpenglMainFrameBuffer::mainFrameBuffer()->destory();
    delete render;
    render = nullptr;
    AEOpenGLContextManager::releaseContextManager();
    saver.restore();
}

namespace {

PF_Err renderFrame(FinalRender* render, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output) {
    float multiplier = 1.0f;
    unsigned long bytesPerPixel = 4;
    GLenum pixelType = GL_UNSIGNED_BYTE;

    SaveRestoreGLContextMac saver;
    FrameGuard guard(saver);

    if (!render) return refuse("the effect has been shut down");
    AEOpenGLContext* context = AEOpenGLContextManager::getCurrentRenderContext();
    if (!context) return refuse("no OpenGL context after shut-down");
    if (!context->isValid()) return refuse("no OpenGL context: " + context->failureReason());
    if (!context->makeContextCurrent()) return refuse("the OpenGL context cannot be made current");

    PF_LayerDef* input = params && params[0] ? &params[0]->u.ld : nullptr;
    if (!input || !input->data) return refuse("the layer has no pixels");
    if (!hasPixels(input)) return refuse("the layer size is not positive");
    if (!hasPixels(output)) return refuse("the output has no pixels");
    const long width = input->width;
    const long height = input->height;

    GLint maxTexture = 0, maxRenderbuffer = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    const long limit = std::min(maxTexture, maxRenderbuffer);
    if (width > limit || height > limit)
        return refuse("the layer of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels is larger than OpenGL's limit of " + std::to_string(limit));

    AEOpenglMainFrameBuffer* frameBuffer = AEOpenglMainFrameBuffer::mainFrameBuffer();
    frameBuffer->prepare(width, height, true);
    frameBuffer->beginDrawing(false, false);
    guard.drawingBegun(multiplier);

    unsigned int texture = AEOpenGLUtilities::UploadTexture(kFormatARGB, input, output, in_data, bytesPerPixel,
                                                            pixelType, multiplier, false);
    guard.textureMade(texture);

    render->prepare(in_data, out_data);
    render->draw(texture, multiplier, Vec2(static_cast<double>(width), static_cast<double>(height)));

    glDeleteTextures(1, &texture);
    guard.textureDeleted();
    guard.endDrawing(multiplier);

    // Writes only the area both the frame and the output have.
    AEOpenGLUtilities::DownloadTexture(static_cast<unsigned int>(width), static_cast<unsigned int>(height), input,
                                       output, in_data, kFormatARGB, bytesPerPixel, pixelType);
    return PF_Err_NONE;
}

}  // namespace

PF_Err Render(FinalRender* render, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output) {
    // A host service that fails raises its error code; the frame has been
    // wound up (drawing ended, context restored) by the time it arrives here.
    try {
        return renderFrame(render, in_data, out_data, params, output);
    } catch (PF_Err code) {
        return refuse("the host's services failed with error " + std::to_string(code));
    } catch (const std::bad_alloc&) {
        return refuse("out of memory");
    }
}

}  // namespace Tavrolin::Fill
