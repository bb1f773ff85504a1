// The headless host's own services: worlds, parameters over time, suites with
// real memory and flags, and the faults it can be told to produce.
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <EGL/egl.h>

#include "host/lib/HeadlessHost.h"
#include "support/GLTestContext.h"

namespace Tavrolin::Fill {
namespace {

template <typename Suite>
Suite* Acquire(HeadlessHost& host, const char* name, int version) {
  void* suite = nullptr;
  EXPECT_EQ(host.basicSuite()->AcquireSuite(name, version, &suite), kSPNoError) << name;
  return static_cast<Suite*>(suite);
}

PF_ParamDef FloatSlider(double value) {
  PF_ParamDef d{};
  d.param_type = PF_Param_FLOAT_SLIDER;
  std::strcpy(d.name, "Amount");
  d.u.fs_d.value = value;
  return d;
}

TEST(World, PaddedRowsKeepTheirPadding) {
  World w(3, 2, 20);  // 12 bytes of pixels and 8 of padding per row
  EXPECT_EQ(w.rowbytes(), 20);
  EXPECT_EQ(w.bytes().size(), 40u);
  w.fill(PF_Pixel8{1, 2, 3, 4});
  EXPECT_TRUE(w.paddingIntact());
  // Pixel (2, 1) starts at row 1 * 20 + 2 * 4 bytes.
  EXPECT_EQ(reinterpret_cast<uint8_t*>(&w.at(2, 1)) - w.bytes().data(), 28);
  EXPECT_EQ(w.bytes()[28], 1);
  EXPECT_EQ(w.bytes()[31], 4);
  w.bytes()[12] = 0;  // a padding byte of row 0
  EXPECT_FALSE(w.paddingIntact());

  World copy(w);
  EXPECT_NE(copy.def()->data, w.def()->data);
  EXPECT_EQ(copy.at(2, 1).blue, 4);
  EXPECT_THROW(World(3, 2, 11), std::invalid_argument);
}

TEST(World, PixelDataCallbacksGiveTheFirstPixel) {
  HeadlessHost host;
  World w(4, 4, 24);
  PF_Pixel8* p8 = nullptr;
  PF_Pixel16* p16 = nullptr;
  EXPECT_EQ(host.inData()->utils->get_pixel_data8(w.def(), nullptr, &p8), PF_Err_NONE);
  EXPECT_EQ(host.inData()->utils->get_pixel_data16(w.def(), nullptr, &p16), PF_Err_NONE);
  EXPECT_EQ(static_cast<void*>(p8), w.bytes().data());
  EXPECT_EQ(static_cast<void*>(p16), w.bytes().data());
}

TEST(Params, KeyframesInterpolateLinearlyAndHoldOutside) {
  HeadlessHost host;
  const int amount = host.addParam(FloatSlider(5));
  PF_ParamDef popup{};
  popup.param_type = PF_Param_POPUP;
  const int choice = host.addParam(popup);
  host.setKeyframe(amount, 1.0, ParamValue::scalar(100));
  host.setKeyframe(amount, 2.0, ParamValue::scalar(300));
  host.setKeyframe(choice, 1.0, ParamValue::scalar(2));
  host.setKeyframe(choice, 2.0, ParamValue::scalar(4));

  struct Case {
    A_long time;
    double amount;
    int choice;
  };
  // time_scale 30: 45 is 1.5 s, halfway between the keys; 54 is 1.8 s.
  for (const Case& c : {Case{0, 100, 2}, Case{30, 100, 2}, Case{45, 200, 2}, Case{54, 260, 2}, Case{60, 300, 4},
                        Case{90, 300, 4}}) {
    SCOPED_TRACE(c.time);
    PF_ParamDef def{};
    ASSERT_EQ(host.inData()->inter.checkout_param(host.inData()->effect_ref, amount, c.time, 1, 30, &def),
              PF_Err_NONE);
    EXPECT_DOUBLE_EQ(def.u.fs_d.value, c.amount);
    ASSERT_EQ(host.inData()->inter.checkout_param(host.inData()->effect_ref, choice, c.time, 1, 30, &def),
              PF_Err_NONE);
    EXPECT_EQ(def.u.pd.value, c.choice);  // pop-ups hold the earlier key
  }
  // A constant value replaces the keys.
  host.setValue(amount, ParamValue::scalar(7));
  EXPECT_DOUBLE_EQ(host.valueAt(amount, 45, 30).u.fs_d.value, 7);
  EXPECT_EQ(host.direct().checkouts.size(), 12u);
}

TEST(Params, PointDefaultsArePercentOfTheLayerUntilSet) {
  HeadlessHost host;
  PF_ParamDef point{};
  point.param_type = PF_Param_POINT;
  point.u.td.x_dephault = point.u.td.x_value = 25 << 16;
  point.u.td.y_dephault = point.u.td.y_value = 50 << 16;
  const int index = host.addParam(point);
  EXPECT_EQ(host.valueAt(index, 0, 30).u.td.x_value, 25 << 16);  // no layer yet: as registered
  host.setLayer(200, 80);
  PF_ParamDef def = host.valueAt(index, 0, 30);
  EXPECT_EQ(def.u.td.x_value, 50 << 16);
  EXPECT_EQ(def.u.td.y_value, 40 << 16);
  EXPECT_EQ(def.u.td.x_dephault, 25 << 16);
  host.setValue(index, ParamValue::point(3.5, 7));
  EXPECT_EQ(host.valueAt(index, 0, 30).u.td.x_value, 7 << 15);

  PF_ParamDef layer = host.valueAt(0, 0, 30);
  EXPECT_EQ(layer.u.ld.data, host.input().def()->data);
  EXPECT_EQ(layer.u.ld.width, 200);
  host.setLayerParamEmpty(true);
  EXPECT_EQ(host.valueAt(0, 0, 30).u.ld.data, nullptr);
}

TEST(Faults, SuitesMissingNullOrOfAnotherVersion) {
  HeadlessHost host;
  host.faults().missingSuites.insert(kPFANSISuite);
  host.faults().nullSuites.insert(kPFHandleSuite);
  void* suite = &host;
  EXPECT_NE(host.basicSuite()->AcquireSuite(kPFANSISuite, 1, &suite), kSPNoError);
  EXPECT_EQ(suite, nullptr);
  suite = &host;
  EXPECT_EQ(host.basicSuite()->AcquireSuite(kPFHandleSuite, 2, &suite), kSPNoError);
  EXPECT_EQ(suite, nullptr);
  EXPECT_NE(host.basicSuite()->AcquireSuite(kAEGPStreamSuite, 6, &suite), kSPNoError);
  EXPECT_EQ(host.outstandingSuites(), 0);
  EXPECT_NE(host.basicSuite()->ReleaseSuite(kAEGPStreamSuite, 7), kSPNoError);  // never acquired
  EXPECT_FALSE(host.direct().suitesBalanced());
}

TEST(Faults, AddParamFailsAtTheNthCall) {
  HeadlessHost host;
  host.failAddParamAt(3, 42);
  PF_ParamDef def = FloatSlider(1);
  auto add = [&] { return host.inData()->inter.add_param(host.inData()->effect_ref, -1, &def); };
  EXPECT_EQ(add(), PF_Err_NONE);
  EXPECT_EQ(add(), PF_Err_NONE);
  EXPECT_EQ(add(), 42);
  EXPECT_EQ(add(), PF_Err_NONE);
  EXPECT_EQ(host.paramCount(), 4);  // the layer and three
  EXPECT_EQ(host.inData()->inter.add_param(host.inData()->effect_ref, 9, &def), PF_Err_BAD_CALLBACK_PARAM);
}

TEST(Faults, RefusedCheckoutLeavesTheRecordAlone) {
  HeadlessHost host;
  const int index = host.addParam(FloatSlider(3));
  host.faults().refusedCheckouts.insert(index);
  host.faults().checkoutError = 99;
  PF_ParamDef def{};
  def.uu.id = 1234;
  EXPECT_EQ(host.inData()->inter.checkout_param(host.inData()->effect_ref, index, 0, 1, 30, &def), 99);
  EXPECT_EQ(def.uu.id, 1234);
  EXPECT_FALSE(host.direct().checkouts.at(0).granted);
  EXPECT_EQ(host.inData()->inter.checkout_param(host.inData()->effect_ref, 0, 0, 1, 30, &def), PF_Err_NONE);
}

TEST(Suites, HandlesHoldRealMemoryAndTheNthAllocationFails) {
  HeadlessHost host;
  auto* handles = Acquire<PF_HandleSuite2>(host, kPFHandleSuite, 2);
  ASSERT_NE(handles, nullptr);
  host.failHandleAllocationAt(2);
  PF_Handle a = handles->host_new_handle(1000);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(handles->host_new_handle(16), nullptr);
  PF_Handle c = handles->host_new_handle(8);
  ASSERT_NE(c, nullptr);
  auto* bytes = static_cast<uint8_t*>(handles->host_lock_handle(a));
  ASSERT_NE(bytes, nullptr);
  std::memset(bytes, 7, 1000);  // the whole block is writable (ASan would see otherwise)
  EXPECT_EQ(*a, bytes);
  EXPECT_EQ(handles->host_get_handle_size(a), 1000u);
  handles->host_unlock_handle(a);
  EXPECT_EQ(host.liveHandles(), 2);
  handles->host_dispose_handle(a);
  handles->host_dispose_handle(c);
  EXPECT_EQ(host.liveHandles(), 0);
  EXPECT_EQ(handles->host_new_handle(~0ull), nullptr);  // more than can exist
}

TEST(Suites, MemoryHandlesAndScripts) {
  HeadlessHost host;
  auto* memory = Acquire<AEGP_MemorySuite1>(host, kAEGPMemorySuite, 1);
  auto* utility = Acquire<AEGP_UtilitySuite11>(host, kAEGPUtilitySuite, 11);
  host.setScriptEvaluator([](const std::string& s) { return ScriptResult{"ran " + s, std::nullopt, A_Err_NONE}; });
  AEGP_MemHandle result = nullptr, error = reinterpret_cast<AEGP_MemHandle>(&host);
  EXPECT_EQ(utility->AEGP_ExecuteScript(0, "go", false, &result, &error), A_Err_NONE);
  EXPECT_EQ(error, nullptr);
  void* text = nullptr;
  ASSERT_EQ(memory->AEGP_LockMemHandle(result, &text), A_Err_NONE);
  EXPECT_STREQ(static_cast<const char*>(text), "ran go");
  EXPECT_EQ(host.liveMemHandles(), 1);
  EXPECT_EQ(memory->AEGP_FreeMemHandle(result), A_Err_NONE);  // freeing a locked handle is allowed
  EXPECT_EQ(host.liveMemHandles(), 0);
  EXPECT_NE(memory->AEGP_FreeMemHandle(result), A_Err_NONE);  // and only once
}

TEST(Suites, IterateWalksEveryPixelOfPaddedWorlds) {
  HeadlessHost host;
  auto* it = Acquire<PF_iterateFloatSuite1>(host, kPFIterateFloatSuite, 1);
  World src(3, 2, 64, World::k32), dst(3, 2, 80, World::k32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.atFloat(x, y).red = float(10 * y + x);
  struct Seen {
    std::vector<std::pair<int, int>> at;
  } seen;
  auto copy = [](void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out) -> PF_Err {
    static_cast<Seen*>(refcon)->at.push_back({x, y});
    *out = *in;
    return PF_Err_NONE;
  };
  ASSERT_EQ(it->iterate(host.inData(), 0, 2, src.def(), nullptr, &seen, copy, dst.def()), PF_Err_NONE);
  ASSERT_EQ(seen.at.size(), 6u);
  EXPECT_EQ(seen.at.front(), std::make_pair(0, 0));
  EXPECT_EQ(seen.at.back(), std::make_pair(2, 1));
  EXPECT_EQ(dst.atFloat(2, 1).red, 12.0f);
  EXPECT_TRUE(dst.paddingIntact());

  auto fail = [](void*, A_long x, A_long, PF_PixelFloat*, PF_PixelFloat*) -> PF_Err { return x == 1 ? 77 : 0; };
  EXPECT_EQ(it->iterate(host.inData(), 0, 2, src.def(), nullptr, nullptr, fail, dst.def()), 77);
  host.faults().iterateError = 5;
  EXPECT_EQ(it->iterate(host.inData(), 0, 2, src.def(), nullptr, &seen, copy, dst.def()), 5);
}

TEST(Suites, StreamsCarryAHiddenFlagPerParameter) {
  HeadlessHost host;
  const int index = host.addParam(FloatSlider(1));
  auto* pf = Acquire<AEGP_PFInterfaceSuite1>(host, kAEGPPFInterfaceSuite, 1);
  auto* effects = Acquire<AEGP_EffectSuite2>(host, kAEGPEffectSuite, 2);
  auto* streams = Acquire<AEGP_StreamSuite7>(host, kAEGPStreamSuite, 7);
  auto* dyn = Acquire<AEGP_DynamicStreamSuite2>(host, kAEGPDynamicStreamSuite, 2);
  AEGP_EffectRefH effect = nullptr;
  ASSERT_EQ(pf->AEGP_GetNewEffectForEffect(0, host.inData()->effect_ref, &effect), A_Err_NONE);
  AEGP_StreamRefH stream = nullptr;
  ASSERT_EQ(streams->AEGP_GetNewEffectStreamByIndex(0, effect, index, &stream), A_Err_NONE);
  EXPECT_EQ(dyn->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN, false, true), A_Err_NONE);
  AEGP_DynStreamFlags flags = 0;
  EXPECT_EQ(dyn->AEGP_GetDynamicStreamFlags(stream, &flags), A_Err_NONE);
  EXPECT_EQ(flags, AEGP_DynStreamFlag_HIDDEN);
  EXPECT_TRUE(host.isHidden(index));
  EXPECT_FALSE(host.isHidden(0));
  ASSERT_EQ(host.direct().flagWrites.size(), 1u);
  EXPECT_EQ(host.direct().flagWrites[0].index, index);
  EXPECT_TRUE(host.direct().flagWrites[0].set);

  AEGP_StreamRefH none = reinterpret_cast<AEGP_StreamRefH>(&host);
  EXPECT_NE(streams->AEGP_GetNewEffectStreamByIndex(0, effect, 99, &none), A_Err_NONE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(host.liveStreams(), 1);
  streams->AEGP_DisposeStream(stream);
  effects->AEGP_DisposeEffect(effect);
  EXPECT_EQ(host.liveStreams(), 0);
  EXPECT_EQ(host.liveEffects(), 0);
}

TEST(Suites, DrawbotReferencesWork) {
  HeadlessHost host;
  auto* draw = Acquire<DRAWBOT_DrawbotSuite1>(host, kDRAWBOT_DrawSuite, 1);
  auto* supplier = Acquire<DRAWBOT_SupplierSuite1>(host, kDRAWBOT_SupplierSuite, 1);
  auto* surface = Acquire<DRAWBOT_SurfaceSuite2>(host, kDRAWBOT_SurfaceSuite, 2);
  auto* path = Acquire<DRAWBOT_PathSuite1>(host, kDRAWBOT_PathSuite, 1);
  DRAWBOT_SupplierRef sup = nullptr;
  DRAWBOT_SurfaceRef surf = nullptr;
  DRAWBOT_PathRef p = nullptr;
  ASSERT_EQ(draw->GetSupplier(host.drawRef(), &sup), A_Err_NONE);
  ASSERT_EQ(draw->GetSurface(host.drawRef(), &surf), A_Err_NONE);
  ASSERT_EQ(supplier->NewPath(sup, &p), A_Err_NONE);
  EXPECT_EQ(path->MoveTo(p, 0, 0), A_Err_NONE);
  EXPECT_EQ(path->LineTo(p, 5, 0), A_Err_NONE);
  EXPECT_EQ(path->Close(p), A_Err_NONE);
  const float red[4] = {1, 0, 0, 1};
  EXPECT_EQ(surface->FillPath(surf, p, red), A_Err_NONE);
  EXPECT_EQ(host.drawbotFills(), 1);
  EXPECT_EQ(supplier->DisposePath(p), A_Err_NONE);
  EXPECT_NE(path->LineTo(p, 1, 1), A_Err_NONE);  // disposed
}

TEST(Module, LoadFailureIsReported) {
  EXPECT_THROW(HeadlessHost("/nonexistent/TQFill.so"), HostError);
  HeadlessHost none;
  EXPECT_FALSE(none.hasModule());
  EXPECT_THROW(none.about(), HostError);
}

// About holds the text suite from its start to its end: a basic suite that
// counts the holders sees two at once if two commands overlap.
struct Overlap {
  std::atomic<int> holders{0}, most{0};
  SPErr (*acquire)(const char*, int32_t, void**) = nullptr;
  SPErr (*release)(const char*, int32_t) = nullptr;
} gOverlap;

SPErr CountingAcquire(const char* name, int32_t version, void** suite) {
  const SPErr err = gOverlap.acquire(name, version, suite);
  const int now = ++gOverlap.holders;
  for (int m = gOverlap.most; now > m && !gOverlap.most.compare_exchange_weak(m, now);) {
  }
  std::this_thread::sleep_for(std::chrono::microseconds(200));  // widens the window an overlap needs
  return err;
}

SPErr CountingRelease(const char* name, int32_t version) {
  --gOverlap.holders;
  return gOverlap.release(name, version);
}

TEST(Module, CommandsFromSeveralThreadsRunOneAtATime) {
  HeadlessHost host(TQ_MODULE_PATH);
  gOverlap.acquire = host.basicSuite()->AcquireSuite;
  gOverlap.release = host.basicSuite()->ReleaseSuite;
  host.basicSuite()->AcquireSuite = CountingAcquire;
  host.basicSuite()->ReleaseSuite = CountingRelease;
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i)
        if (host.about() != PF_Err_NONE) ++failures[size_t(t)];
    });
  for (std::thread& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
  EXPECT_EQ(gOverlap.most, 1);
  EXPECT_EQ(gOverlap.holders, 0);
  EXPECT_EQ(host.lastCommand().cmd, PF_Cmd_ABOUT);
  EXPECT_TRUE(host.lastCommand().suitesBalanced());
  EXPECT_EQ(host.outstandingSuites(), 0);
  EXPECT_EQ(host.lastCommand().returnMsg, "TQ Fill v1.0\rTQ Fill");
}

TEST(Module, RecordsTheContextCurrentAroundACommand) {
  HeadlessHost host(TQ_MODULE_PATH);
  eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  ASSERT_EQ(host.about(), PF_Err_NONE);
  EXPECT_EQ(host.lastCommand().contextBefore, nullptr);
  EXPECT_EQ(host.lastCommand().contextAfter, nullptr);

  ASSERT_TRUE(Tavrolin::Fill::Test::makeTestContextCurrent());
  void* current = eglGetCurrentContext();
  ASSERT_NE(current, nullptr);
  ASSERT_EQ(host.about(), PF_Err_NONE);
  EXPECT_EQ(host.lastCommand().contextBefore, current);
  EXPECT_EQ(host.lastCommand().contextAfter, current);
}

}  // namespace
}  // namespace Tavrolin::Fill
