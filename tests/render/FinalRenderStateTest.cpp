// FinalRender::prepare and insertColorRecord against the headless host's
// parameters, without any GL context (nothing here builds a program).

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "render/FinalRenderTestHost.h"
#include "render/FinalRender.h"
#include "render/OpenglShader.h"

namespace Tavrolin::Fill {
namespace {

namespace TS = ::Tavrolin::Fill::Test;

class FinalRenderState : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.paramCount(), 67);
        set("Fill Type", 2);
        set("Blend Mode", 1);
        set("Color Stop Amount", 1);
        for (int n = 1; n <= 11; ++n) {
            setColor(n, {255, 255, 0, 0});
            set("Opacity " + std::to_string(n), 100);
            set("Stop " + std::to_string(n), 10.0 * (n - 1));
        }
    }
    void set(const std::string& name, double v) { host.setValue(name, ParamValue::scalar(v)); }
    void setPoint(const std::string& name, double x, double y) { host.setValue(name, ParamValue::point(x, y)); }
    void setColor(int group, PF_Pixel8 p) { host.setValue("Color " + std::to_string(group), ParamValue::color(p)); }
    void prepare() { render.prepare(host.inData(), host.outData()); }

    // (position, colour) pairs in map order.
    std::vector<std::pair<float, Color>> stops() const {
        std::vector<std::pair<float, Color>> out;
        for (const auto& [position, index] : render.stopIndex()) out.emplace_back(position, render.colors()[index]);
        return out;
    }

    TS::EffectParamsHost host;
    FinalRender render;
};

TEST_F(FinalRenderState, ConstructionHoldsNothing) {
    FinalRender fresh;
    EXPECT_EQ(fresh.fillType(), 0);
    EXPECT_EQ(fresh.blendMode(), 0);
    EXPECT_EQ(fresh.shader(), nullptr);
    EXPECT_TRUE(fresh.stopIndex().empty());
    EXPECT_TRUE(fresh.colors().empty());
    EXPECT_EQ(fresh.radius(), 0.0);
}

TEST_F(FinalRenderState, SolidColorIsOneStopWithTheParametersOwnAlpha) {
    set("Fill Type", 1);
    host.setValue("Solid Color", ParamValue::color({128, 10, 20, 30}));
    prepare();
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].first, 0.0f);
    EXPECT_EQ(stops()[0].second, Color(10 / 255.0, 20 / 255.0, 30 / 255.0, 128 / 255.0));
}

TEST_F(FinalRenderState, StopsAreWalkedInAscendingPositionWithOpacityAsAlpha) {
    set("Color Stop Amount", 2);  // three stops
    setColor(1, {10, 255, 0, 0});  // the colour's own alpha is dropped
    setColor(2, {255, 0, 255, 0});
    setColor(3, {255, 0, 0, 255});
    set("Stop 1", 100);
    set("Stop 2", 0);
    set("Stop 3", 50);
    set("Opacity 1", 25);
    prepare();
    const auto s = stops();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].first, 0.0f);
    EXPECT_EQ(s[0].second, Color(0, 1, 0, 1));
    EXPECT_EQ(s[1].first, 0.5f);
    EXPECT_EQ(s[1].second, Color(0, 0, 1, 1));
    EXPECT_EQ(s[2].first, 1.0f);
    EXPECT_EQ(s[2].second, Color(1, 0, 0, 0.25));
}

TEST_F(FinalRenderState, EqualPositionsAreOneStopWithTheLaterGroup) {
    set("Color Stop Amount", 2);
    set("Stop 2", 40);
    set("Stop 3", 40);
    setColor(2, {255, 0, 255, 0});
    setColor(3, {255, 0, 0, 255});
    set("Opacity 3", 60);
    prepare();
    const auto s = stops();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].first, 0.4f);
    EXPECT_EQ(s[1].second, Color(0, 0, 1, 0.6));
    EXPECT_EQ(render.colors().size(), 2u);  // the vector holds no orphan
}

TEST_F(FinalRenderState, FirstStopAmountReadsGroupsOneAndTwoOnly) {
    set("Color Stop Amount", 1);
    host.clearDirect();
    prepare();
    EXPECT_EQ(stops().size(), 2u);
    std::set<int> read;
    for (const Checkout& c : host.direct().checkouts) read.insert(c.index);
    EXPECT_EQ(read, (std::set<int>{1, 10, 3, 4, 11, 13, 14, 15, 18, 19, 20}));
}

