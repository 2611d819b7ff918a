// A small thread-safe host of the tests' own for the render road: worlds in the three pixel
// layouts, SPBasic with the handle, world and float-iteration suites, the pixel-address and
// handle callbacks, parameter values and layers per polygon group, the SmartFX checkouts, and
// fault switches. Several threads may render through one harness at once; each call has its
// own RenderCall (the effect_ref of its commands). One harness exists at a time.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "layout/GridLayoutModel.h"
#include "render/FrameDrawing.h"
#include "sdk/sdk.h"

namespace Orvane::Mosaira::SmartFxTest {

// Channel index in memory order.
enum Channel { kAlpha = 0, kRed = 1, kGreen = 2, kBlue = 3 };

class TestWorld {
 public:
  static constexpr unsigned char kPaddingByte = 0xA5;
  TestWorld(A_long width, A_long height, PF_PixelFormat format, A_long padBytes = 0);
  ~TestWorld();
  TestWorld(const TestWorld&) = delete;
  TestWorld& operator=(const TestWorld&) = delete;

  // A channel as a fraction of white (8-bit 255, 16-bit 32768, float 1.0).
  double Get(A_long x, A_long y, Channel c) const;
  void Set(A_long x, A_long y, Channel c, double value);
  // Every channel of every pixel of a rectangle [x0, x1) x [y0, y1), in (a, r, g, b).
  void Fill(A_long x0, A_long y0, A_long x1, A_long y1, double a, double r, double g, double b);
  bool PaddingIntact() const;
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

  PF_EffectWorld world{};
  PF_PixelFormat format;

 private:
  unsigned char* At(A_long x, A_long y, Channel c);
  const unsigned char* At(A_long x, A_long y, Channel c) const;
  int bytesPerPixel_;
  std::vector<unsigned char> bytes_;
};

class Harness;

// One command's view of the host: its in_data and the worlds of its checkouts.
struct RenderCall {
  explicit RenderCall(Harness* h);
  Harness* harness;
  PF_InData in{};
  PF_OutData out{};
  TestWorld* input = nullptr;
  TestWorld* output = nullptr;
  PF_CheckoutResult checkout{};   // what checkout_layer hands back
  PF_Err checkoutLayerError = PF_Err_NONE;
  PF_Err checkoutPixelsError = PF_Err_NONE;
};

class Harness {
 public:
  Harness();
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  // Values of float sliders by index ("Scale" of every group starts at 100) and the layer
  // chosen in polygon group k's "Layer" parameter. Set before rendering.
  std::map<int, double> floats;
  std::map<int, TestWorld*> layers;  // by polygon group

  // Faults: checkouts of these indices fail; these suites are missing; the pixel-address
  // callbacks answer null after this many successful calls (-1 = never).
  std::set<int> failingCheckouts;
  std::set<std::string> missingSuites;
  std::atomic<int> pixelAddressesLeft{-1};

  // Accounting: outstanding parameter checkouts, suites and handles.
  std::atomic<int> checkedOut{0};
  std::atomic<int> suitesHeld{0};
  std::atomic<int> handlesLive{0};
  std::atomic<int> badCheckins{0};

  // Gives `call` a sequence record holding `layout` (through the effect's sequence set-up).
  void InstallLayout(RenderCall& call, std::unique_ptr<GridLayoutModel> layout);
  // Disposes of the call's sequence record.
  void RemoveLayout(RenderCall& call);

  // Sends the SmartFX commands straight to the effect's handlers.
  PF_Err PreRender(RenderCall& call, const PF_RenderRequest& request, PF_PreRenderOutput* out);
  PF_Err Render(RenderCall& call);

  // Sets up and sets down the renderer's process-wide objects as global set-up does.
  static void GlobalSetup();
  static void GlobalSetdown();

  static Harness* Current();
  SPBasicSuite basic{};
  PF_UtilCallbacks utils{};
  std::mutex mutex;
};

// Two frames side by side on a 64 x 48 layout: F1 on the left half, F2 on the right half.
std::unique_ptr<GridLayoutModel> TwoFrameLayout(double width = 64.0, double height = 48.0);

}  // namespace Orvane::Mosaira::SmartFxTest
