#include "gl/AEOpenglMainFrameBuffer.h"

#include "gl/ScreenRender.h"
#include "math/Vec2.h"
#include "platform/EGLPlatform.h"

#include <glbinding/gl/gl.h>

#include <algorithm>
#include <cstdio>

using namespace gl;

namespace Tavrolin::Fill {

namespace {

void storage(GLenum format, int samples, GLsizei width, GLsizei height) {
    if (samples > 0)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
}

void deleteFramebuffer(unsigned int& name) {
    if (name != 0)
        glDeleteFramebuffers(1, &name);
    name = 0;
}

void deleteRenderbuffer(unsigned int name) {
    if (name != 0)
        glDeleteRenderbuffers(1, &name);
}

GLsizei truncated(double v) { return v > 0 ? static_cast<GLsizei>(v) : 0; }

}  // namespace

AEOpenglMainFrameBuffer* AEOpenglMainFrameBuffer::mainFrameBuffer() {
    static AEOpenglMainFrameBuffer* kSharedMainFrameBuffer = new AEOpenglMainFrameBuffer();
    return kSharedMainFrameBuffer;
}

AEOpenglMainFrameBuffer::AEOpenglMainFrameBuffer() : mScreenRender(new ScreenRender()) {}

AEOpenglMainFrameBuffer::~AEOpenglMainFrameBuffer() { delete mScreenRender; }

int AEOpenglMainFrameBuffer::samples() {
    // 8 where the implementation allows it; llvmpipe stops at 4, and a target
    // asking for more than GL_MAX_SAMPLES cannot be made at all.
    if (mSamples == 0) {
        GLint most = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &most);
        mSamples = std::max(1, std::min(8, static_cast<int>(most)));
    }
    return mSamples;
}

void AEOpenglMainFrameBuffer::makeFramebuffers() {
    glGenFramebuffers(1, &mFramebuffer);
    if (mMultisample) {
        glGenFramebuffers(1, &mResolveFramebuffer);
        glGenFramebuffers(1, &mMultisampleFramebuffer);
    }
    mFramebufferContext = currentContextKey();
}

void AEOpenglMainFrameBuffer::useCurrentContext() {
    if (mScreenRenderbuffer == 0)
        return;  // not prepared: nothing to move
    const std::uint64_t context = currentContextKey();
    if (context == mFramebufferContext)
        return;
    // The names made elsewhere mean nothing here; keep them for that context.
    Framebuffers& parked = mOtherContexts[mFramebufferContext];
    parked.resolve = mResolveFramebuffer;
    parked.single = mFramebuffer;
    parked.multisample = mMultisampleFramebuffer;
    parked.stale = false;
    mResolveFramebuffer = mFramebuffer = mMultisampleFramebuffer = 0;
    auto mine = mOtherContexts.find(context);
    if (mine != mOtherContexts.end()) {
        Framebuffers set = mine->second;
        mOtherContexts.erase(mine);
        if (!set.stale) {
            mResolveFramebuffer = set.resolve;
            mFramebuffer = set.single;
            mMultisampleFramebuffer = set.multisample;
            mFramebufferContext = context;
            return;
        }
        deleteFramebuffer(set.resolve);
        deleteFramebuffer(set.single);
        deleteFramebuffer(set.multisample);
    }
    makeFramebuffers();
}

void AEOpenglMainFrameBuffer::prepare(long width, long height, bool multisample) {
    if (width == mWidth && height == mHeight) {
        useCurrentContext();
        return;
    }
    unprepare();
    mWidth = static_cast<std::int32_t>(width);
    mHeight = static_cast<std::int32_t>(height);
    mMultisample = multisample;
    makeFramebuffers();
    glGenRenderbuffers(1, &mScreenRenderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, mScreenRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA, mWidth, mHeight);
    // The screen renderbuffer stays bound.
}

