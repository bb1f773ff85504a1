// The render command through the real module: what survives between frames,
// the host's context around a frame, the failures that end a frame with an
// error, and renders from a second host thread.

#include <gtest/gtest.h>
#include <glbinding/gl/gl.h>
#include <EGL/egl.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plugin/ModuleHost.h"
#include "support/CaptureStdout.h"
#include "support/FillModel.h"
#include "support/ModuleSetdown.h"
#include "support/GLCallRecorder.h"
#include "support/GLTestContext.h"

extern char** environ;

namespace Tavrolin::Fill {
namespace {

namespace M = Model;
namespace TS = ::Tavrolin::Fill::Test;

const auto* const kSetdown = ::testing::AddGlobalTestEnvironment(new TS::ModuleSetdownAtExit);

// The module is loaded once per process and keeps its state across hosts, so
// global set-up is sent once; set-down only in a process of its own.
std::unique_ptr<HeadlessHost> renderHost(int width, int height) {
    auto host = TS::LoadModule();
    static bool setUp = false;
    if (!setUp) {
        // Set-up, and this thread's render context made by a first frame, so
        // that no test sees their banners. (LeakSanitizer also trips over the
        // driver's thread-local storage at exit when a test's own context was
        // made on this thread before the module's.)
        TS::CaptureStdout banner;
        EXPECT_EQ(host->globalSetup(), PF_Err_NONE);
        host->setLayer(1, 1);
        EXPECT_EQ(host->paramsSetup(), PF_Err_NONE);
        EXPECT_EQ(host->render(), PF_Err_NONE);
        setUp = true;
        host = TS::LoadModule();
    }
    host->setLayer(width, height);
    EXPECT_EQ(host->paramsSetup(), PF_Err_NONE);
    return host;
}

// A linear gradient across the layer from blue to yellow, Normal.
void linearBlueToYellow(HeadlessHost& host, int width) {
    host.setValue("Fill Type", ParamValue::scalar(2));
    host.setValue("Gradient Start", ParamValue::point(0, 0));
    host.setValue("Gradient End", ParamValue::point(width, 0));
    host.setValue("Color 1", ParamValue::color({255, 0, 0, 255}));
    host.setValue("Color 2", ParamValue::color({255, 255, 255, 0}));
    host.setValue("Stop 2", ParamValue::scalar(100));
}

M::Fill linearBlueToYellowModel(int width) {
    M::Fill fill;
    fill.type = M::kLinear;
    fill.start = {0, 0};
    fill.end = {static_cast<double>(width), 0};
    M::StopGroup a, b;
    a.r = 0, a.g = 0, a.b = 255, a.positionPercent = 0;
    b.r = 255, b.g = 255, b.b = 0, b.positionPercent = 100;
    fill.groups = {a, b};
    return fill;
}

void fillLayer(World& world) {
    for (int y = 0; y < world.height(); ++y)
        for (int x = 0; x < world.width(); ++x)
            world.at(x, y) = PF_Pixel8{255, static_cast<A_u_char>(40 + x * 7 % 200), static_cast<A_u_char>(90 + y * 13 % 150),
                                       static_cast<A_u_char>(x * y % 256)};
}

M::Argb8 argb(const PF_Pixel8& p) { return {p.alpha, p.red, p.green, p.blue}; }

// Every pixel of the output within the model's tolerance over `area` (the
// whole output by default).
void expectModel(HeadlessHost& host, const M::Fill& fill, int width = -1, int height = -1) {
    World& in = host.input();
    World& out = host.output();
    if (width < 0) width = out.width();
    if (height < 0) height = out.height();
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::string why;
            if (!M::matches(argb(out.at(x, y)), M::renderPixel(fill, argb(in.at(x, y)), x, y), 2, &why) &&
                ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << why;
        }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RenderCommand, RendersTheFillOverTheLayer) {
    auto host = renderHost(32, 6);
    fillLayer(host->input());
    linearBlueToYellow(*host, 32);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    expectModel(*host, linearBlueToYellowModel(32));
    EXPECT_TRUE(host->lastCommand().suitesBalanced());
    EXPECT_EQ(host->liveHandles(), 0);
}

TEST(RenderCommand, EqualSizesKeepTheFrameBuffers) {
    auto host = renderHost(16, 8);
    fillLayer(host->input());
    ASSERT_EQ(host->render(), PF_Err_NONE);
    TS::GLCallRecorder calls;
    ASSERT_EQ(host->render(), PF_Err_NONE);
    EXPECT_EQ(calls.count("glGenFramebuffers"), 0u);
    EXPECT_EQ(calls.count("glDeleteFramebuffers"), 0u);
    // A new size makes them anew.
    host->setLayer(17, 8);
    fillLayer(host->input());
    calls.clear();
    ASSERT_EQ(host->render(), PF_Err_NONE);
    EXPECT_GT(calls.count("glGenFramebuffers"), 0u);
}

// The frame's steps in their order: the target cleared, the layer uploaded,
// the fill drawn, the layer's texture deleted, the screen pass drawn, the
// pixels read back; one upload, one fill draw and one read-back, all in the
// module's context rather than the host's.
TEST(RenderCommand, FrameStepsInOrder) {
    auto host = renderHost(9, 5);
    fillLayer(host->input());
    linearBlueToYellow(*host, 9);
    ASSERT_TRUE(TS::makeTestContextCurrent());
    void* hostContext = eglGetCurrentContext();
    std::vector<TS::GLCall> calls;
    {
        TS::GLCallRecorder recorder;
        ASSERT_EQ(host->render(), PF_Err_NONE);
        calls = recorder.calls();
    }
    auto positions = [&](const std::string& name) {
        std::vector<size_t> at;
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].name == name) at.push_back(i);
        return at;
    };
    const std::vector<size_t> clears = positions("glClear"), uploads = positions("glTexSubImage2D"),
                              draws = positions("glDrawArrays"), deletes = positions("glDeleteTextures"),
                              reads = positions("glReadPixels");
    ASSERT_EQ(uploads.size(), 1u);
    ASSERT_EQ(draws.size(), 2u);  // the fill, then the screen pass
    ASSERT_EQ(reads.size(), 1u);
    ASSERT_FALSE(clears.empty());
    EXPECT_LT(clears.front(), uploads[0]);
    EXPECT_LT(uploads[0], draws[0]);
    // The layer's texture goes before drawing ends (the resolve of the target).
    const std::vector<size_t> resolves = positions("glBlitFramebuffer");
    ASSERT_EQ(resolves.size(), 1u);
    const bool deletedBetween =
        std::any_of(deletes.begin(), deletes.end(), [&](size_t i) { return i > draws[0] && i < resolves[0]; });
    EXPECT_TRUE(deletedBetween);
    EXPECT_LT(resolves[0], draws[1]);
    EXPECT_LT(draws[1], reads[0]);
    for (size_t i : {uploads[0], draws[0], draws[1], reads[0]}) EXPECT_NE(calls[i].context, hostContext);
    expectModel(*host, linearBlueToYellowModel(9));
}

