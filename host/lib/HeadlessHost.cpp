#include "host/lib/HeadlessHost.h"

#include <EGL/egl.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace Tavrolin::Fill {

namespace {

// The basic suite's own "not found" code; any non-zero value means failure.
constexpr SPErr kSuiteNotFound = 1;

// Larger blocks are refused as a host out of memory would (and before the
// allocator, which under a sanitizer aborts instead of failing).
constexpr A_u_longlong kMaxBlock = A_u_longlong(1) << 36;

// Everything the host hands out as an opaque handle. `ptr` comes first so a
// PF_Handle (void**) can point at it: *handle is the data, as hosts do.
struct Obj {
  enum Kind { Handle, Mem, Effect, Stream, Draw, Supplier, Surface, Path };
  void* ptr = nullptr;
  Kind kind;
  HeadlessHost* owner;
  size_t size = 0;
  int index = 0;
  int locks = 0;
  std::vector<float> points;  // Path
  Obj* supplier = nullptr;    // Draw
  Obj* surface = nullptr;     // Draw
  int fills = 0;              // Surface
  Obj(Kind k, HeadlessHost* o) : kind(k), owner(o) {}
  ~Obj() { std::free(ptr); }
};

std::mutex gObjectsMutex;
std::map<const void*, Obj*> gObjects;

Obj* newObj(Obj::Kind kind, HeadlessHost* owner) {
  Obj* o = new Obj(kind, owner);
  std::lock_guard<std::mutex> lock(gObjectsMutex);
  gObjects[o] = o;
  return o;
}

Obj* findObj(const void* p, Obj::Kind kind) {
  if (!p) return nullptr;
  std::lock_guard<std::mutex> lock(gObjectsMutex);
  auto it = gObjects.find(p);
  return it != gObjects.end() && it->second->kind == kind ? it->second : nullptr;
}

void deleteObj(Obj* o) {
  {
    std::lock_guard<std::mutex> lock(gObjectsMutex);
    gObjects.erase(o);
  }
  delete o;
}

int countObjs(const HeadlessHost* owner, Obj::Kind kind) {
  std::lock_guard<std::mutex> lock(gObjectsMutex);
  int n = 0;
  for (auto& [p, o] : gObjects)
    if (o->owner == owner && o->kind == kind) ++n;
  return n;
}

// Hosts alive now. The basic suite's and a few suites' functions carry no
// reference to their host, so each host gets a slot with its own copies.
constexpr int kSlots = 32;
std::mutex gSlotsMutex;
HeadlessHost* gSlots[kSlots] = {};

HeadlessHost* hostOf(const void* ref) {
  if (!ref) return nullptr;
  std::lock_guard<std::mutex> lock(gSlotsMutex);
  for (HeadlessHost* h : gSlots)
    if (h == ref) return h;
  return nullptr;
}

HeadlessHost* slotHost(int slot) {
  std::lock_guard<std::mutex> lock(gSlotsMutex);
  return gSlots[slot];
}

A_long ansiSprintf(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vsprintf(buffer, format, args);
  va_end(args);
  return n;
}

A_char* ansiStrcpy(A_char* dst, const A_char* src) { return std::strcpy(dst, src); }

PF_Err getPixelData8(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel8** pixels) {
  if (!world || !pixels) return PF_Err_BAD_CALLBACK_PARAM;
  *pixels = world->data;
  return PF_Err_NONE;
}

PF_Err getPixelData16(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel16** pixels) {
  if (!world || !pixels) return PF_Err_BAD_CALLBACK_PARAM;
  *pixels = reinterpret_cast<PF_Pixel16*>(world->data);
  return PF_Err_NONE;
}

long fixed(double v) { return std::lround(v * 65536.0); }

A_u_char channel(double v) { return A_u_char(std::lround(std::clamp(v, 0.0, 255.0))); }

void applyValue(PF_ParamDef& def, const ParamValue& v) {
  switch (def.param_type) {
    case PF_Param_POPUP: def.u.pd.value = A_long(std::lround(v.c[0])); break;
    case PF_Param_CHECKBOX: def.u.bd.value = A_long(std::lround(v.c[0])); break;
    case PF_Param_SLIDER: def.u.sd.value = A_long(std::lround(v.c[0])); break;
    case PF_Param_FIX_SLIDER: def.u.fd.value = PF_Fixed(fixed(v.c[0])); break;
    case PF_Param_FLOAT_SLIDER: def.u.fs_d.value = v.c[0]; break;
    case PF_Param_ANGLE: def.u.ad.value = PF_Fixed(fixed(v.c[0])); break;
    case PF_Param_COLOR:
      def.u.cd.value = PF_Pixel8{channel(v.c[0]), channel(v.c[1]), channel(v.c[2]), channel(v.c[3])};
      break;
    case PF_Param_POINT:
      def.u.td.x_value = PF_Fixed(fixed(v.c[0]));
      def.u.td.y_value = PF_Fixed(fixed(v.c[1]));
      break;
    case PF_Param_POINT_3D:
      def.u.point3d_d.x_value = v.c[0];
      def.u.point3d_d.y_value = v.c[1];
      def.u.point3d_d.z_value = v.c[2];
      break;
    default: break;
  }
}

void maybeThrow(const Faults& faults, const char* service) {
  if (faults.throwIn.count(service)) throw std::runtime_error(std::string("host fault in ") + service);
}

bool held(PF_ParamType type) { return type == PF_Param_POPUP || type == PF_Param_CHECKBOX; }

}  // namespace

