#pragma once

// A headless host holding the effect's parameter table, for driving
// FinalRender::prepare without the module.

#include <cstring>
#include <string>

#include "host/lib/HeadlessHost.h"
#include "plugin/ParamTable.h"

namespace Tavrolin::Fill::Test {

class EffectParamsHost : public HeadlessHost {
public:
    EffectParamsHost() {
        const std::vector<ParamRow>& table = ParamTable();
        for (size_t i = 1; i < table.size(); ++i) addParam(MakeParamDef(table[i], std::strcpy));
    }
    void set(const std::string& name, double v) { setValue(name, ParamValue::scalar(v)); }
    void setPoint(const std::string& name, double x, double y) { setValue(name, ParamValue::point(x, y)); }
    void setColor(const std::string& name, PF_Pixel8 p) { setValue(name, ParamValue::color(p)); }
    // Group n's colour (its own alpha is ignored by gradients), opacity and position.
    void setStop(int n, PF_Pixel8 color, double opacity, double position) {
        setColor("Color " + std::to_string(n), color);
        set("Opacity " + std::to_string(n), opacity);
        set("Stop " + std::to_string(n), position);
    }
};

}  // namespace Tavrolin::Fill::Test
