#include "render/FinalRender.h"

#include <glbinding/gl/gl.h>

#include "platform/EGLPlatform.h"
#include "plugin/ParamHelper.h"
#include "plugin/ParamTable.h"
#include "render/OpenglShader.h"

using namespace gl;

namespace Tavrolin::Fill {

namespace {

// ---- program text ---------------------------------------------------------

const char* const kVertexText =
    "#version 330\n"
    "in vec3 avertex;\n"
    "in vec2 atcoord;\n"
    "out vec2 vtcoord;\n"
    "uniform vec2 viewPort;\n"
    "void main() {\n"
    "   vtcoord = atcoord;\n"
    "   gl_Position = vec4(avertex.x, avertex.y, 0.0, 1.0);\n"
    "}";

const char* const kHeader =
    "#version 330\n"
    "uniform sampler2D videoTexture;\n"
    "uniform float multiplier16bit;\n"
    "out vec4 colour;\n"
    "in vec2 vtcoord;\n";

const char* const kFragUniform = "uniform vec3 ufrag[3];\n";

const char* const kDefinitions =
    "#define extent ufrag[0].xy\n"
    " #define strokeMult ufrag[0].z\n"
    "#define tex_type ufrag[1].x\n"
    "#define complexPoint ufrag[1].yz\n"
    "#define radius ufrag[2].x\n"
    "#define numColors (int(ufrag[2].y))\n"
    "#define alpha ufrag[2].z\n"
    "vec4 swapChannel(vec4 color) {return vec4(color.g, color.b, color.a, color.r);}\n";

const char* const kColorsUniform = "uniform vec4 ucolors[11];\n";
const char* const kStopsUniform = "uniform float ucolorStops[11];\n";

// By blend mode; Replace uses Normal's function and overwrites the result.
const char* const kBlendFunctions[FinalRender::kBlendModeCount] = {
    "vec3 BlendFunc(vec3 base, vec3 blend) {return blend; }\n",
    "vec3 BlendFunc(vec3 base, vec3 blend){return base * blend; }\n",
    "vec3 BlendFunc(vec3 base, vec3 blend){return min(base + blend, vec3(1.0)); }\n",
    "float BlendScreenf(float base, float blend) \t\t{ return 1.0 - ((1.0 - base) * (1.0 - blend));}\n"
    "vec3 BlendFunc(vec3 base, vec3 blend){return "
    "vec3(BlendScreenf(base.r,blend.r),BlendScreenf(base.g,blend.g),BlendScreenf(base.b,blend.b)); }\n",
    "float BlendOverlayf(float base, float blend) \t\t{ return "
    "base<0.5?(2.0*base*blend):(1.0-2.0*(1.0-base)*(1.0-blend));}\n"
    "vec3 BlendFunc(vec3 base, vec3 blend){return "
    "vec3(BlendOverlayf(base.r,blend.r),BlendOverlayf(base.g,blend.g),BlendOverlayf(base.b,blend.b)); }\n",
    "vec3 BlendFunc(vec3 base, vec3 blend) {return blend; }\n",
};

const char* const kMainOpening =
    "void main(){\n"
    "   vec4 baseColor = swapChannel(texture(videoTexture, vtcoord));\n";

const char* const kSolidFill = "vec4 color = ucolors[0];\n";
const char* const kPoint = "vec2 pt = gl_FragCoord.xy;\n";

// Where start and end coincide there is no direction: t is 1, the last colour.
const char* const kLinearFill =
    "vec2 r = complexPoint - extent;\n"
    " \t\t\t\t\t\t\t\t float rl = length(r);\n"
    " \t\t\t\t\t\t\t\t float dist = dot(complexPoint - pt, r) / rl;\n"
    " \t\t\t\t\t\t\t\t vec4 color = ucolors[0]; \n"
    "\t\t\t\t\t\t\t\t for (int i=1; i<numColors; ++i) {\n"
    "\t\t\t\t\t\t\t\t color = mix(color, ucolors[i], smoothstep(ucolorStops[i-1], ucolorStops[i], "
    "(rl > 0.0 ? dist/rl : 1.0)));}\n";

// At the focal point itself t is 0; a circle of radius 0 gives the last
// colour everywhere; a focus outside a tiny circle (radius below half a pixel)
// gets no square root of a negative number.
const char* const kRadialFill =
    "vec2 focal = extent;\n"
    " \t\t\t\t\t\t\t\t vec2 center = complexPoint;\n"
    " \t\t\t\t\t\t\t\t vec2 fd = focal - center;\n"
    " \t\t\t\t\t\t\t\t vec2 d = focal - pt;\n"
    " \t\t\t\t\t\t\t\t vec2 dn = normalize(vec2(-d.y, d.x));\n"
    " \t\t\t\t\t\t\t\t float center_to_line_dist = dot(fd, dn) / length(dn);\n"
    " \t\t\t\t\t\t\t\t float fd_on_proj_d_dist = dot(fd, d) / length(d);\n"
    " \t\t\t\t\t\t\t\t float cut_line_length = sqrt(max(0.0, radius * radius - center_to_line_dist * "
    "center_to_line_dist)) + fd_on_proj_d_dist;\n"
    " \t\t\t\t\t\t\t\t vec4 color = ucolors[0];\n"
    " \t\t\t\t\t\t\t\t for (int i=1; i<numColors; ++i) {\n"
    "\t\t\t\t\t\t\t\t color = mix(color, ucolors[i], smoothstep(ucolorStops[i-1], ucolorStops[i], "
    "(radius > 0.0 ? (length(d) > 0.0 ? min(1.0, length(d)/cut_line_length ) : 0.0) : 1.0))); }\n";

// At the centre itself the angle is undefined: t is 0 there.
const char* const kSweepFill =
    "vec2 sweep = (pt - complexPoint);\n"
    " \t\t\t\t\t\t\t\thighp float index = (sweep.x == 0.0 && sweep.y == 0.0) ? 0.0 : "
    "atan(sweep.y, sweep.x) * 0.15915494309; \n"
    " \t\t\t\t\t\t\t\tvec4 color = ucolors[0];\n"
    " \t\t\t\t\t\t\t\tfor (int i=1; i<numColors; ++i) {\n"
    "\t\t\t\t\t\t\t\tcolor = mix(color, ucolors[i], smoothstep(ucolorStops[i-1], ucolorStops[i], "
    "clamp(index - floor(index), 0.0, 1.0)));\n"
    " }\n";

const char* const kComposite =
    "   color.a *= baseColor.a;\n"
    "   float frag_alpha =  color.a + baseColor.a * (1.0 - color.a);\n"
    "\tcolour = vec4((1.0 - color.a / frag_alpha) * baseColor.rgb + color.a / frag_alpha * ((1.0 - baseColor.a) * "
    "color.rgb + baseColor.a * BlendFunc(baseColor.rgb, color.rgb)), frag_alpha);\n";

const char* const kReplaceLine = "\tcolour = color;\n";

const char* const kClosing =
    "\tcolour = vec4(colour.r * colour.a, colour.g * colour.a, colour.b * colour.a, colour.a) * multiplier16bit;\n"
    "}";

// A value outside its table is read as the table's first entry.
int fillTypeOrFirst(int type) { return type >= 0 && type < FinalRender::kFillTypeCount ? type : 0; }
int blendModeOrFirst(int mode) { return mode >= 0 && mode < FinalRender::kBlendModeCount ? mode : 0; }

// The fill quad: two triangles over the clip square, x y z u v per vertex.
// Texture coordinate (0, 0) is at clip (-1, -1), the target's row 0.
const float kPositions[30] = {
    1, -1, 0, 1, 0,  //
    1, 1, 0, 1, 1,   //
    -1, 1, 0, 0, 1,  //
    -1, 1, 0, 0, 1,  //
    -1, -1, 0, 0, 0, //
    1, -1, 0, 1, 0,  //
};

}  // namespace

FinalRender::FinalRender()
    : mVertexArray(0), mVertexBuffer(0), mFillType(0), mBlendMode(0), mExtent(), mRadius(0.0), mComplexPoint() {}

FinalRender::~FinalRender() {
    mShader.reset();
    // Only the current context's vertex array can be deleted from here; those
    // of other contexts go with their contexts.
    auto own = mContextVertexArrays.find(currentContextKey());
    if (own != mContextVertexArrays.end() && own->second != 0) glDeleteVertexArrays(1, &own->second);
    if (mVertexBuffer != 0) glDeleteBuffers(1, &mVertexBuffer);
}

void FinalRender::prepare(PF_InData* in_data, PF_OutData* out_data) {
    mStopIndex.clear();
    mColors.clear();

    int fillType = 0;
    ParamHelper::ReadPopUp(in_data, out_data, ParamIndex::kFillType, fillType);
    fillType = fillTypeOrFirst(fillType);
    if (fillType != mFillType) {
        mFillType = fillType;
        mShader.reset();
    }
    int blendMode = 0;
    ParamHelper::ReadPopUp(in_data, out_data, ParamIndex::kBlendMode, blendMode);
    blendMode = blendModeOrFirst(blendMode);
    if (blendMode != mBlendMode) {
        mBlendMode = blendMode;
        mShader.reset();
    }

    switch (mFillType) {
    case kSolidColor: {
        Color color;
        ParamHelper::ReadColor(in_data, out_data, ParamIndex::kSolidColor, color);
        insertColorRecord(0.0f, color);
        return;
    }
    case kLinearGradient: {
        Vec2 start, end;
        ParamHelper::ReadVec2(in_data, out_data, ParamIndex::kGradientStart, start);
        ParamHelper::ReadVec2(in_data, out_data, ParamIndex::kGradientEnd, end);
        mComplexPoint = {static_cast<float>(start.x), static_cast<float>(start.y)};
        mExtent = {static_cast<float>(end.x), static_cast<float>(end.y)};
        break;
    }
    case kRadialGradient: {
        Vec2 center;
        double degrees = 0.0, fraction = 0.0, radius = 0.0;
        ParamHelper::ReadVec2(in_data, out_data, ParamIndex::kRadialCenter, center);
        ParamHelper::ReadAngle(in_data, out_data, ParamIndex::kFocalOffsetAngle, degrees);
        ParamHelper::ReadPercent(in_data, out_data, ParamIndex::kFocalOffsetDistance, fraction);
        mComplexPoint = {static_cast<float>(center.x), static_cast<float>(center.y)};
        ParamHelper::ReadFloat(in_data, out_data, ParamIndex::kRadialRadius, radius);
        // A host that gives no denominator is taken as not downsampling.
        const double den = in_data->downsample_x.den != 0 ? static_cast<double>(in_data->downsample_x.den) : 1.0;
        mRadius = radius / den;
        double dist = fraction * mRadius;
        // A focus on the circle itself has no defined ray: keep it one pixel in.
        if (dist == mRadius) dist = mRadius - 1.0;
        Vec2 focal(center.x + dist, center.y);
        focal.rotateAround(degrees, center);
        mExtent = {static_cast<float>(focal.x), static_cast<float>(focal.y)};
        break;
    }
    case kSweepGradient: {
        Vec2 center;
        ParamHelper::ReadVec2(in_data, out_data, ParamIndex::kSweepCenter, center);
        mComplexPoint = {static_cast<float>(center.x), static_cast<float>(center.y)};
        break;
    }
    }

    int amount = 0;
    ParamHelper::ReadPopUp(in_data, out_data, ParamIndex::kColorStopAmount, amount);
    // The pop-up's entries are "2" to "11"; however the host answers, no more
    // groups are read than there are.
    int count = amount + 2;
    if (count > static_cast<int>(kMaxStops)) count = static_cast<int>(kMaxStops);
    for (int n = 1; n <= count; ++n) {
        Color color;
        double opacity = 0.0, stop = 0.0;
        ParamHelper::ReadColor(in_data, out_data, ParamIndex::StopColor(n), color);
        ParamHelper::ReadPercent(in_data, out_data, ParamIndex::StopOpacity(n), opacity);
        ParamHelper::ReadPercent(in_data, out_data, ParamIndex::StopPosition(n), stop);
        color.set(color.r(), color.g(), color.b(), opacity);
        insertColorRecord(static_cast<float>(stop), color);
    }
}

void FinalRender::insertColorRecord(float stop, const Color& color) {
    auto found = mStopIndex.find(stop);
    if (found != mStopIndex.end()) {
        mColors[found->second] = color;
        return;
    }
    mStopIndex.emplace(stop, mColors.size());
    mColors.push_back(color);
}

std::string FinalRender::vertexSource() { return kVertexText; }

std::string FinalRender::fragmentSource(int fillType, int blendMode) {
    fillType = fillTypeOrFirst(fillType);
    blendMode = blendModeOrFirst(blendMode);
    std::string text;
    text += kHeader;
    text += kFragUniform;
    text += kDefinitions;
    text += kColorsUniform;
    if (fillType != kSolidColor) text += kStopsUniform;
    text += kBlendFunctions[blendMode];
    text += kMainOpening;
    switch (fillType) {
    case kSolidColor: text += kSolidFill; break;
    case kLinearGradient: text += kPoint; text += kLinearFill; break;
    case kRadialGradient: text += kPoint; text += kRadialFill; break;
    case kSweepGradient: text += kPoint; text += kSweepFill; break;
    }
    text += kComposite;
    if (blendMode == kReplace) text += kReplaceLine;
    text += kClosing;
    return text;
}

void FinalRender::buildShader() {
    if (mShader) return;
    mShader = std::make_unique<OpenglShader>(vertexSource(), fragmentSource(mFillType, mBlendMode));
    mShader->addAttributeBinding("avertex", 0);
    mShader->addAttributeBinding("atcoord", 1);
}

unsigned int FinalRender::vertexArrayOfCurrentContext() {
    // Vertex arrays are not shared between contexts, the buffer is: each
    // context gets its own array, the quad is uploaded once.
    unsigned int& vertexArray = mContextVertexArrays[currentContextKey()];
    if (vertexArray == 0) {
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
    }
    if (mVertexBuffer == 0) {
        glGenBuffers(1, &mVertexBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, mVertexBuffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof kPositions, kPositions, GL_STATIC_DRAW);
    }
    mVertexArray = vertexArray;
    return vertexArray;
}

void FinalRender::draw(unsigned int texture, float multiplier, Vec2 size) {
    const unsigned int vertexArray = vertexArrayOfCurrentContext();

    buildShader();
    mShader->useProgram();

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, mVertexBuffer);
    mShader->setAttribute3fv(0, nullptr, 20);
    mShader->setAttribute2fv(1, reinterpret_cast<const float*>(12), 20);