// ---- the C entry points of every suite ---------------------------------------

struct HeadlessHost::Impl {
  HeadlessHost& host;
  PF_HandleSuite2 handleSuite{};
  AEGP_UtilitySuite11 utilitySuite{};
  AEGP_MemorySuite1 memorySuite{};
  Obj* draw = nullptr;

  explicit Impl(HeadlessHost& h) : host(h) {}

  // Suites that need no slot: shared by every host.
  static PF_ANSICallbacksSuite1 kAnsi;
  static PF_ParamUtilsSuite3 kParamUtils;
  static PF_iterateFloatSuite1 kIterate;
  static AEGP_PFInterfaceSuite1 kPFInterface;
  static AEGP_EffectSuite2 kEffect;
  static AEGP_StreamSuite7 kStream;
  static AEGP_DynamicStreamSuite2 kDynStream;
  static DRAWBOT_DrawbotSuite1 kDraw;
  static DRAWBOT_SupplierSuite1 kSupplier;
  static DRAWBOT_SurfaceSuite2 kSurface;
  static DRAWBOT_PathSuite1 kPath;

  void* suite(const std::string& name, int version) {
    struct Entry { const char* name; int version; void* table; };
    const Entry table[] = {
        {kPFANSISuite, kPFANSISuiteVersion1, &kAnsi},
        {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &kParamUtils},
        {kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &kIterate},
        {kPFHandleSuite, kPFHandleSuiteVersion2, &handleSuite},
        {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kPFInterface},
        {kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &kEffect},
        {kAEGPStreamSuite, kAEGPStreamSuiteVersion7, &kStream},
        {kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &kDynStream},
        {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion11, &utilitySuite},
        {kAEGPMemorySuite, kAEGPMemorySuiteVersion1, &memorySuite},
        {kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &kDraw},
        {kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &kSupplier},
        {kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &kSurface},
        {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &kPath},
    };
    for (const Entry& e : table)
      if (name == e.name && version == e.version) return e.table;
    return nullptr;
  }

  // -- basic suite --
  static SPErr acquire(HeadlessHost* h, const char* name, int32_t version, void** out) {
    if (!h || !name || !out) return kSuiteNotFound;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    const std::string n(name);
    void* table = nullptr;
    SPErr err = kSPNoError;
    if (h->mFaults.missingSuites.count(n)) {
      err = kSuiteNotFound;
    } else if (h->mFaults.nullSuites.count(n)) {
      err = kSPNoError;
    } else {
      table = h->mImpl->suite(n, version);
      if (!table) err = kSuiteNotFound;
    }
    *out = table;
    if (table) ++h->mOutstanding[n];
    h->record([&](CommandRecord& r) { r.suiteCalls.push_back({n, version, true, table != nullptr}); });
    return err;
  }

  static SPErr release(HeadlessHost* h, const char* name, int32_t version) {
    if (!h || !name) return kSuiteNotFound;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    const std::string n(name);
    h->record([&](CommandRecord& r) { r.suiteCalls.push_back({n, version, false, false}); });
    auto it = h->mOutstanding.find(n);
    if (it == h->mOutstanding.end() || it->second == 0) return kSuiteNotFound;
    --it->second;
    return kSPNoError;
  }

  static int32_t isEqual(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }
  static SPErr allocateBlock(size_t size, void** block) {
    if (!block) return kSuiteNotFound;
    *block = nullptr;
    if (size > kMaxBlock) return PF_Err_OUT_OF_MEMORY;
    *block = std::malloc(size ? size : 1);
    return *block ? kSPNoError : PF_Err_OUT_OF_MEMORY;
  }
  static SPErr freeBlock(void* block) {
    std::free(block);
    return kSPNoError;
  }
  static SPErr reallocateBlock(void* block, size_t size, void** out) {
    if (!out) return kSuiteNotFound;
    if (size > kMaxBlock) return PF_Err_OUT_OF_MEMORY;
    void* p = std::realloc(block, size ? size : 1);
    if (!p) return PF_Err_OUT_OF_MEMORY;
    *out = p;
    return kSPNoError;
  }

