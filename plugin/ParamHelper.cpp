#include "plugin/ParamHelper.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <glbinding/gl/gl.h>

#include "gl/AEOpenGLUtilities.h"

namespace Tavrolin::Fill {
namespace ParamHelper {

namespace {

// Checks parameter `index` out at the command's time, lets `convert` read the
// record (it returns whether the type was one it accepts) and checks it back
// in. A refused checkout returns false with nothing converted and no checkin.
template <class Convert>
bool readParam(PF_InData* in_data, int index, Convert convert) {
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    if (in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time, in_data->time_step,
                                      in_data->time_scale, &def) != PF_Err_NONE)
        return false;
    const bool ok = convert(def);
    in_data->inter.checkin_param(in_data->effect_ref, &def);
    return ok;
}

// The floor of a 16.16 fixed number, sign kept.
int fixedFloor(PF_Fixed value) { return value >> 16; }

// A double outside int's range has no int value; saturate rather than let the
// conversion be undefined.
int truncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

bool ReadPopUp(PF_InData* in_data, PF_OutData*, int index, int& choice) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_POPUP) return false;
        choice = def.u.pd.value - 1;
        return true;
    });
}

bool ReadBool(PF_InData* in_data, PF_OutData*, int index, bool& on) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_CHECKBOX) return false;
        on = def.u.bd.value != 0;
        return true;
    });
}

bool ReadColor(PF_InData* in_data, PF_OutData*, int index, Color& color) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_COLOR) return false;
        const PF_Pixel8& p = def.u.cd.value;
        color.set(p.red / 255.0, p.green / 255.0, p.blue / 255.0, p.alpha / 255.0);
        return true;
    });
}

bool ReadVec2(PF_InData* in_data, PF_OutData*, int index, Vec2& point) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_POINT) return false;
        point.set(def.u.td.x_value / 65536.0, def.u.td.y_value / 65536.0);
        return true;
    });
}

bool ReadVec3(PF_InData* in_data, PF_OutData*, int index, Vec3& point) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_POINT_3D) return false;
        point.set(def.u.point3d_d.x_value, def.u.point3d_d.y_value, def.u.point3d_d.z_value);
        return true;
    });
}

bool ReadAngle(PF_InData* in_data, PF_OutData*, int index, double& degrees) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        if (def.param_type != PF_Param_ANGLE) return false;
        degrees = def.u.ad.value / 65536.0;
        return true;
    });
}

bool ReadInt(PF_InData* in_data, PF_OutData*, int index, int& number) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        switch (def.param_type) {
        case PF_Param_FLOAT_SLIDER: number = truncateToInt(def.u.fs_d.value); return true;
        case PF_Param_FIX_SLIDER: number = fixedFloor(def.u.fd.value); return true;
        case PF_Param_SLIDER: number = def.u.sd.value; return true;
        default: return false;
        }
    });
}

bool ReadFloat(PF_InData* in_data, PF_OutData*, int index, double& number) {
    return readParam(in_data, index, [&](const PF_ParamDef& def) {
        switch (def.param_type) {
        case PF_Param_FLOAT_SLIDER: number = def.u.fs_d.value; return true;
        case PF_Param_FIX_SLIDER: number = fixedFloor(def.u.fd.value); return true;
        case PF_Param_SLIDER: number = def.u.sd.value; return true;
        default: return false;
        }
    });
}

bool ReadPercent(PF_InData* in_data, PF_OutData* out_data, int index, double& fraction) {
    if (!ReadFloat(in_data, out_data, index, fraction)) return false;
    fraction /= 100.0;
    return true;
}

bool ReadLayer(PF_InData* in_data, PF_OutData*, int index, unsigned int& texture, Vec2& size, float& multiplier) {
    return readParam(in_data, index, [&](PF_ParamDef& def) {
        if (def.param_type != PF_Param_LAYER) return false;
        PF_LayerDef* world = &def.u.ld;
        if (world->data != nullptr && world->width > 0 && world->height > 0) {
            multiplier = 1.0f;
            unsigned long bytesPerPixel = 0;
            gl::GLenum pixelType = gl::GL_UNSIGNED_BYTE;
            texture = AEOpenGLUtilities::UploadTexture(kFormatARGB, world, nullptr, in_data, bytesPerPixel,
                                                       pixelType, multiplier, false);
            size.set(world->width, world->height);
        } else {
            texture = 0;
            size.set(0.0, 0.0);
            multiplier = 1.0f;
        }
        return true;
    });
}

}  // namespace ParamHelper
}  // namespace Tavrolin::Fill
