// Frames of the real module through the headless host against the pixel
// model: every fill type and blend mode with several sets of stops over a
// layer with opaque, half and fully transparent pixels; the geometry of each
// gradient; the pixels where a gradient's math has no value of its own.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/lib/HeadlessHost.h"
#include "support/CaptureStdout.h"
#include "support/FillModel.h"
#include "support/ModuleSetdown.h"

namespace Tavrolin::Fill {
namespace {

namespace M = Model;
namespace TS = ::Tavrolin::Fill::Test;

const auto* const kSetdown = ::testing::AddGlobalTestEnvironment(new TS::ModuleSetdownAtExit);

// One module per process: global set-up once, then a host per test.
std::unique_ptr<HeadlessHost> moduleHost(int width, int height, int rowbytes = 0) {
    auto host = std::make_unique<HeadlessHost>(TQ_MODULE_PATH);
    static bool setUp = false;
    if (!setUp) {
        TS::CaptureStdout banner;
        EXPECT_EQ(host->globalSetup(), PF_Err_NONE);
        setUp = true;
    }
    host->setLayer(width, height, rowbytes);
    EXPECT_EQ(host->paramsSetup(), PF_Err_NONE);
    return host;
}

M::Argb8 argb(const PF_Pixel8& p) { return {p.alpha, p.red, p.green, p.blue}; }

// The user's settings, applied to the host and to the model alike.
struct Settings {
    M::Fill fill;
    double focalDegrees = 0, focalPercent = 0;
    unsigned downsample = 1;