  // -- interaction callbacks --
  static PF_Err addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    HeadlessHost* h = hostOf(ref);
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    h->record([](CommandRecord& r) { ++r.addParamCalls; });
    ++h->mAddParamCount;
    maybeThrow(h->mFaults, "add_param");
    if (h->mFaults.addParamFailAt > 0 && h->mAddParamCount == h->mFaults.addParamFailAt)
      return h->mFaults.addParamError;
    if (!def || (index != PF_PARAM_INDEX_APPEND && index != h->paramCount())) return PF_Err_BAD_CALLBACK_PARAM;
    h->addParam(*def);
    return PF_Err_NONE;
  }

  static PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step, A_u_long scale,
                              PF_ParamDef* def) {
    HeadlessHost* h = hostOf(ref);
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    maybeThrow(h->mFaults, "checkout_param");
    const std::set<int>& refused = h->mFaults.refusedCheckouts;
    PF_Err err = PF_Err_NONE;
    if (refused.count(index) || refused.count(-1))
      err = h->mFaults.checkoutError;
    else if (!def || index < 0 || index >= h->paramCount() || scale == 0)
      err = PF_Err_BAD_CALLBACK_PARAM;
    else
      *def = h->valueAt(index, time, scale);
    h->record([&](CommandRecord& r) { r.checkouts.push_back({index, time, step, scale, err == PF_Err_NONE}); });
    return err;
  }

  static PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef*) {
    HeadlessHost* h = hostOf(ref);
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    h->record([](CommandRecord& r) { ++r.checkins; });
    return PF_Err_NONE;
  }

  // -- PF suites --
  static PF_Err updateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef* def) {
    HeadlessHost* h = hostOf(ref);
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    const bool entry = index >= 0 && size_t(index) < h->mParamPtrs.size() && h->mParamPtrs[size_t(index)] == def;
    h->record([&](CommandRecord& r) { r.uiUpdates.push_back({index, def, entry}); });
    maybeThrow(h->mFaults, "PF_UpdateParamUI");
    return index >= 0 && index < h->paramCount() ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
  }

  static PF_Err iterate(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                        PF_IteratePixelFloatFunc fn, PF_EffectWorld* dst) {
    HeadlessHost* h = in_data ? hostOf(in_data->effect_ref) : nullptr;
    if (!h || !src || !fn) return PF_Err_BAD_CALLBACK_PARAM;
    if (h->mFaults.iterateError != PF_Err_NONE) return h->mFaults.iterateError;
    // The walk covers the destination (the source when there is none).
    const PF_EffectWorld* frame = dst ? dst : src;
    PF_Rect r = area ? *area : PF_Rect{0, 0, frame->width, frame->height};
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, frame->width);
    r.bottom = std::min(r.bottom, frame->height);
    auto pixel = [](PF_EffectWorld* w, A_long x, A_long y) -> PF_PixelFloat* {
      if (!w || !w->data || x >= w->width || y >= w->height) return nullptr;
      return reinterpret_cast<PF_PixelFloat*>(reinterpret_cast<char*>(w->data) + ptrdiff_t(y) * w->rowbytes) + x;
    };
    for (A_long y = r.top; y < r.bottom; ++y)
      for (A_long x = r.left; x < r.right; ++x)
        if (PF_Err err = fn(refcon, x, y, pixel(src, x, y), pixel(dst, x, y))) return err;
    return PF_Err_NONE;
  }

  static PF_Handle newHandle(HeadlessHost* h, A_u_longlong size) {
    if (!h) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    ++h->mHandleCount;
    if (h->mFaults.handleFailAt > 0 && h->mHandleCount == h->mFaults.handleFailAt) return nullptr;
    if (size > kMaxBlock) return nullptr;
    void* data = std::malloc(size ? size_t(size) : 1);
    if (!data) return nullptr;
    Obj* o = newObj(Obj::Handle, h);
    o->ptr = data;
    o->size = size_t(size);
    return reinterpret_cast<PF_Handle>(o);
  }
  static void* lockHandle(PF_Handle handle) {
    Obj* o = findObj(handle, Obj::Handle);
    if (!o) return nullptr;
    ++o->locks;
    return o->ptr;
  }
  static void unlockHandle(PF_Handle handle) {
    if (Obj* o = findObj(handle, Obj::Handle); o && o->locks > 0) --o->locks;
  }
  static void disposeHandle(PF_Handle handle) {
    if (Obj* o = findObj(handle, Obj::Handle)) deleteObj(o);
  }
  static A_u_longlong handleSize(PF_Handle handle) {
    Obj* o = findObj(handle, Obj::Handle);
    return o ? o->size : 0;
  }

  // -- AEGP suites --
  static A_Err newEffectForEffect(AEGP_PluginID, PF_ProgPtr ref, AEGP_EffectRefH* effect) {
    HeadlessHost* h = hostOf(ref);
    if (!h || !effect) return PF_Err_BAD_CALLBACK_PARAM;
    *effect = reinterpret_cast<AEGP_EffectRefH>(newObj(Obj::Effect, h));
    h->record([](CommandRecord& r) { ++r.effectsObtained; });
    return A_Err_NONE;
  }
  static A_Err disposeEffect(AEGP_EffectRefH effect) {
    Obj* o = findObj(effect, Obj::Effect);
    if (!o) return PF_Err_BAD_CALLBACK_PARAM;
    o->owner->record([](CommandRecord& r) { ++r.effectsDisposed; });
    deleteObj(o);
    return A_Err_NONE;
  }
  static A_Err newEffectStreamByIndex(AEGP_PluginID, AEGP_EffectRefH effect, PF_ParamIndex index,
                                      AEGP_StreamRefH* stream) {
    Obj* e = findObj(effect, Obj::Effect);
    if (!stream) return PF_Err_BAD_CALLBACK_PARAM;
    *stream = nullptr;
    if (!e || index < 0 || index >= e->owner->paramCount()) return PF_Err_BAD_CALLBACK_PARAM;
    Obj* s = newObj(Obj::Stream, e->owner);
    s->index = index;
    *stream = reinterpret_cast<AEGP_StreamRefH>(s);
    e->owner->record([](CommandRecord& r) { ++r.streamsObtained; });
    return A_Err_NONE;
  }
  static A_Err disposeStream(AEGP_StreamRefH stream) {
    Obj* o = findObj(stream, Obj::Stream);
    if (!o) return PF_Err_BAD_CALLBACK_PARAM;
    o->owner->record([](CommandRecord& r) { ++r.streamsDisposed; });
    deleteObj(o);
    return A_Err_NONE;
  }
  static A_Err getDynamicStreamFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags) {
    Obj* o = findObj(stream, Obj::Stream);
    if (!o || !flags) return PF_Err_BAD_CALLBACK_PARAM;
    std::lock_guard<std::recursive_mutex> lock(o->owner->mMutex);
    *flags = o->owner->mParams[size_t(o->index)].streamFlags;
    return A_Err_NONE;
  }
  static A_Err setDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag, A_Boolean undoable,
                                    A_Boolean set) {
    Obj* o = findObj(stream, Obj::Stream);
    if (!o) return PF_Err_BAD_CALLBACK_PARAM;
    HeadlessHost* h = o->owner;
    std::lock_guard<std::recursive_mutex> lock(h->mMutex);
    AEGP_DynStreamFlags& f = h->mParams[size_t(o->index)].streamFlags;
    f = set ? (f | flag) : (f & ~flag);
    const int index = o->index;
    h->record([&](CommandRecord& r) { r.flagWrites.push_back({index, flag, undoable != 0, set != 0}); });
    return A_Err_NONE;
  }

  static Obj* newMem(HeadlessHost* h, size_t size, bool clear) {
    void* data = clear ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1);
    if (!data) return nullptr;
    Obj* o = newObj(Obj::Mem, h);
    o->ptr = data;
    o->size = size;
    return o;
  }
  static A_Err newMemHandle(HeadlessHost* h, AEGP_PluginID, const A_char*, AEGP_MemSize size, AEGP_MemFlag flags,
                            AEGP_MemHandle* mem) {
    if (!h || !mem) return PF_Err_BAD_CALLBACK_PARAM;
    *mem = nullptr;
    if (size > kMaxBlock) return PF_Err_OUT_OF_MEMORY;
    Obj* o = newMem(h, size_t(size), (flags & AEGP_MemFlag_CLEAR) != 0);
    if (!o) return PF_Err_OUT_OF_MEMORY;
    *mem = reinterpret_cast<AEGP_MemHandle>(o);
    return A_Err_NONE;
  }
  static A_Err freeMemHandle(AEGP_MemHandle mem) {
    Obj* o = findObj(mem, Obj::Mem);
    if (!o) return PF_Err_BAD_CALLBACK_PARAM;
    deleteObj(o);  // locked or not
    return A_Err_NONE;
  }
  static A_Err lockMemHandle(AEGP_MemHandle mem, void** ptr) {
    Obj* o = findObj(mem, Obj::Mem);
    if (!o || !ptr) return PF_Err_BAD_CALLBACK_PARAM;
    ++o->locks;
    *ptr = o->ptr;
    return A_Err_NONE;
  }
  static A_Err unlockMemHandle(AEGP_MemHandle mem) {
    Obj* o = findObj(mem, Obj::Mem);
    if (!o || o->locks == 0) return PF_Err_BAD_CALLBACK_PARAM;
    --o->locks;
    return A_Err_NONE;
  }
  static A_Err memHandleSize(AEGP_MemHandle mem, AEGP_MemSize* size) {
    Obj* o = findObj(mem, Obj::Mem);
    if (!o || !size) return PF_Err_BAD_CALLBACK_PARAM;
    *size = o->size;
    return A_Err_NONE;
  }
  static A_Err executeScript(HeadlessHost* h, AEGP_PluginID, const A_char* script, A_Boolean, AEGP_MemHandle* result,
                             AEGP_MemHandle* error) {
    if (!h || !script) return PF_Err_BAD_CALLBACK_PARAM;
    ScriptResult out;
    {
      std::lock_guard<std::recursive_mutex> lock(h->mMutex);
      if (h->mScript) out = h->mScript(script);
    }
    auto text = [h](const std::optional<std::string>& s, AEGP_MemHandle* where) {
      if (!where) return;
      *where = nullptr;
      if (!s) return;
      if (Obj* o = newMem(h, s->size() + 1, true)) {
        std::memcpy(o->ptr, s->c_str(), s->size() + 1);
        *where = reinterpret_cast<AEGP_MemHandle>(o);
      }
    };
    text(out.result, result);
    text(out.error, error);
    return out.code;
  }

  // -- DRAWBOT --
  static A_Err getSupplier(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* supplier) {
    Obj* d = findObj(draw, Obj::Draw);
    if (!d || !supplier) return PF_Err_BAD_CALLBACK_PARAM;
    *supplier = reinterpret_cast<DRAWBOT_SupplierRef>(d->supplier);
    return A_Err_NONE;
  }
  static A_Err getSurface(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* surface) {
    Obj* d = findObj(draw, Obj::Draw);
    if (!d || !surface) return PF_Err_BAD_CALLBACK_PARAM;
    *surface = reinterpret_cast<DRAWBOT_SurfaceRef>(d->surface);
    return A_Err_NONE;
  }
  static A_Err newPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path) {
    Obj* s = findObj(supplier, Obj::Supplier);
    if (!s || !path) return PF_Err_BAD_CALLBACK_PARAM;
    *path = reinterpret_cast<DRAWBOT_PathRef>(newObj(Obj::Path, s->owner));
    return A_Err_NONE;
  }
  static A_Err disposePath(DRAWBOT_PathRef path) {
    Obj* p = findObj(path, Obj::Path);
    if (!p) return PF_Err_BAD_CALLBACK_PARAM;
    deleteObj(p);
    return A_Err_NONE;
  }
  static A_Err fillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_PathRef path, const float*) {
    Obj* s = findObj(surface, Obj::Surface);
    Obj* p = findObj(path, Obj::Path);
    if (!s || !p) return PF_Err_BAD_CALLBACK_PARAM;
    ++s->fills;
    return A_Err_NONE;
  }
  static A_Err pathPoint(DRAWBOT_PathRef path, float x, float y) {
    Obj* p = findObj(path, Obj::Path);
    if (!p) return PF_Err_BAD_CALLBACK_PARAM;
    p->points.push_back(x);
    p->points.push_back(y);
    return A_Err_NONE;
  }
  static A_Err closePath(DRAWBOT_PathRef path) { return findObj(path, Obj::Path) ? A_Err_NONE : PF_Err_BAD_CALLBACK_PARAM; }
};