TEST(RenderCommand, OnePixelLayer) {
    auto host = renderHost(1, 1);
    host->input().at(0, 0) = PF_Pixel8{255, 10, 200, 30};
    host->setValue("Fill Type", ParamValue::scalar(1));
    host->setValue("Solid Color", ParamValue::color({128, 255, 0, 0}));
    host->setValue("Blend Mode", ParamValue::scalar(2));  // Multiply
    ASSERT_EQ(host->render(), PF_Err_NONE);
    M::Fill fill;
    fill.type = M::kSolid;
    fill.blend = M::kMultiply;
    fill.solid = {128, 255, 0, 0};
    expectModel(*host, fill);
}

TEST(RenderCommand, HostContextIsCurrentAgainAfterwards) {
    auto host = renderHost(8, 8);
    fillLayer(host->input());
    // A context of the host's own current before the frame.
    ASSERT_TRUE(TS::makeTestContextCurrent());
    void* hostContext = eglGetCurrentContext();
    ASSERT_EQ(host->render(), PF_Err_NONE);
    EXPECT_EQ(host->lastCommand().contextBefore, hostContext);
    EXPECT_EQ(host->lastCommand().contextAfter, hostContext);
    EXPECT_EQ(eglGetCurrentContext(), hostContext);

    // None current before: the plug-in's context stays current.
    eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    EXPECT_EQ(host->lastCommand().contextBefore, nullptr);
    EXPECT_NE(host->lastCommand().contextAfter, nullptr);
    ASSERT_TRUE(TS::makeTestContextCurrent());
}

