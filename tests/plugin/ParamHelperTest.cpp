// The parameter readers against the headless host's checkout and checkin.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <glbinding/gl/gl.h>

#include <vector>

#include "host/lib/HeadlessHost.h"
#include "plugin/ParamHelper.h"
#include "support/GLTestContext.h"

namespace Tavrolin::Fill {
namespace {

class ParamHelperTest : public ::testing::Test {
protected:
    int add(PF_ParamType type) {
        PF_ParamDef def;
        std::memset(&def, 0, sizeof def);
        def.param_type = type;
        std::snprintf(def.name, sizeof def.name, "P%d", host.paramCount());
        def.uu.id = host.paramCount();
        return host.addParam(def);
    }
    int add(PF_ParamType type, const ParamValue& value) {
        const int index = add(type);
        host.setValue(index, value);
        return index;
    }
    PF_InData* in() { return host.inData(); }
    PF_OutData* out() { return host.outData(); }

    HeadlessHost host;
};

TEST_F(ParamHelperTest, ConvertsEachTypeToItsUnit) {
    const int popup = add(PF_Param_POPUP, ParamValue::scalar(3));
    const int point = add(PF_Param_POINT, ParamValue::point(50, 25));
    const int color = add(PF_Param_COLOR, ParamValue::color({128, 255, 0, 51}));
    const int angle = add(PF_Param_ANGLE, ParamValue::scalar(-90.5));
    const int box = add(PF_Param_CHECKBOX, ParamValue::scalar(1));
    const int point3 = add(PF_Param_POINT_3D, ParamValue::point3(1.25, -2.5, 1e6));

    int choice = -7;
    EXPECT_TRUE(ParamHelper::ReadPopUp(in(), out(), popup, choice));
    EXPECT_EQ(choice, 2);

    Vec2 p(-1, -1);
    EXPECT_TRUE(ParamHelper::ReadVec2(in(), out(), point, p));
    EXPECT_DOUBLE_EQ(p.x, 50.0);
    EXPECT_DOUBLE_EQ(p.y, 25.0);

    Color c(0.5, 0.5, 0.5, 0.5);
    EXPECT_TRUE(ParamHelper::ReadColor(in(), out(), color, c));
    EXPECT_DOUBLE_EQ(c.r(), 1.0);
    EXPECT_DOUBLE_EQ(c.g(), 0.0);
    EXPECT_DOUBLE_EQ(c.b(), 0.2);
    EXPECT_DOUBLE_EQ(c.a(), 128.0 / 255.0);

    double degrees = 0;
    EXPECT_TRUE(ParamHelper::ReadAngle(in(), out(), angle, degrees));
    EXPECT_DOUBLE_EQ(degrees, -90.5);

    bool on = false;
    EXPECT_TRUE(ParamHelper::ReadBool(in(), out(), box, on));
    EXPECT_TRUE(on);

    Vec3 q;
    EXPECT_TRUE(ParamHelper::ReadVec3(in(), out(), point3, q));
    EXPECT_DOUBLE_EQ(q.x, 1.25);
    EXPECT_DOUBLE_EQ(q.y, -2.5);
    EXPECT_DOUBLE_EQ(q.z, 1e6);
}

TEST_F(ParamHelperTest, SlidersAsIntegersFloatsAndFractions) {
    struct Row {
        const char* name;
        PF_ParamType type;
        double value;
        int asInt;
        double asFloat;
    };
    const Row rows[] = {
        {"float 37.5", PF_Param_FLOAT_SLIDER, 37.5, 37, 37.5},
        {"float -2.7 truncates toward zero", PF_Param_FLOAT_SLIDER, -2.7, -2, -2.7},
        {"float beyond int saturates", PF_Param_FLOAT_SLIDER, 1e12, 2147483647, 1e12},
        {"fixed 2.75 drops the fraction", PF_Param_FIX_SLIDER, 2.75, 2, 2.0},
        {"fixed -0.5 is floored", PF_Param_FIX_SLIDER, -0.5, -1, -1.0},
        {"integer slider", PF_Param_SLIDER, 42, 42, 42.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int index = add(row.type, ParamValue::scalar(row.value));
        int i = 0;
        double f = 0, fraction = 0;
        EXPECT_TRUE(ParamHelper::ReadInt(in(), out(), index, i));
        EXPECT_TRUE(ParamHelper::ReadFloat(in(), out(), index, f));
        EXPECT_TRUE(ParamHelper::ReadPercent(in(), out(), index, fraction));
        EXPECT_EQ(i, row.asInt);
        EXPECT_DOUBLE_EQ(f, row.asFloat);
        EXPECT_DOUBLE_EQ(fraction, row.asFloat / 100.0);
    }
}

TEST_F(ParamHelperTest, ReadsAtTheCommandsTime) {
    const int slider = add(PF_Param_FLOAT_SLIDER);
    host.setKeyframe(slider, 0.0, ParamValue::scalar(100));
    host.setKeyframe(slider, 1.0, ParamValue::scalar(300));
    host.setTime(15, 1, 30);  // half a second
    host.clearDirect();
    double value = 0;
    EXPECT_TRUE(ParamHelper::ReadFloat(in(), out(), slider, value));
    EXPECT_DOUBLE_EQ(value, 200.0);
    ASSERT_EQ(host.direct().checkouts.size(), 1u);
    EXPECT_EQ(host.direct().checkouts[0].time, 15);
    EXPECT_EQ(host.direct().checkouts[0].timeStep, 1);
    EXPECT_EQ(host.direct().checkouts[0].timeScale, 30u);
    EXPECT_EQ(host.direct().checkins, 1);
}

TEST_F(ParamHelperTest, WrongTypeLeavesTheOutputAndStillChecksIn) {
    const int slider = add(PF_Param_FLOAT_SLIDER, ParamValue::scalar(5));
    host.clearDirect();
    Color c(0.1, 0.2, 0.3, 0.4);
    EXPECT_FALSE(ParamHelper::ReadColor(in(), out(), slider, c));
    EXPECT_EQ(c, Color(0.1, 0.2, 0.3, 0.4));
    int choice = 9;
    EXPECT_FALSE(ParamHelper::ReadPopUp(in(), out(), slider, choice));
    EXPECT_EQ(choice, 9);
    double degrees = 3;
    EXPECT_FALSE(ParamHelper::ReadAngle(in(), out(), slider, degrees));
    EXPECT_EQ(degrees, 3);
    EXPECT_EQ(host.direct().checkins, 3);
}

TEST_F(ParamHelperTest, RefusedCheckoutLeavesTheOutputWithoutCheckin) {
    const int popup = add(PF_Param_POPUP, ParamValue::scalar(2));
    host.faults().refusedCheckouts.insert(popup);
    host.clearDirect();
    int choice = 5;
    EXPECT_FALSE(ParamHelper::ReadPopUp(in(), out(), popup, choice));
    EXPECT_EQ(choice, 5);
    double fraction = 0.25;
    EXPECT_FALSE(ParamHelper::ReadPercent(in(), out(), popup, fraction));
    EXPECT_EQ(fraction, 0.25);  // not divided either
    EXPECT_EQ(host.direct().checkins, 0);
}

TEST_F(ParamHelperTest, LayerWithoutPixelsGivesNoTexture) {
    host.setLayerParamEmpty(true);
    unsigned int texture = 77;
    Vec2 size(5, 5);
    float multiplier = 3.0f;
    EXPECT_TRUE(ParamHelper::ReadLayer(in(), out(), 0, texture, size, multiplier));
    EXPECT_EQ(texture, 0u);
    EXPECT_EQ(size, Vec2(0, 0));
    EXPECT_EQ(multiplier, 1.0f);
    // Not a layer: false, untouched.
    const int popup = add(PF_Param_POPUP, ParamValue::scalar(1));
    texture = 77;
    EXPECT_FALSE(ParamHelper::ReadLayer(in(), out(), popup, texture, size, multiplier));
    EXPECT_EQ(texture, 77u);
}

TEST_F(ParamHelperTest, LayerBecomesATextureOfItsPixels) {
    ASSERT_TRUE(::Tavrolin::Fill::Test::makeTestContextCurrent());
    host.setLayer(3, 2, 20);  // rows padded by 8 bytes
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            host.input().at(x, y) = PF_Pixel8{static_cast<A_u_char>(255 - x), static_cast<A_u_char>(10 * x + y),
                                              static_cast<A_u_char>(100 + y), static_cast<A_u_char>(x * y)};
    unsigned int texture = 0;
    Vec2 size;
    float multiplier = 0.0f;
    ASSERT_TRUE(ParamHelper::ReadLayer(in(), out(), 0, texture, size, multiplier));
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(size, Vec2(3, 2));
    EXPECT_EQ(multiplier, 1.0f);
    // The host's alpha, red, green and blue in R, G, B, A, without the padding.
    std::vector<float> texels(3 * 2 * 4);
    gl::glBindTexture(gl::GL_TEXTURE_2D, texture);
    gl::glGetTexImage(gl::GL_TEXTURE_2D, 0, gl::GL_RGBA, gl::GL_FLOAT, texels.data());
    gl::glBindTexture(gl::GL_TEXTURE_2D, 0);
    gl::glDeleteTextures(1, &texture);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const PF_Pixel8& p = host.input().at(x, y);
            const float* t = &texels[(y * 3 + x) * 4];
            EXPECT_FLOAT_EQ(t[0], p.alpha / 255.0f);
            EXPECT_FLOAT_EQ(t[1], p.red / 255.0f);
            EXPECT_FLOAT_EQ(t[2], p.green / 255.0f);
            EXPECT_FLOAT_EQ(t[3], p.blue / 255.0f);
        }
}

}  // namespace
}  // namespace Tavrolin::Fill