PF_ANSICallbacksSuite1 HeadlessHost::Impl::kAnsi = {ansiSprintf, ansiStrcpy};
PF_ParamUtilsSuite3 HeadlessHost::Impl::kParamUtils = {HeadlessHost::Impl::updateParamUI};
PF_iterateFloatSuite1 HeadlessHost::Impl::kIterate = {HeadlessHost::Impl::iterate};
AEGP_PFInterfaceSuite1 HeadlessHost::Impl::kPFInterface = {HeadlessHost::Impl::newEffectForEffect};
AEGP_EffectSuite2 HeadlessHost::Impl::kEffect = {HeadlessHost::Impl::disposeEffect};
AEGP_StreamSuite7 HeadlessHost::Impl::kStream = {HeadlessHost::Impl::newEffectStreamByIndex,
                                                 HeadlessHost::Impl::disposeStream};
AEGP_DynamicStreamSuite2 HeadlessHost::Impl::kDynStream = {HeadlessHost::Impl::getDynamicStreamFlags,
                                                           HeadlessHost::Impl::setDynamicStreamFlag};
DRAWBOT_DrawbotSuite1 HeadlessHost::Impl::kDraw = {HeadlessHost::Impl::getSupplier, HeadlessHost::Impl::getSurface};
DRAWBOT_SupplierSuite1 HeadlessHost::Impl::kSupplier = {HeadlessHost::Impl::newPath, HeadlessHost::Impl::disposePath};
DRAWBOT_SurfaceSuite2 HeadlessHost::Impl::kSurface = {HeadlessHost::Impl::fillPath};
DRAWBOT_PathSuite1 HeadlessHost::Impl::kPath = {HeadlessHost::Impl::pathPoint, HeadlessHost::Impl::pathPoint,
                                                HeadlessHost::Impl::closePath};

