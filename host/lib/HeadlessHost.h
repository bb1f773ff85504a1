// The headless host: plays the host's part for the effect module, or for
// engine code called directly with the host's records.
//
//   HeadlessHost host(TQ_MODULE_PATH);            // dlopen + EntryPointFunc
//   host.setLayer(64, 32);                         // input and output worlds
//   host.globalSetup(); host.paramsSetup();        // 67 parameters now
//   host.setValue("Fill Type", ParamValue::scalar(2));
//   host.setKeyframe(5, 0.0, ParamValue::scalar(100));   // linear between keys
//   host.setKeyframe(5, 1.0, ParamValue::scalar(300));
//   host.setTime(15, 1, 30);                       // current_time/time_step/time_scale
//   PF_Err err = host.render();                    // output() holds the frame
//   host.lastCommand().suitesBalanced();           // what the command asked of us
//
// Without a module: HeadlessHost host; then inData() is a complete PF_InData
// (callbacks, utils, basic suite with every suite) for calling engine code;
// addParam() registers parameters the readers can check out.
//
// Faults: faults() (a suite missing or null, add_param failing at the n-th
// call, checkouts refused, the n-th handle allocation failing, iterate
// failing). Counters of "n-th" start when the fault is set.
//
// Threads: commands may come from any thread; they run one at a time (a
// command holds the host's lock). Callbacks from the command's thread re-enter.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/lib/World.h"
#include "sdk/HostSDK.h"

