#include "gl/AEOpenGLContext.h"

#include <glbinding/Binding.h>
#include <glbinding/ContextInfo.h>
#include <glbinding/Meta.h>
#include <glbinding/Version.h>
#include <glbinding/gl/gl.h>

#include <iostream>

namespace Tavrolin::Fill {

AEOpenGLContext::AEOpenGLContext(const AEOpenGLContext* share) {
    (void)mFlag;
    mNSContext = createNSContext(share != nullptr ? share->mNSContext : nullptr, mCGLContext);
    if (!isValid())
        return;
    mNSContext->makeCurrentContext();
    InitializeOpenGLBindings();
    mExtensions = glbinding::ContextInfo::extensions(nullptr);
}

AEOpenGLContext::~AEOpenGLContext() {
    // Released without touching what is current, as a platform context is.
    delete mNSContext;
}

PlatformGLContext* AEOpenGLContext::createNSContext(PlatformGLContext* share, GLContextBinding& cglContext) {
    PlatformGLContext* context = PlatformGLContext::create(share);
    cglContext = context->binding();
    return context;
}

void AEOpenGLContext::InitializeOpenGLBindings() {
    useCurrentContextInBinding();
    std::cout << std::endl;
    std::cout << "OpenGL Version:  " << glbinding::ContextInfo::version() << std::endl;
    std::cout << "OpenGL Vendor:   " << glbinding::ContextInfo::vendor() << std::endl;
    std::cout << "OpenGL Renderer: " << glbinding::ContextInfo::renderer() << std::endl;
    std::cout << "OpenGL Revision: " << glbinding::Meta::glRevision() << " (gl.xml)" << std::endl;
    std::cout << std::endl;
}

bool AEOpenGLContext::makeContextCurrent() {
    if (isValid())
        mNSContext->makeCurrentContext();
    // Normally the platform call above already made it current; this acts when
    // there is no platform context, switching to none.
    if (mCGLContext != currentContextBinding())
        makeCurrentFlush(mCGLContext);
    // Refused (EGL lets a context be current on one thread only): let go of
    // what is current, so that GL work meant for this context reaches none
    // rather than another, a host's least of all.
    if (mCGLContext != currentContextBinding())
        makeCurrentFlush(GLContextBinding{});
    useCurrentContextInBinding();
    return isValid() && currentContextBinding() == mCGLContext;
}

void AEOpenGLContext::makeCurrentFlush(const GLContextBinding& context) {
    const GLContextBinding outgoing = currentContextBinding();
    if (outgoing == context)
        return;
    // With no context current there is nothing to flush and no GL to call.
    if (!outgoing.isNull()) {
        useCurrentContextInBinding();
        gl::GLint bound = 0;
        gl::glGetIntegerv(gl::GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        if (bound == 0 || gl::glCheckFramebufferStatus(gl::GL_FRAMEBUFFER) == gl::GL_FRAMEBUFFER_COMPLETE)
            gl::glFlush();
    }
    setCurrentContextBinding(context);
}

std::string AEOpenGLContext::failureReason() const {
    if (mNSContext == nullptr)
        return "no platform context";
    return mNSContext->error();
}

}  // namespace Tavrolin::Fill