namespace {

// Per-slot copies of the functions that cannot name their host.
template <int N>
struct Slot {
  static SPErr acquire(const char* name, int32_t version, void** suite) {
    return HeadlessHost::Impl::acquire(slotHost(N), name, version, suite);
  }
  static SPErr release(const char* name, int32_t version) {
    return HeadlessHost::Impl::release(slotHost(N), name, version);
  }
  static PF_Handle newHandle(A_u_longlong size) { return HeadlessHost::Impl::newHandle(slotHost(N), size); }
  static A_Err newMem(AEGP_PluginID id, const A_char* what, AEGP_MemSize size, AEGP_MemFlag flags,
                      AEGP_MemHandle* mem) {
    return HeadlessHost::Impl::newMemHandle(slotHost(N), id, what, size, flags, mem);
  }
  static A_Err executeScript(AEGP_PluginID id, const A_char* script, A_Boolean enc, AEGP_MemHandle* result,
                             AEGP_MemHandle* error) {
    return HeadlessHost::Impl::executeScript(slotHost(N), id, script, enc, result, error);
  }
};

struct SlotFunctions {
  SPErr (*acquire)(const char*, int32_t, void**);
  SPErr (*release)(const char*, int32_t);
  PF_Handle (*newHandle)(A_u_longlong);
  A_Err (*newMem)(AEGP_PluginID, const A_char*, AEGP_MemSize, AEGP_MemFlag, AEGP_MemHandle*);
  A_Err (*executeScript)(AEGP_PluginID, const A_char*, A_Boolean, AEGP_MemHandle*, AEGP_MemHandle*);
};

template <size_t... I>
constexpr std::array<SlotFunctions, sizeof...(I)> makeSlotFunctions(std::index_sequence<I...>) {
  return {{SlotFunctions{&Slot<int(I)>::acquire, &Slot<int(I)>::release, &Slot<int(I)>::newHandle,
                         &Slot<int(I)>::newMem, &Slot<int(I)>::executeScript}...}};
}

constexpr auto kSlotFunctions = makeSlotFunctions(std::make_index_sequence<kSlots>{});

}  // namespace

