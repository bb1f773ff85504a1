#include "platform/EGLPlatform.h"

// Never let X11 in: its macros (None, Bool, ...) clash with glbinding's names.
#define EGL_NO_X11
#define MESA_EGL_NO_X11_HEADERS
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <glbinding/Binding.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace Tavrolin::Fill {

namespace {

std::string eglErrorText(EGLint code) {
    const char* name = "unknown EGL error";
    switch (code) {
    case EGL_SUCCESS: name = "EGL_SUCCESS"; break;
    case EGL_NOT_INITIALIZED: name = "EGL_NOT_INITIALIZED"; break;
    case EGL_BAD_ACCESS: name = "EGL_BAD_ACCESS"; break;
    case EGL_BAD_ALLOC: name = "EGL_BAD_ALLOC"; break;
    case EGL_BAD_ATTRIBUTE: name = "EGL_BAD_ATTRIBUTE"; break;
    case EGL_BAD_CONFIG: name = "EGL_BAD_CONFIG"; break;
    case EGL_BAD_CONTEXT: name = "EGL_BAD_CONTEXT"; break;
    case EGL_BAD_CURRENT_SURFACE: name = "EGL_BAD_CURRENT_SURFACE"; break;
    case EGL_BAD_DISPLAY: name = "EGL_BAD_DISPLAY"; break;
    case EGL_BAD_MATCH: name = "EGL_BAD_MATCH"; break;
    case EGL_BAD_NATIVE_PIXMAP: name = "EGL_BAD_NATIVE_PIXMAP"; break;
    case EGL_BAD_NATIVE_WINDOW: name = "EGL_BAD_NATIVE_WINDOW"; break;
    case EGL_BAD_PARAMETER: name = "EGL_BAD_PARAMETER"; break;
    case EGL_BAD_SURFACE: name = "EGL_BAD_SURFACE"; break;
    case EGL_CONTEXT_LOST: name = "EGL_CONTEXT_LOST"; break;
    default: break;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%s (0x%04X)", name, static_cast<unsigned>(code));
    return text;
}

bool hasExtension(const char* list, const std::string& name) {
    if (list == nullptr)
        return false;
    const std::string all = std::string(" ") + list + " ";
    return all.find(" " + name + " ") != std::string::npos;
}

// The current-context queries and eglMakeCurrent act on the thread's bound
// API, which starts as OpenGL ES; every entry of this layer works with OpenGL.
void bindOpenGLAPI() { eglBindAPI(EGL_OPENGL_API); }

EGLDisplay initialised(EGLDisplay display) {
    if (display == EGL_NO_DISPLAY)
        return EGL_NO_DISPLAY;
    EGLint major = 0, minor = 0;
    return eglInitialize(display, &major, &minor) ? display : EGL_NO_DISPLAY;
}

struct DisplayChoice {
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string why;
};

DisplayChoice chooseDisplay() {
    DisplayChoice choice;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay != nullptr && hasExtension(client, "EGL_MESA_platform_surfaceless")) {
        choice.display = initialised(getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
        if (choice.display != EGL_NO_DISPLAY)
            return choice;
    }
    auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (getPlatformDisplay != nullptr && queryDevices != nullptr && hasExtension(client, "EGL_EXT_platform_device")) {
        EGLint count = 0;
        if (queryDevices(0, nullptr, &count) && count > 0) {
            std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
            if (queryDevices(count, devices.data(), &count)) {
                for (EGLint i = 0; i < count; ++i) {
                    choice.display = initialised(getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr));
                    if (choice.display != EGL_NO_DISPLAY)
                        return choice;
                }
            }
        }
    }
    choice.display = initialised(eglGetDisplay(EGL_DEFAULT_DISPLAY));
    if (choice.display == EGL_NO_DISPLAY)
        choice.why = "no EGL display could be initialised (surfaceless, device and default tried): " +
                     eglErrorText(eglGetError());
    return choice;
}

const DisplayChoice& displayChoice() {
    static const DisplayChoice kChoice = chooseDisplay();
    return kChoice;
}

// glbinding keeps state per context handle and per thread; every context is
// registered once and then selected on each thread that makes it current.
std::mutex gBindingMutex;
std::set<EGLContext>& bindingKnown() {
    static std::set<EGLContext> kKnown;
    return kKnown;
}

void pointBindingAt(EGLContext context) {
    const auto handle = static_cast<glbinding::ContextHandle>(reinterpret_cast<std::intptr_t>(context));
    bool fresh = false;
    {
        std::lock_guard<std::mutex> lock(gBindingMutex);
        fresh = bindingKnown().insert(context).second;
    }
    if (fresh)
        glbinding::Binding::initialize(handle, false, false);
    glbinding::Binding::useContext(handle);
}

// Contexts of this layer by EGL handle, for currentContext() and isLive().
std::mutex gRegistryMutex;
std::map<EGLContext, PlatformGLContext*>& registry() {
    static std::map<EGLContext, PlatformGLContext*> kRegistry;
    return kRegistry;
}
std::atomic<std::uint64_t> gNextSerial{1};

std::mutex gFailureMutex;
std::string gNextFailure;

bool takeInjectedFailure(std::string& reason) {
    std::lock_guard<std::mutex> lock(gFailureMutex);
    if (gNextFailure.empty())
        return false;
    reason.swap(gNextFailure);
    gNextFailure.clear();
    return true;
}

EGLConfig chooseConfig(EGLDisplay display, bool& found) {
    // Colour 24, no alpha, depth or stencil; the drawing goes to frame buffers.
    const EGLint attributes[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0,
                                 EGL_DEPTH_SIZE, 0, EGL_STENCIL_SIZE, 0, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    found = eglChooseConfig(display, attributes, &config, 1, &count) && count > 0;
    return found ? config : nullptr;
}

}  // namespace

GLContextBinding currentContextBinding() {
    bindOpenGLAPI();
    GLContextBinding binding;
    binding.context = eglGetCurrentContext();
    if (binding.context == EGL_NO_CONTEXT)
        return GLContextBinding{};
    binding.display = eglGetCurrentDisplay();
    binding.draw = eglGetCurrentSurface(EGL_DRAW);
    binding.read = eglGetCurrentSurface(EGL_READ);
    return binding;
}

bool setCurrentContextBinding(const GLContextBinding& binding) {
    bindOpenGLAPI();
    if (binding.isNull()) {
        EGLDisplay display = eglGetCurrentDisplay();
        if (display != EGL_NO_DISPLAY && eglGetCurrentContext() != EGL_NO_CONTEXT &&
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) != EGL_TRUE)
            return false;
        pointBindingAt(EGL_NO_CONTEXT);
        return true;
    }
    if (eglMakeCurrent(binding.display, binding.draw, binding.read, binding.context) != EGL_TRUE)
        return false;
    pointBindingAt(binding.context);
    return true;
}

void useCurrentContextInBinding() {
    bindOpenGLAPI();
    // With none current glbinding gets handle 0: its calls then reach the
    // driver's no-context stubs (which do nothing) instead of another
    // context's state, and a thread new to glbinding does not abort.
    pointBindingAt(eglGetCurrentContext());
}

unsigned int boundClientAPI() { return static_cast<unsigned int>(eglQueryAPI()); }

void bindClientAPI(unsigned int api) { eglBindAPI(static_cast<EGLenum>(api)); }

std::uint64_t currentContextKey() {
    bindOpenGLAPI();
    EGLContext context = eglGetCurrentContext();
    if (context == EGL_NO_CONTEXT)
        return 0;
    {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        auto found = registry().find(context);
        if (found != registry().end())
            return found->second->serial();
    }
    return (std::uint64_t{1} << 63) | static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(context));
}

