// The fill program's text, assembled without any GL context. The expected
// texts are written out here piece by piece; the three lines that keep the
// program's math defined where it would not be (the zero-length linear
// gradient, the radial focal point and zero radius, the sweep centre) are
// marked "defined value".

#include <gtest/gtest.h>

#include <string>

#include "render/FinalRender.h"

namespace Tavrolin::Fill {
namespace {

const std::string kHeader =
    "#version 330\n"
    "uniform sampler2D videoTexture;\n"
    "uniform float multiplier16bit;\n"
    "out vec4 colour;\n"
    "in vec2 vtcoord;\n"
    "uniform vec3 ufrag[3];\n"
    "#define extent ufrag[0].xy\n"
    " #define strokeMult ufrag[0].z\n"
    "#define tex_type ufrag[1].x\n"
    "#define complexPoint ufrag[1].yz\n"
    "#define radius ufrag[2].x\n"
    "#define numColors (int(ufrag[2].y))\n"
    "#define alpha ufrag[2].z\n"
    "vec4 swapChannel(vec4 color) {return vec4(color.g, color.b, color.a, color.r);}\n"
    "uniform vec4 ucolors[11];\n";
const std::string kStops = "uniform float ucolorStops[11];\n";
const std::string kOpening =
    "void main(){\n"
    "   vec4 baseColor = swapChannel(texture(videoTexture, vtcoord));\n";
const std::string kComposite =
    "   color.a *= baseColor.a;\n"
    "   float frag_alpha =  color.a + baseColor.a * (1.0 - color.a);\n"
    "\tcolour = vec4((1.0 - color.a / frag_alpha) * baseColor.rgb + color.a / frag_alpha * ((1.0 - baseColor.a) * "
    "color.rgb + baseColor.a * BlendFunc(baseColor.rgb, color.rgb)), frag_alpha);\n";
const std::string kClosing =
    "\tcolour = vec4(colour.r * colour.a, colour.g * colour.a, colour.b * colour.a, colour.a) * multiplier16bit;\n"
    "}";
const std::string kTabs = "\t\t\t\t\t\t\t\t";

TEST(FinalRenderText, VertexTextIsTheSameForEveryFill) {
    EXPECT_EQ(FinalRender::vertexSource(),
              "#version 330\n"
              "in vec3 avertex;\n"
              "in vec2 atcoord;\n"
              "out vec2 vtcoord;\n"
              "uniform vec2 viewPort;\n"
              "void main() {\n"
              "   vtcoord = atcoord;\n"
              "   gl_Position = vec4(avertex.x, avertex.y, 0.0, 1.0);\n"
              "}");
}

// The fill pieces, each from the line after `main`'s opening to the composite.
const std::string kSolidFill = "vec4 color = ucolors[0];\n";
const std::string kLinearFill =
    std::string("vec2 pt = gl_FragCoord.xy;\n") +
    "vec2 r = complexPoint - extent;\n" +
    " " + kTabs + " float rl = length(r);\n" +
    " " + kTabs + " float dist = dot(complexPoint - pt, r) / rl;\n" +
    " " + kTabs + " vec4 color = ucolors[0]; \n" +
    kTabs + " for (int i=1; i<numColors; ++i) {\n" +
    // defined value: start and end in one point give the last colour
    kTabs + " color = mix(color, ucolors[i], smoothstep(ucolorStops[i-1], ucolorStops[i], " +
    "(rl > 0.0 ? dist/rl : 1.0)));}\n";
const std::string kRadialFill =
    std::string("vec2 pt = gl_FragCoord.xy;\n") +
    "vec2 focal = extent;\n" +
    " " + kTabs + " vec2 center = complexPoint;\n" +
    " " + kTabs + " vec2 fd = focal - center;\n" +
    " " + kTabs + " vec2 d = focal - pt;\n" +
    " " + kTabs + " vec2 dn = normalize(vec2(-d.y, d.x));\n" +
    " " + kTabs + " float center_to_line_dist = dot(fd, dn) / length(dn);\n" +
    " " + kTabs + " float fd_on_proj_d_dist = dot(fd, d) / length(d);\n" +
    // defined value: no square root of a negative number
    " " + kTabs + " float cut_line_length = sqrt(max(0.0, radius * radius - center_to_line_dist * " +
    "center_to_line_dist)) + fd_on_proj_d_dist;\n" +
    " " + kTabs + " vec4 color = ucolors[0];\n" +
    " " + kTabs + " for (int i=1; i<numColors; ++i) {\n" +
    // defined value: t = 0 at the focal point, the last colour for radius 0
    kTabs + " color = mix(color, ucolors[i], smoothstep(ucolorStops[i-1], ucolorStops[i], " +
    "(radius > 0.0 ? (length(d) > 0.0 ? min(1.0, length(d)/cut_line_length ) : 0.0) : 1.0))); }\n";
const std::string kSweepFill =
    std::string("vec2 pt = gl_FragCoord.xy;\n") +
    "vec2 sweep = (pt - complexPoint);\n" +
    // defined value: t = 0 at the centre
    " " + kTabs + "highp float index = (sweep.x == 0.0 && sweep.y == 0.0) ? 0.0 : " +
    "atan(sweep.y, sweep.x) * 0.15915494309; \n" +
    " " + kTabs + "vec4 color = ucolors[0];\n" +
    " " + kTabs + "for (int i=1; i<numColors; ++i) {\n" +
    kTabs + "color = mix(color, ucolors[i], smoothstep(ucolorStops[i-1], ucolorStops[i], " +
    "clamp(index - floor(index), 0.0, 1.0)));\n" +
    " }\n";

// The blend functions by mode; Replace has Normal's.
const std::string kNormalBlend = "vec3 BlendFunc(vec3 base, vec3 blend) {return blend; }\n";
const std::string kMultiplyBlend = "vec3 BlendFunc(vec3 base, vec3 blend){return base * blend; }\n";
const std::string kAddBlend = "vec3 BlendFunc(vec3 base, vec3 blend){return min(base + blend, vec3(1.0)); }\n";
const std::string kScreenBlend =
    "float BlendScreenf(float base, float blend) \t\t{ return 1.0 - ((1.0 - base) * (1.0 - blend));}\n"
    "vec3 BlendFunc(vec3 base, vec3 blend){return "
    "vec3(BlendScreenf(base.r,blend.r),BlendScreenf(base.g,blend.g),BlendScreenf(base.b,blend.b)); }\n";
const std::string kOverlayBlend =
    "float BlendOverlayf(float base, float blend) \t\t{ return "
    "base<0.5?(2.0*base*blend):(1.0-2.0*(1.0-base)*(1.0-blend));}\n"
    "vec3 BlendFunc(vec3 base, vec3 blend){return "
    "vec3(BlendOverlayf(base.r,blend.r),BlendOverlayf(base.g,blend.g),BlendOverlayf(base.b,blend.b)); }\n";
const std::string kReplaceLine = "\tcolour = color;\n";

TEST(FinalRenderText, SolidNormal) {
    const std::string expected = kHeader + kNormalBlend + kOpening + kSolidFill + kComposite + kClosing;
    const std::string text = FinalRender::fragmentSource(FinalRender::kSolidColor, FinalRender::kNormal);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.find("ucolorStops"), std::string::npos);
    EXPECT_EQ(text.find("pt"), std::string::npos);
}

TEST(FinalRenderText, LinearMultiply) {
    EXPECT_EQ(FinalRender::fragmentSource(FinalRender::kLinearGradient, FinalRender::kMultiply),
              kHeader + kStops + kMultiplyBlend + kOpening + kLinearFill + kComposite + kClosing);
}

TEST(FinalRenderText, RadialReplace) {
    EXPECT_EQ(FinalRender::fragmentSource(FinalRender::kRadialGradient, FinalRender::kReplace),
              kHeader + kStops + kNormalBlend + kOpening + kRadialFill + kComposite + kReplaceLine + kClosing);
}

TEST(FinalRenderText, SweepOverlay) {
    EXPECT_EQ(FinalRender::fragmentSource(FinalRender::kSweepGradient, FinalRender::kOverlay),
              kHeader + kStops + kOverlayBlend + kOpening + kSweepFill + kComposite + kClosing);
}

// All 24 texts, each assembled here from the pieces above.
TEST(FinalRenderText, EveryFillAndBlendMode) {
    const std::string fills[FinalRender::kFillTypeCount] = {kSolidFill, kLinearFill, kRadialFill, kSweepFill};
    const std::string blends[FinalRender::kBlendModeCount] = {kNormalBlend,  kMultiplyBlend, kAddBlend,
                                                              kScreenBlend,  kOverlayBlend,  kNormalBlend};
    for (int fill = 0; fill < FinalRender::kFillTypeCount; ++fill)
        for (int mode = 0; mode < FinalRender::kBlendModeCount; ++mode) {
            const std::string expected = kHeader + (fill == FinalRender::kSolidColor ? "" : kStops) + blends[mode] +
                                         kOpening + fills[fill] + kComposite +
                                         (mode == FinalRender::kReplace ? kReplaceLine : "") + kClosing;
            EXPECT_EQ(FinalRender::fragmentSource(fill, mode), expected) << "fill " << fill << ", blend " << mode;
        }
}

TEST(FinalRenderText, ValuesOutsideTheTablesAreTheFirstEntry) {
    // Solid Color with Normal, assembled from the pieces, not asked of the generator.
    const std::string first = kHeader + kNormalBlend + kOpening + kSolidFill + kComposite + kClosing;
    EXPECT_EQ(FinalRender::fragmentSource(4, 0), first);
    EXPECT_EQ(FinalRender::fragmentSource(-1, 6), first);
    EXPECT_EQ(FinalRender::fragmentSource(0, 99), first);
}

}  // namespace
}  // namespace Tavrolin::Fill