TEST(RenderCommand, OutputOfAnotherSizeGetsTheCommonAreaOnly) {
    auto host = renderHost(12, 6);
    fillLayer(host->input());
    linearBlueToYellow(*host, 12);
    const PF_Pixel8 marker{7, 7, 7, 7};
    World larger(20, 9, 100);
    larger.fill(marker);
    host->setOutput(larger);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    expectModel(*host, linearBlueToYellowModel(12), 12, 6);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (x >= 12 || y >= 6) {
                ASSERT_EQ(std::memcmp(&host->output().at(x, y), &marker, 4), 0) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(host->output().paddingIntact());

    World smaller(5, 3);
    host->setOutput(smaller);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    expectModel(*host, linearBlueToYellowModel(12));
}

// The ways a frame cannot be made: an error, one line on standard output,
// the output untouched, the host's context current again.
TEST(RenderCommand, FailuresLeaveTheOutputAndTheContext) {
    struct Row {
        const char* name;
        std::function<void(HeadlessHost&)> arrange;
        std::string message;
    };
    // The driver's limit, as the module's contexts (on the same driver) see it.
    ASSERT_TRUE(TS::makeTestContextCurrent());
    gl::GLint maxTexture = 0, maxRenderbuffer = 0;
    gl::glGetIntegerv(gl::GL_MAX_TEXTURE_SIZE, &maxTexture);
    gl::glGetIntegerv(gl::GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    const int limit = std::min(maxTexture, maxRenderbuffer);
    ASSERT_GT(limit, 0);
    auto tooLarge = [&](int w, int h) {
        return "TQ Fill render failed: the layer of " + std::to_string(w) + " x " + std::to_string(h) +
               " pixels is larger than OpenGL's limit of " + std::to_string(limit) + "\n";
    };
    const Row rows[] = {
        {"no layer chosen", [](HeadlessHost& h) { h.setLayerParamEmpty(true); },
         "TQ Fill render failed: the layer has no pixels\n"},
        {"a layer of no width", [](HeadlessHost& h) { h.setInput(World(0, 3, 16)); },
         "TQ Fill render failed: the layer size is not positive\n"},
        {"an output without pixels", [](HeadlessHost& h) { h.setOutput(World(0, 0)); },
         "TQ Fill render failed: the output has no pixels\n"},
        {"a layer wider than GL can hold", [&](HeadlessHost& h) { h.setInput(World(limit + 1, 1)); },
         tooLarge(limit + 1, 1)},
        {"a layer taller than GL can hold", [&](HeadlessHost& h) { h.setInput(World(2, limit + 1)); },
         tooLarge(2, limit + 1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto host = renderHost(6, 4);
        row.arrange(*host);
        host->output().fill({1, 2, 3, 4});
        const std::vector<uint8_t> before = host->output().bytes();
        ASSERT_TRUE(TS::makeTestContextCurrent());
        void* hostContext = eglGetCurrentContext();
        TS::CaptureStdout out;
        EXPECT_EQ(host->render(), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(out.text(), row.message);
        EXPECT_EQ(host->output().bytes(), before);
        EXPECT_EQ(host->lastCommand().contextAfter, hostContext);
        EXPECT_TRUE(host->lastCommand().suitesBalanced());
    }
}

TEST(RenderCommand, AFailedReadBackEndsTheFrameAndTheNextOneWorks) {
    auto host = renderHost(10, 5);
    fillLayer(host->input());
    linearBlueToYellow(*host, 10);
    host->output().fill({9, 9, 9, 9});
    const std::vector<uint8_t> before = host->output().bytes();
    ASSERT_TRUE(TS::makeTestContextCurrent());
    void* hostContext = eglGetCurrentContext();
    host->failHandleAllocationAt(1);
    {
        TS::CaptureStdout out;
        EXPECT_EQ(host->render(), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(out.text(), "TQ Fill render failed: the host's services failed with error 4\n");
    }
    EXPECT_EQ(host->output().bytes(), before);
    EXPECT_EQ(host->lastCommand().contextAfter, hostContext);
    EXPECT_TRUE(host->lastCommand().suitesBalanced());
    host->failHandleAllocationAt(0);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    expectModel(*host, linearBlueToYellowModel(10));
}

TEST(RenderCommand, SecondHostThreadRendersInItsOwnContext) {
    auto host = renderHost(14, 7);
    fillLayer(host->input());
    linearBlueToYellow(*host, 14);
    ASSERT_EQ(host->render(), PF_Err_NONE);  // this thread's context exists now

    auto renderOnNewThread = [&](std::string& printed, PF_Err& result) {
        std::thread([&] {
            TS::CaptureStdout out;
            result = host->render();
            const PF_Err again = host->render();
            printed = out.text();
            if (again != PF_Err_NONE) result = again;
        }).join();
    };
    std::string printed;
    PF_Err result = -1;
    renderOnNewThread(printed, result);
    ASSERT_EQ(result, PF_Err_NONE);
    // The thread's first render made its context and printed the banner; the
    // second printed nothing.
    EXPECT_EQ(printed.rfind("\nOpenGL Version:  ", 0), 0u) << printed;
    size_t banners = 0;
    for (size_t at = printed.find("OpenGL Version:"); at != std::string::npos;
         at = printed.find("OpenGL Version:", at + 1))
        ++banners;
    EXPECT_EQ(banners, 1u);
    expectModel(*host, linearBlueToYellowModel(14));

    // Back on this thread, at the same size, after the other thread's frame.
    host->output().fill({0, 0, 0, 0});
    ASSERT_EQ(host->render(), PF_Err_NONE);
    expectModel(*host, linearBlueToYellowModel(14));
}

TEST(RenderCommand, ASecondGlobalSetupKeepsTheDataContext) {
    auto host = renderHost(4, 4);
    TS::CaptureStdout out;
    EXPECT_EQ(host->globalSetup(), PF_Err_NONE);
    EXPECT_EQ(out.text(), "");  // no new context, so no banner
    ASSERT_EQ(host->render(), PF_Err_NONE);
}

// Run on its own by RenderAfterSetdownIsAnError, in a fresh process: after
// global set-down the module renders nothing and says so.
TEST(RenderCommand, DISABLED_RenderAfterSetdownChild) {
    auto host = TS::LoadModule();
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    host->setLayer(4, 4);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    host->output().fill({5, 5, 5, 5});
    const std::vector<uint8_t> before = host->output().bytes();
    std::printf("@@");
    std::fflush(stdout);
    EXPECT_EQ(host->render(), PF_Err_BAD_CALLBACK_PARAM);
    // A thread that never rendered asks too.
    PF_Err other = 0;
    std::thread([&] { other = host->render(); }).join();
    EXPECT_EQ(other, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host->output().bytes(), before);
    std::printf("@@");
    std::fflush(stdout);
}

// Runs one disabled test of this program in a fresh process, with `env`
// added to the environment; its standard output comes back in `text`. -2 if
// the child ran no such test.
int runChild(const std::string& test, const std::vector<std::string>& env, std::string& text) {
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return -1;
    char log[] = "/tmp/tq-child-XXXXXX";
    const int fd = mkstemp(log);
    if (fd < 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, 1);
    std::string filter = "--gtest_filter=RenderCommand." + test;
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {exe, filter.data(), disabled.data(), nullptr};
    std::vector<std::string> vars(env);
    for (char** e = environ; *e; ++e) vars.push_back(*e);
    std::vector<char*> envp;
    for (std::string& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, exe, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fd);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child) status = -1;
    text = readFile(log);
    std::remove(log);
    // A filter that matches no test also exits 0: the child must have run this one.
    if (text.find("[       OK ] RenderCommand." + test) == std::string::npos &&
        text.find("[  FAILED  ] RenderCommand." + test) == std::string::npos)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What the child printed between its two markers.
std::string between(const std::string& text) {
    const size_t from = text.find("@@"), to = text.rfind("@@");
    return from == to ? "(no markers) " + text : text.substr(from + 2, to - from - 2);
}

TEST(RenderCommand, RenderAfterSetdownIsAnError) {
    std::string text;
    EXPECT_EQ(runChild("DISABLED_RenderAfterSetdownChild", {}, text), 0) << text;
    // One line per refused frame.
    EXPECT_EQ(between(text),
              "TQ Fill render failed: the effect has been shut down\n"
              "TQ Fill render failed: the effect has been shut down\n");
}

// Run by NoGLContextIsAnError, in a process whose driver offers no OpenGL
// 3.2 core context.
TEST(RenderCommand, DISABLED_NoGLContextChild) {
    auto host = TS::LoadModule();
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    host->setLayer(4, 4);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    host->output().fill({5, 5, 5, 5});
    const std::vector<uint8_t> before = host->output().bytes();
    std::printf("@@");
    std::fflush(stdout);
    EXPECT_EQ(host->render(), PF_Err_BAD_CALLBACK_PARAM);
    std::printf("@@");
    std::fflush(stdout);
    EXPECT_EQ(host->output().bytes(), before);
    EXPECT_EQ(host->lastCommand().contextAfter, host->lastCommand().contextBefore);
    EXPECT_TRUE(host->lastCommand().suitesBalanced());
}

TEST(RenderCommand, NoGLContextIsAnError) {
    std::string text;
    // Mesa then refuses the 3.2 core contexts the module asks for.
    EXPECT_EQ(runChild("DISABLED_NoGLContextChild", {"MESA_GL_VERSION_OVERRIDE=3.1"}, text), 0) << text;
    const std::string printed = between(text);
    EXPECT_EQ(printed.rfind("TQ Fill render failed: no OpenGL context: ", 0), 0u) << printed;
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line";
}

// Run by SetdownOnAnotherThreadThanSetup: a host whose threads come from a
// pool sends global set-up on one thread (none current there; the thread
// lives on) and set-down on another that has the host's own context current.
TEST(RenderCommand, DISABLED_SetdownOnAnotherThreadChild) {
    auto host = TS::LoadModule();
    std::mutex mutex;
    std::condition_variable changed;
    bool setUp = false, finished = false;
    PF_Err setupResult = -1;
    std::thread pool([&] {
        eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        setupResult = host->globalSetup();
        std::unique_lock<std::mutex> lock(mutex);
        setUp = true;
        changed.notify_all();
        changed.wait(lock, [&] { return finished; });
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return setUp; });
    }
    EXPECT_EQ(setupResult, PF_Err_NONE);

    // The host's context, with objects of its own whose names the module's
    // share group uses too.
    ASSERT_TRUE(TS::makeTestContextCurrent());
    void* hostContext = eglGetCurrentContext();
    using namespace gl;
    GLuint textures[8], renderbuffers[8], buffers[8], programs[4];
    glGenTextures(8, textures);
    glGenRenderbuffers(8, renderbuffers);
    glGenBuffers(8, buffers);
    for (int i = 0; i < 8; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[i]);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
    }
    for (GLuint& program : programs) program = glCreateProgram();
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    host->setLayer(6, 4);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    fillLayer(host->input());
    linearBlueToYellow(*host, 6);
    ASSERT_EQ(host->render(), PF_Err_NONE);
    expectModel(*host, linearBlueToYellowModel(6));

    EXPECT_EQ(host->globalSetdown(), PF_Err_NONE);
    EXPECT_EQ(eglGetCurrentContext(), hostContext);
    int lost = 0;
    for (int i = 0; i < 8; ++i)
        lost += !glIsTexture(textures[i]) + !glIsRenderbuffer(renderbuffers[i]) + !glIsBuffer(buffers[i]);
    for (GLuint program : programs) lost += !glIsProgram(program);
    EXPECT_EQ(lost, 0) << "the module's set-down deleted objects of the host's context";
    glDeleteTextures(8, textures);
    glDeleteRenderbuffers(8, renderbuffers);
    glDeleteBuffers(8, buffers);
    for (GLuint program : programs) glDeleteProgram(program);

    {
        std::lock_guard<std::mutex> lock(mutex);
        finished = true;
    }
    changed.notify_all();
    pool.join();
}

TEST(RenderCommand, SetdownOnAnotherThreadThanSetup) {
    std::string text;
    EXPECT_EQ(runChild("DISABLED_SetdownOnAnotherThreadChild", {}, text), 0) << text;
}

}  // namespace
}  // namespace Tavrolin::Fill