// ---- CommandRecord ------------------------------------------------------------

std::map<std::string, int> CommandRecord::suiteBalance() const {
  std::map<std::string, int> balance;
  for (const SuiteCall& c : suiteCalls) {
    if (c.acquire && c.granted) ++balance[c.name];
    if (!c.acquire) --balance[c.name];
  }
  return balance;
}

bool CommandRecord::suitesBalanced() const {
  for (auto& [name, n] : suiteBalance())
    if (n != 0) return false;
  return true;
}

// ---- HeadlessHost -------------------------------------------------------------

HeadlessHost::HeadlessHost() { init(); }

HeadlessHost::HeadlessHost(const std::string& modulePath) {
  // RTLD_NODELETE keeps the module (and the GL driver it loads) mapped after
  // dlclose, so leak checkers do not see the driver being torn down.
  mLibrary = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!mLibrary) {
    const char* e = dlerror();
    throw HostError("cannot load " + modulePath + ": " + (e ? e : "unknown error"));
  }
  mEntry = reinterpret_cast<PF_EntryPointFunc>(dlsym(mLibrary, PF_ENTRY_POINT_NAME));
  if (!mEntry) {
    dlclose(mLibrary);
    throw HostError(modulePath + " has no " PF_ENTRY_POINT_NAME);
  }
  init();
}

void HeadlessHost::init() {
  {
    std::lock_guard<std::mutex> lock(gSlotsMutex);
    for (int i = 0; i < kSlots; ++i)
      if (!gSlots[i]) {
        gSlots[i] = this;
        mSlot = i;
        break;
      }
  }
  if (mSlot < 0) {
    if (mLibrary) dlclose(mLibrary);
    throw HostError("too many hosts alive at once");
  }
  mImpl = std::make_unique<Impl>(*this);
  const SlotFunctions& f = kSlotFunctions[size_t(mSlot)];

  mBasic = SPBasicSuite{f.acquire, f.release, Impl::isEqual, Impl::allocateBlock, Impl::freeBlock,
                        Impl::reallocateBlock};
  mImpl->handleSuite = PF_HandleSuite2{f.newHandle, Impl::lockHandle, Impl::unlockHandle, Impl::disposeHandle,
                                       Impl::handleSize};
  mImpl->utilitySuite = AEGP_UtilitySuite11{f.executeScript};
  mImpl->memorySuite = AEGP_MemorySuite1{f.newMem, Impl::freeMemHandle, Impl::lockMemHandle,
                                         Impl::unlockMemHandle, Impl::memHandleSize};

  mUtils.ansi = PF_ANSICallbacks{ansiSprintf, ansiStrcpy};
  mUtils.get_pixel_data8 = getPixelData8;
  mUtils.get_pixel_data16 = getPixelData16;

  mInData.inter = PF_InteractCallbacks{Impl::checkoutParam, Impl::checkinParam, Impl::addParam};
  mInData.utils = &mUtils;
  mInData.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
  mInData.version_major = 13;
  mInData.version_minor = 28;
  mInData.current_time = 0;
  mInData.time_step = 1;
  mInData.time_scale = 30;
  mInData.total_time = 300;
  mInData.downsample_x = PF_RationalScale{1, 1};
  mInData.downsample_y = PF_RationalScale{1, 1};
  mInData.pixel_aspect_ratio = PF_RationalScale{1, 1};
  mInData.pica_basicP = &mBasic;

  // Parameter 0 is the input layer, supplied by the host.
  Param layer;
  layer.def.param_type = PF_Param_LAYER;
  layer.def.uu.id = 0;
  mParams.push_back(layer);
  mInData.num_params = 1;
  mScript = [](const std::string&) { return ScriptResult{}; };
}

