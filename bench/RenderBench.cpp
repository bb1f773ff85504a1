// tqfill_bench: the effect's full render command through the headless host,
// beside a single-threaded CPU peer of the same fill and the memory-bandwidth
// floor (a memcpy of one frame), for a few layer sizes, fills and two blend
// modes, in one run.
//
//   build/<dir>/bin/tqfill_bench                          # everything, about half a minute
//   build/<dir>/bin/tqfill_bench --benchmark_filter='1920x1080'
//   build/<dir>/bin/tqfill_bench --benchmark_filter='^GPU/Radial11' --benchmark_min_time=1
//
// Rows are named Kind/Fill/Blend/WxH (Floor/memcpy/WxH for the floor). The
// items per second are pixels per second; the bytes count one frame read and
// one written per iteration. Times are wall-clock: the GL driver may work on
// threads of its own.
//
// The GPU rows run on whatever OpenGL the machine's EGL offers; on the
// development machine that is Mesa's llvmpipe, a software rasteriser on the
// CPU cores, so those numbers say nothing about a hardware GPU. The renderer
// string is printed in the run's context ("gl_renderer") and as each GPU
// row's label.
//
// Before any GPU row is timed, its frame is rendered once and compared with
// the CPU peer; a render that fails or a result more than 2/255 away from
// the peer in any channel skips the row with the reason, so a broken render
// never shows a time.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/CpuFill.h"
#include "bench/FillScene.h"
#include "host/lib/HeadlessHost.h"
#include "plugin/ParamTable.h"

namespace Tavrolin::Fill::Bench {

namespace {

constexpr int kTolerance = 2;  // per channel, of 255
// The default time per row; --benchmark_min_time on the command line wins.
constexpr const char* kDefaultMinTime = "--benchmark_min_time=0.2";

struct Size {
  int width, height;
};
const Size kSizes[] = {{256, 256}, {1024, 1024}, {1920, 1080}};
const int kBlends[] = {kBlendNormal, kBlendMultiply};

std::string SizeName(Size s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }
std::string BlendName(int mode) { return mode == kBlendNormal ? "Normal" : "Multiply"; }

// Collects what is written to file descriptor 1 (the module prints its banner
// and its failures there) so that it neither mixes with the report nor gets lost.
class StdoutCapture {
public:
  StdoutCapture() {
    std::cout.flush();
    std::fflush(stdout);
    mFile = std::tmpfile();
    mSaved = dup(STDOUT_FILENO);
    if (mFile && mSaved >= 0) dup2(fileno(mFile), STDOUT_FILENO);
  }
  ~StdoutCapture() { finish(); }
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Restores standard output and returns what was written meanwhile.
  const std::string& finish() {
    if (mSaved < 0) return mText;
    std::cout.flush();
    std::fflush(stdout);
    dup2(mSaved, STDOUT_FILENO);
    close(mSaved);
    mSaved = -1;
    if (mFile) {
      std::rewind(mFile);
      char buffer[4096];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, mFile)) > 0) mText.append(buffer, n);
      std::fclose(mFile);
      mFile = nullptr;
    }
    return mText;
  }

private:
  std::FILE* mFile = nullptr;
  int mSaved = -1;
  std::string mText;
};

std::string LineAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  if (at == std::string::npos) return {};
  const std::size_t from = at + label.size();
  return text.substr(from, text.find('\n', from) - from);
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The module, set up once for the whole run and set down after it.
struct Module {
  std::unique_ptr<HeadlessHost> host;
  std::string failure;  // why GPU rows cannot run; empty when they can
  std::string renderer, version;
  bool setUp = false;
};

Module& TheModule() {
  static Module kModule;
  return kModule;
}

void SetUpModule() {
  Module& m = TheModule();
  try {
    m.host = std::make_unique<HeadlessHost>(TQ_MODULE_PATH);
  } catch (const std::exception& e) {
    m.failure = std::string("module not loaded: ") + e.what();
    return;
  }
  m.host->setLayer(kSizes[0].width, kSizes[0].height);
  StdoutCapture capture;
  const PF_Err setup = m.host->globalSetup();
  const PF_Err params = setup == PF_Err_NONE ? m.host->paramsSetup() : PF_Err_NONE;
  const std::string& printed = capture.finish();
  m.setUp = setup == PF_Err_NONE;
  m.renderer = LineAfter(printed, "OpenGL Renderer: ");
  m.version = LineAfter(printed, "OpenGL Version:  ");
  if (setup != PF_Err_NONE)
    m.failure = "global set-up returned " + std::to_string(setup) + ": " + OneLine(printed);
  else if (params != PF_Err_NONE)
    m.failure = "parameter set-up returned " + std::to_string(params);
}

void SetDownModule() {
  Module& m = TheModule();
  if (!m.setUp) return;
  StdoutCapture capture;
  const PF_Err err = m.host->globalSetdown();
  const std::string printed = capture.finish();
  if (err != PF_Err_NONE) std::cerr << "tqfill_bench: global set-down returned " << err << " " << OneLine(printed) << "\n";
}

void CountFrames(benchmark::State& state, Size size) {
  const std::int64_t pixels = std::int64_t(size.width) * size.height;
  state.SetItemsProcessed(state.iterations() * pixels);
  state.SetBytesProcessed(state.iterations() * pixels * 4 * 2);  // one frame in, one out
}