void AEOpenglMainFrameBuffer::unprepare() {
    const std::uint64_t context = currentContextKey();
    // Sets of other contexts can only be deleted there, at their next use.
    for (auto& entry : mOtherContexts)
        entry.second.stale = true;
    if (context == mFramebufferContext) {
        deleteFramebuffer(mResolveFramebuffer);
        deleteFramebuffer(mFramebuffer);
        deleteFramebuffer(mMultisampleFramebuffer);
    } else if (mFramebuffer != 0 || mResolveFramebuffer != 0 || mMultisampleFramebuffer != 0) {
        Framebuffers& parked = mOtherContexts[mFramebufferContext];
        parked = Framebuffers{mResolveFramebuffer, mFramebuffer, mMultisampleFramebuffer, true};
        mResolveFramebuffer = mFramebuffer = mMultisampleFramebuffer = 0;
    }
    mFramebufferContext = 0;
    deleteRenderbuffer(mScreenRenderbuffer);
    mScreenRenderbuffer = 0;
    deleteStackedTargets();
}

void AEOpenglMainFrameBuffer::destory() {
    unprepare();
    // Frame buffers still parked for other contexts go with those contexts.
    mOtherContexts.clear();
    delete mScreenRender;
    mScreenRender = nullptr;
}

void AEOpenglMainFrameBuffer::deleteTarget(unsigned int color) {
    deleteRenderbuffer(color);
    unsigned int stencilBuffer = 0;
    auto stencil = mStencilBuffers.find(color);
    if (stencil != mStencilBuffers.end()) {
        stencilBuffer = stencil->second;
        deleteRenderbuffer(stencilBuffer);
        mStencilBuffers.erase(stencil);
    }
    auto depth = mDepthBuffers.find(color);
    if (depth != mDepthBuffers.end()) {
        if (depth->second != stencilBuffer)  // a packed one is deleted once
            deleteRenderbuffer(depth->second);
        mDepthBuffers.erase(depth);
    }
}

void AEOpenglMainFrameBuffer::deleteStackedTargets() {
    // Depth and stencil go with their colour target, so that a recycled
    // colour name never finds a stale entry.
    for (unsigned int color : mColorStack)
        deleteTarget(color);
    mColorStack.clear();
}

void AEOpenglMainFrameBuffer::clearStack() { deleteStackedTargets(); }

unsigned int AEOpenglMainFrameBuffer::stackFramebuffer() const {
    return mMultisample ? mMultisampleFramebuffer : mFramebuffer;
}

void AEOpenglMainFrameBuffer::beginDrawing(bool depth, bool stencil) {
    useCurrentContext();
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glDisable(GL_BLEND);
    if (mMultisample)
        glEnable(GL_MULTISAMPLE);
    pushRenderContext(depth, stencil);
    glViewport(0, 0, mWidth, mHeight);
}

void AEOpenglMainFrameBuffer::pushRenderContext(bool depth, bool stencil) {
    const int sampleCount = mMultisample ? samples() : 0;
    const unsigned int target = stackFramebuffer();

    GLuint color = 0;
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    storage(GL_RGBA, sampleCount, mWidth, mHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);

    auto attach = [&](GLenum format, GLenum attachment, std::map<unsigned int, unsigned int>& map) {
        GLuint buffer = 0;
        glGenRenderbuffers(1, &buffer);
        glBindRenderbuffer(GL_RENDERBUFFER, buffer);
        storage(format, sampleCount, mWidth, mHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, buffer);
        auto entry = map.find(color);
        if (entry != map.end()) {
            deleteRenderbuffer(entry->second);  // stale: its colour target is gone
            entry->second = buffer;
        } else {
            map.emplace(color, buffer);
        }
    };
    if (depth && stencil) {
        // Separate depth and stencil renderbuffers make an unsupported frame
        // buffer on common drivers (Mesa among them); one packed buffer
        // serves as both and is entered in both maps.
        attach(GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL_ATTACHMENT, mStencilBuffers);
        const unsigned int packed = mStencilBuffers[color];
        auto entry = mDepthBuffers.find(color);
        if (entry != mDepthBuffers.end() && entry->second != packed)
            deleteRenderbuffer(entry->second);
        mDepthBuffers[color] = packed;
    } else if (stencil) {
        attach(GL_STENCIL_INDEX8, GL_STENCIL_ATTACHMENT, mStencilBuffers);
    } else if (depth) {
        attach(GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT, mDepthBuffers);
    }

    if (mMultisample && glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::printf("framebuffer incomplete:%d", static_cast<int>(mMultisampleFramebuffer));

    mColorStack.push_back(color);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

unsigned int AEOpenglMainFrameBuffer::popRenderContext() {
    if (mColorStack.empty())
        return 0;
    const unsigned int texture = createRenderTexture(false);
    if (mMultisample) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, mMultisampleFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mResolveFramebuffer);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glBlitFramebuffer(0, 0, mWidth, mHeight, 0, 0, mWidth, mHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    } else {
        glBindTexture(GL_TEXTURE_2D, texture);
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, mWidth, mHeight, 0);
        // The texture stays bound.
    }
    const unsigned int color = mColorStack.back();
    mColorStack.pop_back();
    deleteTarget(color);
    if (!mColorStack.empty()) {
        glBindRenderbuffer(GL_RENDERBUFFER, mColorStack.back());
        glBindFramebuffer(GL_FRAMEBUFFER, stackFramebuffer());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColorStack.back());
    }
    return texture;
}