    mShader->setUniformTexture("videoTexture", static_cast<int>(GL_TEXTURE_2D), static_cast<int>(texture), 0);
    mShader->setUniform1f("multiplier16bit", multiplier);
    mShader->setUniform2f("viewPort", size);

    // Walking the map gives the stops in ascending position.
    std::vector<float> colors;
    std::vector<float> positions;
    for (const auto& [position, index] : mStopIndex) {
        const Color& c = mColors[index];
        colors.insert(colors.end(), {static_cast<float>(c.r()), static_cast<float>(c.g()), static_cast<float>(c.b()),
                                     static_cast<float>(c.a())});
        positions.push_back(position);
        if (positions.size() == kMaxStops) break;  // the program's arrays hold no more
    }
    const int stopCount = static_cast<int>(positions.size());
    if (!colors.empty()) {
        mShader->setUniform4fv("ucolors", colors.data(), stopCount);
        mShader->setUniform1fv("ucolorStops", positions.data(), stopCount);
    }

    const float frag[9] = {mExtent.x, mExtent.y, 1.0f, 0.0f, mComplexPoint.x, mComplexPoint.y,
                           static_cast<float>(mRadius), static_cast<float>(stopCount), 1.0f};
    mShader->setUniform3fv("ufrag", frag, 3);

    glDrawArrays(GL_TRIANGLES, 0, 6);

    mShader->disableVertexAttributeArray(0);
    mShader->disableVertexAttributeArray(1);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace Tavrolin::Fill