HeadlessHost::~HeadlessHost() {
  {
    std::lock_guard<std::mutex> lock(gSlotsMutex);
    gSlots[mSlot] = nullptr;
  }
  std::vector<Obj*> mine;
  {
    std::lock_guard<std::mutex> lock(gObjectsMutex);
    for (auto it = gObjects.begin(); it != gObjects.end();)
      if (it->second->owner == this) {
        mine.push_back(it->second);
        it = gObjects.erase(it);
      } else {
        ++it;
      }
  }
  for (Obj* o : mine) delete o;
  if (mLibrary) dlclose(mLibrary);
}

void HeadlessHost::record(const std::function<void(CommandRecord&)>& f) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  f(mCurrent ? *mCurrent : mDirect);
}

void HeadlessHost::clearDirect() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mDirect = CommandRecord{};
}

PF_Err HeadlessHost::send(PF_Cmd cmd, void* extra) {
  if (!mEntry) throw HostError("no module loaded");
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  CommandRecord rec;
  rec.cmd = cmd;
  mCurrent = &rec;
  mInData.num_params = paramCount();
  if (mInput) {
    mInData.width = mInput->width();
    mInData.height = mInput->height();
    mInData.extent_hint = PF_Rect{0, 0, mInput->width(), mInput->height()};
  }
  buildParams();
  PF_LayerDef* output = mOutput ? mOutput->def() : nullptr;
  rec.contextBefore = eglGetCurrentContext();
  PF_Err result = PF_Err_NONE;
  try {
    result = mEntry(cmd, &mInData, &mOutData, mParamPtrs.data(), output, extra);
  } catch (...) {
    // Nothing should come out of a module; keep the record and pass it on.
    rec.contextAfter = eglGetCurrentContext();
    mCurrent = nullptr;
    mLast = std::move(rec);
    throw;
  }
  rec.contextAfter = eglGetCurrentContext();
  rec.result = result;
  rec.returnMsg.assign(mOutData.return_msg, strnlen(mOutData.return_msg, sizeof mOutData.return_msg));
  mCurrent = nullptr;
  mLast = std::move(rec);
  return result;
}

PF_Err HeadlessHost::userChangedParam(int index) {
  PF_UserChangedParamExtra extra{index};
  return send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

void HeadlessHost::resetOutData() { mOutData = PF_OutData{}; }

PF_ParamDef** HeadlessHost::buildParams() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mParamArray.resize(mParams.size());
  mParamPtrs.resize(mParams.size());
  for (size_t i = 0; i < mParams.size(); ++i) {
    mParamArray[i] = valueAt(int(i), mInData.current_time, mInData.time_scale ? mInData.time_scale : 1);
    mParamPtrs[i] = &mParamArray[i];
  }
  return mParamPtrs.data();
}

void HeadlessHost::setTime(A_long currentTime, A_long timeStep, A_u_long timeScale) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mInData.current_time = currentTime;
  mInData.time_step = timeStep;
  mInData.time_scale = timeScale;
}

void HeadlessHost::setDownsample(A_long numX, A_u_long denX, A_long numY, A_u_long denY) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mInData.downsample_x = PF_RationalScale{numX, denX};
  mInData.downsample_y = PF_RationalScale{numY, denY};
}

void HeadlessHost::setLayer(int width, int height, int inputRowbytes, int outputRowbytes) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mInput = std::make_unique<World>(width, height, inputRowbytes);
  mOutput = std::make_unique<World>(width, height, outputRowbytes);
  mInData.width = width;
  mInData.height = height;
}

void HeadlessHost::setInput(const World& world) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mInput = std::make_unique<World>(world);
  mInData.width = world.width();
  mInData.height = world.height();
  if (!mOutput) mOutput = std::make_unique<World>(world.width(), world.height());
}

void HeadlessHost::setOutput(const World& world) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mOutput = std::make_unique<World>(world);
}

const PF_ParamDef& HeadlessHost::registered(int index) const {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index < 0 || index >= paramCount()) throw HostError("no parameter " + std::to_string(index));
  return mParams[size_t(index)].def;
}

int HeadlessHost::addParam(const PF_ParamDef& def) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  Param p;
  p.def = def;
  mParams.push_back(p);
  mInData.num_params = paramCount();
  return paramCount() - 1;
}

int HeadlessHost::indexOf(const std::string& name) const {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  int group = -1;
  for (size_t i = 0; i < mParams.size(); ++i) {
    const PF_ParamDef& d = mParams[i].def;
    if (strncmp(d.name, name.c_str(), sizeof d.name) != 0 || name.size() >= sizeof d.name) continue;
    if (d.param_type != PF_Param_GROUP_START && d.param_type != PF_Param_GROUP_END) return int(i);
    if (group < 0) group = int(i);
  }
  return group;
}