void AEOpenglMainFrameBuffer::endDrawing(float multiplier) {
    const unsigned int texture = popRenderContext();
    if (texture == 0)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mScreenRenderbuffer);
    glDisable(GL_BLEND);
    glDisable(GL_MULTISAMPLE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);  // transparent black, from the last push
    if (mScreenRender != nullptr)
        mScreenRender->draw(texture, multiplier);
    glDeleteTextures(1, &texture);
    // mFramebuffer stays bound with the picture in mScreenRenderbuffer.
}

void AEOpenglMainFrameBuffer::pushNormalRenderContext(unsigned int texture) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void AEOpenglMainFrameBuffer::pushNormalRenderContext(unsigned int texture, const Vec2& size, int level) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y));
}

void AEOpenglMainFrameBuffer::popNormalRenderContext() {
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLuint framebuffer = static_cast<GLuint>(bound);
    if (framebuffer != 0)
        glDeleteFramebuffers(1, &framebuffer);
    if (!mColorStack.empty()) {
        glBindRenderbuffer(GL_RENDERBUFFER, mColorStack.back());
        glBindFramebuffer(GL_FRAMEBUFFER, stackFramebuffer());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColorStack.back());
        const GLenum buffers[1] = {GL_COLOR_ATTACHMENT0};
        glDrawBuffers(1, buffers);
        glViewport(0, 0, mWidth, mHeight);
    }
}

unsigned int AEOpenglMainFrameBuffer::createTexture(int width, int height, bool floating, int minFilter,
                                                    int magFilter) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    const std::vector<unsigned char> zeros(static_cast<size_t>(std::max(width, 0)) *
                                               static_cast<size_t>(std::max(height, 0)) * 4,
                                           0);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(floating ? GL_RGBA32F : GL_RGBA), width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, zeros.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

unsigned int AEOpenglMainFrameBuffer::createRenderTexture(bool mipmap) {
    return createTexture(mWidth, mHeight, false,
                         static_cast<int>(mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR), static_cast<int>(GL_LINEAR));
}

unsigned int AEOpenglMainFrameBuffer::createRenderTexture(const Vec2& size, bool mipmap) {
    return createTexture(truncated(size.x), truncated(size.y), false,
                         static_cast<int>(mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR), static_cast<int>(GL_LINEAR));
}

namespace {
void floatFilters(bool linear, bool mipmap, int& minFilter, int& magFilter) {
    if (linear) {
        minFilter = static_cast<int>(mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
        magFilter = static_cast<int>(GL_LINEAR);
    } else {
        minFilter = static_cast<int>(mipmap ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST);
        magFilter = static_cast<int>(mipmap ? GL_LINEAR : GL_NEAREST);
    }
}
}  // namespace

unsigned int AEOpenglMainFrameBuffer::createFloatRenderTexture(bool linear, bool mipmap) {
    int minFilter = 0, magFilter = 0;
    floatFilters(linear, mipmap, minFilter, magFilter);
    return createTexture(mWidth, mHeight, true, minFilter, magFilter);
}

unsigned int AEOpenglMainFrameBuffer::createFloatRenderTexture(const Vec2& size, bool linear, bool mipmap) {
    int minFilter = 0, magFilter = 0;
    floatFilters(linear, mipmap, minFilter, magFilter);
    return createTexture(truncated(size.x), truncated(size.y), true, minFilter, magFilter);
}

unsigned short AEOpenglMainFrameBuffer::width() const { return static_cast<unsigned short>(mWidth & 0xFFFF); }
unsigned short AEOpenglMainFrameBuffer::height() const { return static_cast<unsigned short>(mHeight & 0xFFFF); }

}  // namespace Tavrolin::Fill
