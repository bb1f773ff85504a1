#pragma once

// The fill renderer: the fill type and blend mode that select the fill
// program, the gradient geometry in frame pixels and the colour stops ordered
// by position. prepare() reads the parameters of one frame, draw() renders it.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "math/Color.h"
#include "math/Vec2.h"
#include "sdk/PFRecords.h"

namespace Tavrolin::Fill {

class OpenglShader;

class FinalRender {
public:
    // Fill types and blend modes, as the two pop-ups number their entries.
    enum FillType { kSolidColor = 0, kLinearGradient = 1, kRadialGradient = 2, kSweepGradient = 3 };
    enum BlendMode { kNormal = 0, kMultiply = 1, kAdd = 2, kScreen = 3, kOverlay = 4, kReplace = 5 };
    static constexpr int kFillTypeCount = 4;
    static constexpr int kBlendModeCount = 6;
    // The length of the program's colour arrays: the most stops there are.
    static constexpr std::size_t kMaxStops = 11;

    struct Point2f {
        float x = 0.0f;
        float y = 0.0f;
    };

    // No GL call: the object may be made before any context exists.
    FinalRender();
    // Deletes the program, and the vertex array and buffer of the current
    // context; needs a context of the share group to be current.
    ~FinalRender();
    FinalRender(const FinalRender&) = delete;
    FinalRender& operator=(const FinalRender&) = delete;

    // Reads every parameter at the current time. A change of fill type or
    // blend mode deletes the program, so the render's context must be current.
    void prepare(PF_InData* in_data, PF_OutData* out_data);
    // Adds a stop; a stop at a position already present replaces its colour.
    void insertColorRecord(float stop, const Color& color);
    // Creates the program object for the current settings when there is none.
    // No GL call: it is compiled at its first use.
    void buildShader();
    // Draws the fill over `texture` into the bound target (viewport and
    // blending set by the caller).
    void draw(unsigned int texture, float multiplier, Vec2 size);

    // The program texts for a fill type and blend mode.
    static std::string vertexSource();
    static std::string fragmentSource(int fillType, int blendMode);

    int fillType() const { return mFillType; }
    int blendMode() const { return mBlendMode; }
    Point2f extent() const { return mExtent; }
    double radius() const { return mRadius; }
    Point2f complexPoint() const { return mComplexPoint; }
    const std::map<float, std::size_t>& stopIndex() const { return mStopIndex; }
    const std::vector<Color>& colors() const { return mColors; }
    const OpenglShader* shader() const { return mShader.get(); }

private:
    unsigned int vertexArrayOfCurrentContext();

    unsigned int mVertexArray;
    unsigned int mVertexBuffer;
    std::unique_ptr<OpenglShader> mShader;
    int mFillType;
    int mBlendMode;
    Point2f mExtent;
    double mRadius;
    Point2f mComplexPoint;
    std::map<float, std::size_t> mStopIndex;
    std::vector<Color> mColors;
    // Vertex arrays are not shared between contexts: the quad's layout is
    // recorded once in each context that draws, keyed by the platform layer's context key
    // number. mVertexArray is the one of the context that drew last.
    std::map<std::uint64_t, unsigned int> mContextVertexArrays;
};

}  // namespace Tavrolin::Fill