EGLDisplayHandle sharedDisplay(std::string* why) {
    const DisplayChoice& choice = displayChoice();
    if (why != nullptr)
        *why = choice.why;
    return choice.display;
}

PlatformGLContext* PlatformGLContext::create(const PlatformGLContext* share) {
    auto* made = new PlatformGLContext();
    made->mSerial = gNextSerial.fetch_add(1);
    std::string why;
    if (takeInjectedFailure(why)) {
        made->mError = why;
        return made;
    }
    EGLDisplay display = sharedDisplay(&why);
    if (display == EGL_NO_DISPLAY) {
        made->mError = why;
        return made;
    }
    made->mDisplay = display;
    // The bound API is per thread; without this eglCreateContext makes an ES
    // context or fails.
    if (!eglBindAPI(EGL_OPENGL_API)) {
        made->mError = "OpenGL cannot be bound on this EGL display: " + eglErrorText(eglGetError());
        return made;
    }
    bool found = false;
    EGLConfig config = chooseConfig(display, found);
    if (!found) {
        if (!hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context")) {
            made->mError = "no EGL config with 24-bit colour for OpenGL";
            return made;
        }
        config = EGL_NO_CONFIG_KHR;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 2,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext shareContext = (share != nullptr && share->isValid()) ? share->mContext : EGL_NO_CONTEXT;
    EGLContext context = eglCreateContext(display, config, shareContext, attributes);
    if (context == EGL_NO_CONTEXT) {
        made->mError = "an OpenGL 3.2 core context could not be created: " + eglErrorText(eglGetError());
        return made;
    }
    made->mContext = context;
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    registry()[context] = made;
    return made;
}

PlatformGLContext::~PlatformGLContext() {
    if (mContext == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(gRegistryMutex);
        auto found = registry().find(mContext);
        if (found != registry().end() && found->second == this)
            registry().erase(found);
    }
    // A context still current somewhere lives on in EGL until released there.
    eglDestroyContext(mDisplay, mContext);
}

GLContextBinding PlatformGLContext::binding() const {
    GLContextBinding binding;
    if (mContext != nullptr) {
        binding.display = mDisplay;
        binding.context = mContext;
    }
    return binding;
}

bool PlatformGLContext::makeCurrentContext() {
    if (!isValid())
        return false;
    return setCurrentContextBinding(binding());
}

PlatformGLContext* PlatformGLContext::currentContext() {
    bindOpenGLAPI();
    EGLContext context = eglGetCurrentContext();
    if (context == EGL_NO_CONTEXT)
        return nullptr;
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    auto found = registry().find(context);
    return found == registry().end() ? nullptr : found->second;
}

void PlatformGLContext::failNextCreation(const std::string& reason) {
    std::lock_guard<std::mutex> lock(gFailureMutex);
    gNextFailure = reason.empty() ? std::string("creation refused") : reason;
}

bool PlatformGLContext::isLive(const PlatformGLContext* context, std::uint64_t serial) {
    if (context == nullptr)
        return false;
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    for (const auto& entry : registry())
        if (entry.second == context)
            return context->mSerial == serial;
    return false;
}

}  // namespace Tavrolin::Fill