namespace {
int mustFind(const HeadlessHost& h, const std::string& name) {
  const int i = h.indexOf(name);
  if (i < 0) throw HostError("no parameter named \"" + name + "\"");
  return i;
}
}  // namespace

void HeadlessHost::setValue(int index, const ParamValue& value) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index < 0 || index >= paramCount()) throw HostError("no parameter " + std::to_string(index));
  Param& p = mParams[size_t(index)];
  p.keys.clear();
  p.hasValue = true;
  p.value = value;
}

void HeadlessHost::setValue(const std::string& name, const ParamValue& value) { setValue(mustFind(*this, name), value); }

void HeadlessHost::setKeyframe(int index, double seconds, const ParamValue& value) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index < 0 || index >= paramCount()) throw HostError("no parameter " + std::to_string(index));
  mParams[size_t(index)].keys[seconds] = value;
}

void HeadlessHost::setKeyframe(const std::string& name, double seconds, const ParamValue& value) {
  setKeyframe(mustFind(*this, name), seconds, value);
}

PF_ParamDef HeadlessHost::valueAt(int index, A_long time, A_u_long timeScale) const {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index < 0 || index >= paramCount()) throw HostError("no parameter " + std::to_string(index));
  const Param& p = mParams[size_t(index)];
  PF_ParamDef def = p.def;
  if (def.param_type == PF_Param_LAYER) {
    PF_LayerDef* world = index == 0 ? (mLayerEmpty || !mInput ? nullptr : mInput->def()) : p.layer;
    def.u.ld = world ? *world : PF_LayerDef{};
    return def;
  }
  if (!p.keys.empty()) {
    const double t = double(time) / double(timeScale ? timeScale : 1);
    auto after = p.keys.lower_bound(t);
    ParamValue v;
    if (after == p.keys.begin()) {
      v = after->second;
    } else if (after == p.keys.end()) {
      v = std::prev(after)->second;
    } else if (after->first == t) {
      v = after->second;
    } else {
      auto before = std::prev(after);
      if (held(def.param_type)) {
        v = before->second;
      } else {
        const double f = (t - before->first) / (after->first - before->first);
        for (size_t i = 0; i < v.c.size(); ++i)
          v.c[i] = before->second.c[i] + (after->second.c[i] - before->second.c[i]) * f;
      }
    }
    applyValue(def, v);
  } else if (p.hasValue) {
    applyValue(def, p.value);
  } else if (def.param_type == PF_Param_POINT && mInput) {
    // Registered defaults are percentages of the layer.
    const double x = def.u.td.x_dephault / 65536.0 / 100.0 * mInput->width();
    const double y = def.u.td.y_dephault / 65536.0 / 100.0 * mInput->height();
    applyValue(def, ParamValue::point(x, y));
  }
  return def;
}

void HeadlessHost::setLayerWorld(int index, PF_LayerDef* world) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index <= 0 || index >= paramCount()) throw HostError("no layer parameter " + std::to_string(index));
  mParams[size_t(index)].layer = world;
}

AEGP_DynStreamFlags HeadlessHost::streamFlags(int index) const {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index < 0 || index >= paramCount()) throw HostError("no parameter " + std::to_string(index));
  return mParams[size_t(index)].streamFlags;
}

void HeadlessHost::setStreamFlags(int index, AEGP_DynStreamFlags flags) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (index < 0 || index >= paramCount()) throw HostError("no parameter " + std::to_string(index));
  mParams[size_t(index)].streamFlags = flags;
}

void HeadlessHost::setScriptEvaluator(std::function<ScriptResult(const std::string&)> evaluator) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mScript = std::move(evaluator);
}

void HeadlessHost::failAddParamAt(int n, PF_Err code) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mAddParamCount = 0;
  mFaults.addParamFailAt = n;
  mFaults.addParamError = code;
}

void HeadlessHost::failHandleAllocationAt(int n) {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mHandleCount = 0;
  mFaults.handleFailAt = n;
}

int HeadlessHost::liveHandles() const { return countObjs(this, Obj::Handle); }
int HeadlessHost::liveMemHandles() const { return countObjs(this, Obj::Mem); }
int HeadlessHost::liveEffects() const { return countObjs(this, Obj::Effect); }
int HeadlessHost::liveStreams() const { return countObjs(this, Obj::Stream); }

int HeadlessHost::outstandingSuites() const {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  int n = 0;
  for (auto& [name, count] : mOutstanding) n += count;
  return n;
}

DRAWBOT_DrawRef HeadlessHost::drawRef() {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  if (!mImpl->draw) {
    Obj* d = newObj(Obj::Draw, this);
    d->supplier = newObj(Obj::Supplier, this);
    d->surface = newObj(Obj::Surface, this);
    mImpl->draw = d;
  }
  return reinterpret_cast<DRAWBOT_DrawRef>(mImpl->draw);
}

int HeadlessHost::drawbotFills() const {
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  return mImpl->draw ? mImpl->draw->surface->fills : 0;
}

}  // namespace Tavrolin::Fill