namespace Tavrolin::Fill {

class HostError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A parameter value in user units: scalar types use c[0] (pop-up choice
// 1-based, checkbox 0/1, slider, fixed and float slider values, angle in
// degrees); points c[0], c[1] (and c[2] for 3D) in layer pixels; colours
// c = {alpha, red, green, blue} in 0..255.
struct ParamValue {
  std::array<double, 4> c{};

  static ParamValue scalar(double v) { return {{v, 0, 0, 0}}; }
  static ParamValue point(double x, double y) { return {{x, y, 0, 0}}; }
  static ParamValue point3(double x, double y, double z) { return {{x, y, z, 0}}; }
  static ParamValue color(PF_Pixel8 p) { return {{double(p.alpha), double(p.red), double(p.green), double(p.blue)}}; }
};

struct SuiteCall {
  std::string name;
  int version = 0;
  bool acquire = true;  // false: release
  bool granted = false; // acquire: a non-null suite came back
};

struct StreamFlagWrite {
  int index = 0;
  AEGP_DynStreamFlags flag = 0;
  bool undoable = false;
  bool set = false;
};

struct ParamUIUpdate {
  int index = 0;
  const PF_ParamDef* def = nullptr;
  bool defIsCommandEntry = false;  // def is params[index] of the command
};

struct Checkout {
  int index = 0;
  A_long time = 0;
  A_long timeStep = 0;
  A_u_long timeScale = 0;
  bool granted = false;
};

// What one command (or the calls made outside any command) asked of the host.
struct CommandRecord {
  PF_Cmd cmd = -1;  // -1: calls outside a command
  PF_Err result = PF_Err_NONE;
  std::vector<SuiteCall> suiteCalls;
  std::vector<StreamFlagWrite> flagWrites;
  std::vector<ParamUIUpdate> uiUpdates;
  std::vector<Checkout> checkouts;
  int checkins = 0;
  int addParamCalls = 0;
  int effectsObtained = 0, effectsDisposed = 0;
  int streamsObtained = 0, streamsDisposed = 0;
  void* contextBefore = nullptr;  // eglGetCurrentContext() around the command
  void* contextAfter = nullptr;
  std::string returnMsg;          // out_data->return_msg after the command

  // Acquisitions granted minus releases, per suite name; all zero when balanced.
  std::map<std::string, int> suiteBalance() const;
  bool suitesBalanced() const;
};

struct ScriptResult {
  std::optional<std::string> result = std::string();  // nullopt: no result handle
  std::optional<std::string> error;                     // nullopt: no error handle
  A_Err code = A_Err_NONE;
};

struct Faults {
  std::set<std::string> missingSuites;  // AcquireSuite fails, pointer null
  std::set<std::string> nullSuites;     // AcquireSuite reports success, pointer null
  int addParamFailAt = 0;               // 1-based call from when it was set; 0 = never
  PF_Err addParamError = PF_Err_NONE;
  std::set<int> refusedCheckouts;       // indices; -1 refuses all
  PF_Err checkoutError = PF_Err_BAD_CALLBACK_PARAM;
  int handleFailAt = 0;                 // n-th host_new_handle returns null; 0 = never
  PF_Err iterateError = PF_Err_NONE;    // iterate returns this without walking
  // Services that throw std::runtime_error into the caller, as a faulty host
  // might: "add_param", "checkout_param", "PF_UpdateParamUI".
  std::set<std::string> throwIn;
};

class HeadlessHost {
public:
  // No module: the records and suites for direct calls.
  HeadlessHost();
  // Loads the module (RTLD_NOW | RTLD_NODELETE) and finds EntryPointFunc;
  // throws HostError with the loader's message when either fails.
  explicit HeadlessHost(const std::string& modulePath);
  ~HeadlessHost();
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  bool hasModule() const { return mEntry != nullptr; }

  // ---- commands (each returns the module's result) ----
  PF_Err send(PF_Cmd cmd, void* extra = nullptr);
  PF_Err about() { return send(PF_Cmd_ABOUT); }
  PF_Err globalSetup() { return send(PF_Cmd_GLOBAL_SETUP); }
  PF_Err globalSetdown() { return send(PF_Cmd_GLOBAL_SETDOWN); }
  PF_Err paramsSetup() { return send(PF_Cmd_PARAMS_SETUP); }
  PF_Err render() { return send(PF_Cmd_RENDER); }
  PF_Err userChangedParam(int index);
  PF_Err updateParamsUI() { return send(PF_Cmd_UPDATE_PARAMS_UI); }

  const CommandRecord& lastCommand() const { return mLast; }
  // Calls made outside any command since the last clearDirect().
  const CommandRecord& direct() const { return mDirect; }
  void clearDirect();

  // ---- records ----
  PF_InData* inData() { return &mInData; }
  PF_OutData* outData() { return &mOutData; }
  void resetOutData();          // all zero (the state at construction)
  SPBasicSuite* basicSuite() { return &mBasic; }
  // The parameter array of the last (or current) command; valid until the next one.
  PF_ParamDef** commandParams() { return mParamPtrs.data(); }
  // Rebuilds the parameter array at the current time, as a command would.
  PF_ParamDef** buildParams();

  // ---- time and scale ----
  void setTime(A_long currentTime, A_long timeStep, A_u_long timeScale);
  void setDownsample(A_long numX, A_u_long denX, A_long numY, A_u_long denY);

  // ---- layer and worlds ----
  // New input and output worlds (8-bit, zero pixels); rowbytes 0 = packed.
  // Point parameters without a value of their own follow the new size.
  void setLayer(int width, int height, int inputRowbytes = 0, int outputRowbytes = 0);
  void setInput(const World& world);  // keeps the output as it is
  void setOutput(const World& world);
  World& input() { return *mInput; }
  World& output() { return *mOutput; }
  // Parameter 0 carries no pixels (no layer chosen) while this is true.
  void setLayerParamEmpty(bool empty) { mLayerEmpty = empty; }

  // ---- parameters ----
  int paramCount() const { return int(mParams.size()); }  // the layer at 0 included
  // The record as the module added it (point defaults in percent).
  const PF_ParamDef& registered(int index) const;
  // Appends a record as add_param does (no fault applies); returns its index.
  int addParam(const PF_ParamDef& def);
  // The value-holding parameter with this name (a group start shares its
  // name with the colour after it; the colour wins); -1 when none.
  int indexOf(const std::string& name) const;
  // A constant value (drops keyframes).
  void setValue(int index, const ParamValue& value);
  void setValue(const std::string& name, const ParamValue& value);
  // Keyframes in seconds; linear between keys, held before the first and
  // after the last; pop-ups and checkboxes hold the earlier key.
  void setKeyframe(int index, double seconds, const ParamValue& value);
  void setKeyframe(const std::string& name, double seconds, const ParamValue& value);
  // The record the module sees at a time (in time_scale units).
  PF_ParamDef valueAt(int index, A_long time, A_u_long timeScale) const;
  // A layer parameter (other than 0) showing this world; null for no layer.
  void setLayerWorld(int index, PF_LayerDef* world);

  // ---- streams ----
  AEGP_DynStreamFlags streamFlags(int index) const;
  bool isHidden(int index) const { return (streamFlags(index) & AEGP_DynStreamFlag_HIDDEN) != 0; }
  void setStreamFlags(int index, AEGP_DynStreamFlags flags);  // not logged

  // ---- services ----
  void setScriptEvaluator(std::function<ScriptResult(const std::string&)> evaluator);
  Faults& faults() { return mFaults; }
  // Sets the counting start for addParamFailAt / handleFailAt.
  void failAddParamAt(int n, PF_Err code);
  void failHandleAllocationAt(int n);

  // Outstanding host objects (all zero when the module cleaned up after itself).
  int liveHandles() const;      // PF Handle suite
  int liveMemHandles() const;   // AEGP Memory suite
  int liveEffects() const;
  int liveStreams() const;
  // Suites acquired and not released, over the host's whole life.
  int outstandingSuites() const;

  // A drawing reference for the DRAWBOT suites.
  DRAWBOT_DrawRef drawRef();
  int drawbotFills() const;

  struct Impl;

private:
  void init();
  void record(const std::function<void(CommandRecord&)>& f);

  friend struct Impl;
  std::unique_ptr<Impl> mImpl;
  mutable std::recursive_mutex mMutex;

  void* mLibrary = nullptr;
  PF_EntryPointFunc mEntry = nullptr;
  int mSlot = -1;

  PF_InData mInData{};
  PF_OutData mOutData{};
  PF_UtilCallbacks mUtils{};
  SPBasicSuite mBasic{};

  std::unique_ptr<World> mInput, mOutput;
  bool mLayerEmpty = false;

  struct Param {
    PF_ParamDef def{};          // as registered
    bool hasValue = false;      // a value set by setValue
    ParamValue value;
    std::map<double, ParamValue> keys;
    AEGP_DynStreamFlags streamFlags = 0;
    PF_LayerDef* layer = nullptr;  // layer parameters other than 0
  };
  std::vector<Param> mParams;
  std::vector<PF_ParamDef> mParamArray;
  std::vector<PF_ParamDef*> mParamPtrs;

  Faults mFaults;
  int mAddParamCount = 0;
  int mHandleCount = 0;
  std::function<ScriptResult(const std::string&)> mScript;

  CommandRecord mLast, mDirect;
  CommandRecord* mCurrent = nullptr;
  std::map<std::string, int> mOutstanding;
};

}  // namespace Tavrolin::Fill