// The first channel that differs by more than the tolerance, as text; empty when none does.
std::string FirstDifference(const World& gpu, const std::vector<std::uint8_t>& cpu, Size size) {
  static const char* const kChannel[] = {"alpha", "red", "green", "blue"};
  int worst = 0;
  std::string where;
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const PF_Pixel8& g = gpu.at(x, y);
      const std::uint8_t got[4] = {g.alpha, g.red, g.green, g.blue};
      const std::uint8_t* want = &cpu[(std::size_t(y) * size.width + x) * 4];
      for (int c = 0; c < 4; ++c) {
        const int d = std::abs(int(got[c]) - int(want[c]));
        if (d > worst) {
          worst = d;
          std::ostringstream text;
          text << kChannel[c] << " at (" << x << ", " << y << ") is " << int(got[c]) << ", the CPU peer has "
               << int(want[c]);
          where = text.str();
        }
      }
    }
  }
  if (worst <= kTolerance) return {};
  return "GPU result differs from the CPU peer by " + std::to_string(worst) + "/255: " + where;
}

void GpuRender(benchmark::State& state, const std::string& fill, int blend, Size size) {
  Module& m = TheModule();
  if (!m.failure.empty()) {
    state.SkipWithError(m.failure.c_str());
    return;
  }
  HeadlessHost& host = *m.host;
  const FillScene scene = MakeScene(fill, blend, size.width, size.height);
  host.setLayer(size.width, size.height);
  World& input = host.input();
  PaintLayer(input.bytes().data(), std::size_t(input.rowbytes()), size.width, size.height);
  ApplyScene(host, scene);

  // The first frame of a size or a fill builds frame buffers and programs: it
  // is the checked frame and stays out of the timing.
  host.output().fill(PF_Pixel8{0x5A, 0x5A, 0x5A, 0x5A});
  StdoutCapture capture;
  const PF_Err first = host.render();
  const std::string printed = capture.finish();
  if (first != PF_Err_NONE) {
    state.SkipWithError(("render returned " + std::to_string(first) + ": " + OneLine(printed)).c_str());
    return;
  }
  std::vector<std::uint8_t> expected(std::size_t(size.width) * size.height * 4);
  RenderCpu(MakeCpuFill(scene), input.bytes().data(), std::size_t(input.rowbytes()), expected.data(),
            std::size_t(size.width) * 4, size.width, size.height);
  const std::string difference = FirstDifference(host.output(), expected, size);
  if (!difference.empty()) {
    state.SkipWithError(difference.c_str());
    return;
  }

  for (auto _ : state) {
    const PF_Err err = host.render();
    if (err != PF_Err_NONE) {
      state.SkipWithError(("render returned " + std::to_string(err)).c_str());
      break;
    }
  }
  CountFrames(state, size);
  state.SetLabel(m.renderer);
}

void CpuRender(benchmark::State& state, const std::string& fill, int blend, Size size) {
  const std::size_t rowbytes = std::size_t(size.width) * 4;
  std::vector<std::uint8_t> input(rowbytes * size.height), output(input.size());
  PaintLayer(input.data(), rowbytes, size.width, size.height);
  const CpuFill cpu = MakeCpuFill(MakeScene(fill, blend, size.width, size.height));
  for (auto _ : state) {
    RenderCpu(cpu, input.data(), rowbytes, output.data(), rowbytes, size.width, size.height);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(output.data());
  CountFrames(state, size);
  state.SetLabel("1 thread");
}

void MemcpyFloor(benchmark::State& state, Size size) {
  const std::size_t bytes = std::size_t(size.width) * size.height * 4;
  std::vector<std::uint8_t> input(bytes), output(bytes);
  PaintLayer(input.data(), std::size_t(size.width) * 4, size.width, size.height);
  for (auto _ : state) {
    std::memcpy(output.data(), input.data(), bytes);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(output.data());
  CountFrames(state, size);
}

void RegisterAll() {
  for (const Size size : kSizes) {
    const std::string sizeName = SizeName(size);
    benchmark::RegisterBenchmark(("Floor/memcpy/" + sizeName).c_str(),
                                 [size](benchmark::State& state) { MemcpyFloor(state, size); })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    for (const std::string& fill : SceneNames()) {
      for (const int blend : kBlends) {
        const std::string suffix = "/" + fill + "/" + BlendName(blend) + "/" + sizeName;
        benchmark::RegisterBenchmark(("GPU" + suffix).c_str(), [=](benchmark::State& state) {
          GpuRender(state, fill, blend, size);
        })->UseRealTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("CPU" + suffix).c_str(), [=](benchmark::State& state) {
          CpuRender(state, fill, blend, size);
        })->UseRealTime()->Unit(benchmark::kMillisecond);
      }
    }
  }
}

}  // namespace

}  // namespace Tavrolin::Fill::Bench

// Google Benchmark's own main, with the module set up before the run (for
// the renderer in the context) and set down after it.
int main(int argc, char** argv) {
  using namespace Tavrolin::Fill::Bench;
  std::vector<char*> args(argv, argv + argc);
  bool minTimeGiven = false;
  for (char* arg : args) minTimeGiven = minTimeGiven || std::strncmp(arg, "--benchmark_min_time", 20) == 0;
  if (!minTimeGiven) args.insert(args.begin() + 1, const_cast<char*>(kDefaultMinTime));
  argc = int(args.size());
  args.push_back(nullptr);
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SetUpModule();
  const Module& m = TheModule();
  benchmark::AddCustomContext("gl_renderer", m.renderer.empty() ? "unknown" : m.renderer);
  benchmark::AddCustomContext("gl_version", m.version.empty() ? "unknown" : m.version);
  benchmark::AddCustomContext("gpu_note", m.failure.empty()
                                              ? "GPU rows run on the renderer above; llvmpipe is software GL on the CPU"
                                              : "GPU rows skipped: " + m.failure);
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetDownModule();
  return 0;
}