TEST_F(FinalRenderState, EachFillReadsItsOwnParameters) {
    struct Row {
        const char* name;
        int fillType;
        std::set<int> indices;
    };
    // Fill Type 1, Blend Mode 10; with two stops groups 1 and 2 (13-15, 18-20)
    // after Color Stop Amount 11.
    const Row rows[] = {
        {"solid: its colour, no stops", 1, {1, 10, 2}},
        {"radial: centre, angle, distance, radius", 3, {1, 10, 6, 7, 8, 5, 11, 13, 14, 15, 18, 19, 20}},
        {"sweep: its centre", 4, {1, 10, 9, 11, 13, 14, 15, 18, 19, 20}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        set("Fill Type", row.fillType);
        host.clearDirect();
        prepare();
        std::set<int> read;
        for (const Checkout& c : host.direct().checkouts) read.insert(c.index);
        EXPECT_EQ(read, row.indices);
    }
}

TEST_F(FinalRenderState, OutOfTablePopUpsAreBounded) {
    // However the host answers: no more than eleven groups, and an unknown
    // fill type or blend mode is the first entry.
    set("Color Stop Amount", 40);
    host.clearDirect();
    prepare();
    EXPECT_EQ(stops().size(), 11u);
    for (const Checkout& c : host.direct().checkouts) EXPECT_LE(c.index, 65);

    set("Fill Type", 9);
    set("Blend Mode", 0);
    prepare();
    EXPECT_EQ(render.fillType(), FinalRender::kSolidColor);
    EXPECT_EQ(render.blendMode(), FinalRender::kNormal);
    EXPECT_EQ(stops().size(), 1u);
}

TEST_F(FinalRenderState, LinearPointsGoToStartAndEnd) {
    set("Fill Type", 2);
    setPoint("Gradient Start", 100, 50);
    setPoint("Gradient End", 300, 50.25);
    prepare();
    EXPECT_EQ(render.complexPoint().x, 100.0f);
    EXPECT_EQ(render.complexPoint().y, 50.0f);
    EXPECT_EQ(render.extent().x, 300.0f);
    EXPECT_EQ(render.extent().y, 50.25f);
}

TEST_F(FinalRenderState, RadialFocalPoint) {
    struct Row {
        const char* name;
        double radius, degrees, percent;
        unsigned den;
        double focalX, focalY, expectRadius;
    };
    // Centre (100, 80); the focal point is the centre moved by the distance in
    // the angle's direction, 90 degrees toward growing rows.
    const Row rows[] = {
        {"angle 0, half the radius", 60, 0, 50, 1, 130, 80, 60},
        {"100 % sits one pixel inside", 60, 0, 100, 1, 159, 80, 60},
        {"90 degrees points to growing rows", 60, 90, 50, 1, 100, 110, 60},
        {"180 degrees", 60, 180, 25, 1, 85, 80, 60},
        {"downsample 2 halves the radius", 60, 0, 50, 2, 115, 80, 30},
        {"radius 0: one pixel opposite", 0, 90, 40, 1, 100, 79, 0},
    };
    set("Fill Type", 3);
    setPoint("Radial Center", 100, 80);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        set("Radial Radius", row.radius);
        set("Focal Offset Angle", row.degrees);
        set("Focal Offset Distance", row.percent);
        host.setDownsample(1, row.den, 1, 1);
        prepare();
        EXPECT_DOUBLE_EQ(render.radius(), row.expectRadius);
        EXPECT_EQ(render.complexPoint().x, 100.0f);
        EXPECT_EQ(render.complexPoint().y, 80.0f);
        EXPECT_NEAR(render.extent().x, row.focalX, 1e-4);
        EXPECT_NEAR(render.extent().y, row.focalY, 1e-4);
    }
}

TEST_F(FinalRenderState, SweepCenter) {
    set("Fill Type", 4);
    setPoint("Sweep Center", 10.5, 20.5);
    prepare();
    EXPECT_EQ(render.complexPoint().x, 10.5f);
    EXPECT_EQ(render.complexPoint().y, 20.5f);
}

TEST_F(FinalRenderState, ProgramIsDiscardedOnlyOnFillOrBlendChange) {
    prepare();
    render.buildShader();  // no GL call: the program is built at first use
    const OpenglShader* first = render.shader();
    ASSERT_NE(first, nullptr);
    render.buildShader();
    EXPECT_EQ(render.shader(), first);

    // Colours, stops, points, radius and stop count keep the program.
    setColor(1, {255, 1, 2, 3});
    set("Stop 2", 70);
    set("Color Stop Amount", 5);
    setPoint("Gradient Start", 3, 4);
    set("Radial Radius", 12);
    prepare();
    EXPECT_EQ(render.shader(), first);

    set("Blend Mode", 4);
    prepare();
    EXPECT_EQ(render.shader(), nullptr);
    render.buildShader();
    EXPECT_NE(render.shader(), nullptr);

    set("Fill Type", 3);
    prepare();
    EXPECT_EQ(render.shader(), nullptr);
}

TEST(FinalRenderInsert, SamePositionOverwritesInPlace) {
    FinalRender render;
    render.insertColorRecord(0.5f, Color(1, 0, 0, 1));
    render.insertColorRecord(0.25f, Color(0, 1, 0, 1));
    render.insertColorRecord(0.5f, Color(0, 0, 1, 0.5));
    ASSERT_EQ(render.stopIndex().size(), 2u);
    ASSERT_EQ(render.colors().size(), 2u);
    EXPECT_EQ(render.stopIndex().at(0.5f), 0u);
    EXPECT_EQ(render.stopIndex().at(0.25f), 1u);
    EXPECT_EQ(render.colors()[0], Color(0, 0, 1, 0.5));
}

}  // namespace
}  // namespace Tavrolin::Fill