    void apply(HeadlessHost& host) const {
        host.setValue("Fill Type", ParamValue::scalar(fill.type + 1));
        host.setValue("Blend Mode", ParamValue::scalar(fill.blend + 1));
        const M::Argb8& s = fill.solid;
        host.setValue("Solid Color", ParamValue::color({s.a, s.r, s.g, s.b}));
        host.setValue("Gradient Start", ParamValue::point(fill.start.x, fill.start.y));
        host.setValue("Gradient End", ParamValue::point(fill.end.x, fill.end.y));
        host.setValue("Radial Center", ParamValue::point(fill.center.x, fill.center.y));
        host.setValue("Radial Radius", ParamValue::scalar(fill.radius * downsample));
        host.setValue("Focal Offset Angle", ParamValue::scalar(focalDegrees));
        host.setValue("Focal Offset Distance", ParamValue::scalar(focalPercent));
        host.setValue("Sweep Center", ParamValue::point(fill.sweepCenter.x, fill.sweepCenter.y));
        host.setDownsample(1, downsample, 1, 1);
        if (fill.groups.empty()) return;
        host.setValue("Color Stop Amount", ParamValue::scalar(static_cast<double>(fill.groups.size()) - 1));
        for (size_t i = 0; i < fill.groups.size(); ++i) {
            const M::StopGroup& g = fill.groups[i];
            const std::string n = std::to_string(i + 1);
            // The colour's own alpha is not the stop's: give it another one.
            host.setValue("Color " + n, ParamValue::color({77, g.r, g.g, g.b}));
            host.setValue("Opacity " + n, ParamValue::scalar(g.opacityPercent));
            host.setValue("Stop " + n, ParamValue::scalar(g.positionPercent));
        }
    }
    // The model's fill: the focal point as the meaning of the two controls gives it.
    M::Fill model() const {
        M::Fill f = fill;
        f.focal = M::focalPoint(fill.center, fill.radius, focalDegrees, focalPercent / 100.0);
        return f;
    }
};

M::StopGroup stop(std::uint8_t r, std::uint8_t g, std::uint8_t b, double opacity, double position) {
    M::StopGroup s;
    s.r = r, s.g = g, s.b = b, s.opacityPercent = opacity, s.positionPercent = position;
    return s;
}

// Every pixel against the model; pixels of a transparent layer come back as 0.
int expectFrameMatches(HeadlessHost& host, const M::Fill& fill) {
    int wrong = 0;
    for (int y = 0; y < host.output().height(); ++y)
        for (int x = 0; x < host.output().width(); ++x) {
            const M::Argb8 layer = argb(host.input().at(x, y));
            const M::Argb8 got = argb(host.output().at(x, y));
            std::string why;
            bool ok = M::matches(got, M::renderPixel(fill, layer, x, y), 2, &why);
            if (layer.a == 0 && (got.a || got.r || got.g || got.b)) {
                ok = false;
                why = "transparent layer pixel came back " + M::toString(got);
            }
            if (!ok && ++wrong <= 4) ADD_FAILURE() << "pixel " << x << "," << y << ": " << why;
        }
    return wrong;
}

// A layer of four bands: opaque, alpha 128, alpha 60, fully transparent;
// colours light and dark on both sides of one half.
void paintLayer(World& world) {
    const A_u_char alphas[4] = {255, 128, 60, 0};
    for (int y = 0; y < world.height(); ++y)
        for (int x = 0; x < world.width(); ++x) {
            const A_u_char a = alphas[x * 4 / world.width()];
            world.at(x, y) = a == 0 ? PF_Pixel8{0, 0, 0, 0}
                                    : PF_Pixel8{a, static_cast<A_u_char>((x * 41 + 17) % 256),
                                                static_cast<A_u_char>((y * 67 + x * 5) % 256),
                                                static_cast<A_u_char>((x * y * 29 + 200) % 256)};
        }
}

TEST(FillE2E, EveryFillAndBlendModeWithTwoElevenAndUnorderedStops) {
    constexpr int kW = 24, kH = 7;
    auto host = moduleHost(kW, kH, kW * 4 + 12);  // padded rows
    paintLayer(host->input());

    std::vector<M::StopGroup> eleven;
    for (int n = 0; n < 11; ++n)
        eleven.push_back(stop(static_cast<std::uint8_t>(n * 23), static_cast<std::uint8_t>(255 - n * 19),
                              static_cast<std::uint8_t>((n * 97) % 256), 40 + n * 6, n * 10));
    const std::vector<std::pair<const char*, std::vector<M::StopGroup>>> stopSets = {
        {"two stops", {stop(255, 40, 0, 100, 0), stop(0, 90, 255, 70, 100)}},
        {"eleven stops", eleven},
        {"descending and duplicate positions",
         {stop(255, 255, 0, 100, 100), stop(0, 255, 0, 50, 60), stop(255, 0, 255, 90, 60), stop(0, 0, 255, 100, 30),
          stop(10, 20, 30, 80, 0)}},
    };
    Settings s;
    s.fill.solid = {190, 30, 160, 250};
    s.fill.start = {3, 1};
    s.fill.end = {20.5, 6};
    s.fill.center = {12, 3};
    s.fill.radius = 10;
    s.focalDegrees = 45;
    s.focalPercent = 30;
    s.fill.sweepCenter = {11.7, 2.9};

    const char* fills[] = {"Solid", "Linear", "Radial", "Sweep"};
    const char* blends[] = {"Normal", "Multiply", "Add", "Screen", "Overlay", "Replace"};
    for (int f = 0; f < 4; ++f)
        for (int b = 0; b < 6; ++b)
            for (const auto& [name, groups] : stopSets) {
                if (f == M::kSolid && groups.size() != 2) continue;  // no stops
                SCOPED_TRACE(std::string(fills[f]) + "/" + blends[b] + ", " + name);
                s.fill.type = f;
                s.fill.blend = b;
                s.fill.groups = groups;
                s.apply(*host);
                ASSERT_EQ(host->render(), PF_Err_NONE);
                expectFrameMatches(*host, s.model());
                EXPECT_TRUE(host->output().paddingIntact());
            }
}

// The colour of one pixel: the stops are blue at 0, red at 25 % and yellow at
// 100 %; Replace shows the fill colour itself over the opaque layer.
struct Probe {
    int x, y;
    M::Argb8 expected;
    const char* what;
};
const M::Argb8 kBlue{255, 0, 0, 255}, kRed{255, 255, 0, 0}, kYellow{255, 255, 255, 0};

void expectProbes(HeadlessHost& host, const Settings& s, const std::vector<Probe>& probes) {
    s.apply(host);
    ASSERT_EQ(host.render(), PF_Err_NONE);
    expectFrameMatches(host, s.model());
    for (const Probe& p : probes) {
        const M::Argb8 got = argb(host.output().at(p.x, p.y));
        EXPECT_TRUE(M::matches(got, p.expected, 1)) << p.what << ": " << M::toString(got);
    }
}

class FillGeometry : public ::testing::Test {
protected:
    void SetUp() override {
        host = moduleHost(21, 15);
        host->input().fill({255, 128, 128, 128});
        s.fill.blend = M::kReplace;
        s.fill.groups = {stop(0, 0, 255, 100, 0), stop(255, 0, 0, 100, 25), stop(255, 255, 0, 100, 100)};
    }
    std::unique_ptr<HeadlessHost> host;
    Settings s;
};

TEST_F(FillGeometry, Linear) {
    s.fill.type = M::kLinear;
    s.fill.start = {4.5, 2};
    s.fill.end = {12.5, 2};
    expectProbes(*host, s,
                 {{4, 7, kBlue, "t = 0 at the start point"},
                  {6, 7, kRed, "t = 0.25 a quarter of the way"},
                  {1, 7, kBlue, "the first colour before the start"},
                  {17, 7, kYellow, "the last colour past the end"}});
}

TEST_F(FillGeometry, Sweep) {
    s.fill.type = M::kSweep;
    s.fill.sweepCenter = {7.5, 6.5};
    expectProbes(*host, s,
                 {{12, 6, kBlue, "t = 0 to the right of the centre"},
                  {7, 11, kRed, "t = 0.25 toward +y (growing rows)"}});
}

TEST_F(FillGeometry, RadialFocalOffsetPointsTowardGrowingRows) {
    s.fill.type = M::kRadial;
    s.fill.center = {10.5, 6.5};
    s.fill.radius = 6;
    s.focalDegrees = 90;
    s.focalPercent = 50;  // the focus 3 pixels below the centre
    expectProbes(*host, s,
                 {{10, 9, kBlue, "t = 0 at the focal point (3 rows down)"},
                  {20, 6, kYellow, "the last colour outside the circle"}});
    const M::Argb8 above = argb(host->output().at(10, 3));
    EXPECT_FALSE(M::matches(above, kBlue, 8)) << "the same distance above is not the focus";
}

TEST_F(FillGeometry, DownsampleDenominatorHalvesTheRadius) {
    s.fill.type = M::kRadial;
    s.fill.center = {10.5, 7.5};
    s.fill.radius = 8;
    const Probe inside{16, 7, {}, ""};
    expectProbes(*host, s, {});
    EXPECT_FALSE(M::matches(argb(host->output().at(inside.x, inside.y)), kYellow, 8)) << "6 px out, radius 8";
    s.downsample = 2;  // the host is asked for radius 16, read as 8
    s.fill.radius = 4;
    expectProbes(*host, s, {{16, 7, kYellow, "6 px out, radius 4: outside the circle"}});
}

// Where the math of a gradient has no value of its own, the value its meaning
// gives. The layer is 21 x 15, so the default centre (50 %, 50 %) is the
// centre of pixel (10, 7).
TEST_F(FillGeometry, PixelsWithoutAValueOfTheirOwn) {
    host->setValue("Fill Type", ParamValue::scalar(3));
    host->setValue("Blend Mode", ParamValue::scalar(6));
    host->setValue("Color 1", ParamValue::color({255, 0, 0, 255}));
    host->setValue("Color 2", ParamValue::color({255, 255, 255, 0}));
    host->setValue("Stop 2", ParamValue::scalar(100));
    // Radial with the default centred focus: the focal pixel is the first colour.
    ASSERT_EQ(host->render(), PF_Err_NONE);
    EXPECT_TRUE(M::matches(argb(host->output().at(10, 7)), kBlue, 0)) << M::toString(argb(host->output().at(10, 7)));

    // Sweep with the default centre: the centre pixel has t = 0.
    host->setValue("Fill Type", ParamValue::scalar(4));
    ASSERT_EQ(host->render(), PF_Err_NONE);
    EXPECT_TRUE(M::matches(argb(host->output().at(10, 7)), kBlue, 0)) << M::toString(argb(host->output().at(10, 7)));

    // A radial gradient of radius 0 and a linear one whose ends coincide: the
    // last colour everywhere.
    struct Row {
        const char* name;
        std::function<void()> set;
    };
    const Row rows[] = {
        {"radius 0",
         [&] {
             host->setValue("Fill Type", ParamValue::scalar(3));
             host->setValue("Radial Radius", ParamValue::scalar(0));
         }},
        {"start = end",
         [&] {
             host->setValue("Fill Type", ParamValue::scalar(2));
             host->setValue("Gradient Start", ParamValue::point(10.5, 7.5));
             host->setValue("Gradient End", ParamValue::point(10.5, 7.5));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.set();
        ASSERT_EQ(host->render(), PF_Err_NONE);
        int wrong = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 21; ++x)
                if (!M::matches(argb(host->output().at(x, y)), kYellow, 0) && ++wrong <= 3)
                    ADD_FAILURE() << x << "," << y << ": " << M::toString(argb(host->output().at(x, y)));
    }
}

}  // namespace
}  // namespace Tavrolin::Fill
