#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace Tavrolin::Fill {

class ScreenRender;
class Vec2;

// The process's offscreen render surface: frame buffers for one size, a
// stack of render targets (colour renderbuffers, multisampled when asked,
// with optional depth and stencil), and the screen renderbuffer that the
// finished picture is drawn into. Needs a context current on the calling
// thread for every operation.
//
// Frame-buffer objects are not shared between contexts: the frame buffers
// belong to the context that made them. When another context uses the object
// (a render on another thread) they are made anew there; the other context's
// set is kept for its next use, or deleted there once the size has changed.
class AEOpenglMainFrameBuffer {
public:
    // The single instance, made on the first call.
    static AEOpenglMainFrameBuffer* mainFrameBuffer();

    // No GL call; the screen pass makes its objects at its first draw.
    AEOpenglMainFrameBuffer();
    // Deletes the screen pass unless destory() already did (a context must
    // be current). The shared instance is never deleted.
    ~AEOpenglMainFrameBuffer();
    AEOpenglMainFrameBuffer(const AEOpenglMainFrameBuffer&) = delete;
    AEOpenglMainFrameBuffer& operator=(const AEOpenglMainFrameBuffer&) = delete;

    // (Re)creates the frame buffers and the screen renderbuffer for a size.
    // The same size again does nothing (`multisample` is then ignored) unless
    // the current context is not the one the frame buffers were made in.
    void prepare(long width, long height, bool multisample);
    // Deletes the frame buffers, the screen renderbuffer and every stacked
    // target with its depth and stencil renderbuffers. Keeps the size.
    void unprepare();
    // unprepare(), then deletes the screen pass.
    void destory();

    // Draw buffer 0, no blending, multisampling when prepared so, and the
    // first cleared target pushed; viewport to the full size.
    void beginDrawing(bool depth, bool stencil);
    // Pops the last target and draws it through the screen pass into the
    // screen renderbuffer; leaves mFramebuffer bound holding the picture.
    void endDrawing(float multiplier);

    // Pushes a new cleared target (transparent black) and leaves it attached.
    // Depth and stencil together are one packed GL_DEPTH24_STENCIL8
    // renderbuffer, entered in both maps.
    void pushRenderContext(bool depth, bool stencil);
    // The top target as a new texture owned by the caller (0 when empty);
    // drawing then goes on into the target below.
    unsigned int popRenderContext();

    // Renders into `texture` through a temporary frame buffer.
    void pushNormalRenderContext(unsigned int texture);
    void pushNormalRenderContext(unsigned int texture, const Vec2& size, int level);
    // Deletes the temporary frame buffer and goes back to the stack top.
    void popNormalRenderContext();

    // Deletes every stacked target (with depth and stencil) and empties the stack.
    void clearStack();

    // New zero-filled textures, GL_RGBA or GL_RGBA32F, of the current size or
    // of `size` (truncated).
    unsigned int createRenderTexture(bool mipmap);
    unsigned int createRenderTexture(const Vec2& size, bool mipmap);
    unsigned int createFloatRenderTexture(bool linear, bool mipmap);
    unsigned int createFloatRenderTexture(const Vec2& size, bool linear, bool mipmap);

    // The size, reduced to its low 16 bits.
    unsigned short width() const;
    unsigned short height() const;

    // Read-only views of the state, for tests and callers that check it.
    unsigned int resolveFramebuffer() const { return mResolveFramebuffer; }
    unsigned int framebuffer() const { return mFramebuffer; }
    unsigned int multisampleFramebuffer() const { return mMultisampleFramebuffer; }
    unsigned int screenRenderbuffer() const { return mScreenRenderbuffer; }
    bool multisample() const { return mMultisample; }
    const std::vector<unsigned int>& colorStack() const { return mColorStack; }
    const std::map<unsigned int, unsigned int>& depthBuffers() const { return mDepthBuffers; }
    const std::map<unsigned int, unsigned int>& stencilBuffers() const { return mStencilBuffers; }
    ScreenRender* screenRender() const { return mScreenRender; }
    // The context (see currentContextKey) the frame buffers above belong to.
    std::uint64_t framebufferContext() const { return mFramebufferContext; }
    // Samples of multisampled targets: min(8, GL_MAX_SAMPLES).
    int samples();

private:
    struct Framebuffers {
        unsigned int resolve = 0;
        unsigned int single = 0;
        unsigned int multisample = 0;
        bool stale = false;  // made for an earlier size: delete at next use
    };

    void makeFramebuffers();
    // Makes sure the frame buffers belong to the current context.
    void useCurrentContext();
    void deleteStackedTargets();
    // Deletes a colour target with its depth and stencil, and their entries.
    void deleteTarget(unsigned int color);
    unsigned int stackFramebuffer() const;
    unsigned int createTexture(int width, int height, bool floating, int minFilter, int magFilter);

    unsigned int mResolveFramebuffer = 0;
    unsigned int mFramebuffer = 0;
    unsigned int mMultisampleFramebuffer = 0;
    unsigned int mScreenRenderbuffer = 0;
    bool mMultisample = true;
    std::int32_t mWidth = 0;
    std::int32_t mHeight = 0;
    std::vector<unsigned int> mColorStack;
    std::map<unsigned int, unsigned int> mDepthBuffers;
    std::map<unsigned int, unsigned int> mStencilBuffers;
    ScreenRender* mScreenRender;

    std::uint64_t mFramebufferContext = 0;
    std::map<std::uint64_t, Framebuffers> mOtherContexts;
    int mSamples = 0;
};

}  // namespace Tavrolin::Fill
