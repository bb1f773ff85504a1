#pragma once

// Readers of one effect parameter at the time of the current command. Each
// checks the parameter out, converts the value into an engine value and checks
// it back in. The result is true when the parameter was read and had the
// expected type; the output is written only then.

#include "math/Color.h"
#include "math/Vec2.h"
#include "math/Vec3.h"
#include "sdk/PFRecords.h"

namespace Tavrolin::Fill {
namespace ParamHelper {

// Pop-up: the 0-based index of the chosen entry.
bool ReadPopUp(PF_InData* in_data, PF_OutData* out_data, int index, int& choice);
// Checkbox: on when the value is not 0.
bool ReadBool(PF_InData* in_data, PF_OutData* out_data, int index, bool& on);
// Color: channels in 0..1, alpha included.
bool ReadColor(PF_InData* in_data, PF_OutData* out_data, int index, Color& color);
// Point: layer pixels, no downsampling applied.
bool ReadVec2(PF_InData* in_data, PF_OutData* out_data, int index, Vec2& point);
// 3D point: the host's doubles as they are.
bool ReadVec3(PF_InData* in_data, PF_OutData* out_data, int index, Vec3& point);
// Angle: degrees.
bool ReadAngle(PF_InData* in_data, PF_OutData* out_data, int index, double& degrees);
// Float, fixed or integer slider as an integer (toward zero, floor, as is).
bool ReadInt(PF_InData* in_data, PF_OutData* out_data, int index, int& number);
// Float, fixed (fraction dropped) or integer slider as a double.
bool ReadFloat(PF_InData* in_data, PF_OutData* out_data, int index, double& number);
// As ReadFloat, divided by 100.
bool ReadPercent(PF_InData* in_data, PF_OutData* out_data, int index, double& fraction);
// Layer: uploads its pixels as a new texture that the caller owns and deletes;
// no layer (or an empty one) gives texture 0 and size (0, 0). Needs a current
// GL context.
bool ReadLayer(PF_InData* in_data, PF_OutData* out_data, int index, unsigned int& texture, Vec2& size,
               float& multiplier);

}  // namespace ParamHelper
}  // namespace Tavrolin::Fill
