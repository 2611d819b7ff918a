#include "host/DrawSurface.h"

namespace Orvane::Mosaira {

DrawSurface::DrawSurface(A_long width, A_long height) : width_(width), height_(height) {}

DrawSurface::~DrawSurface() = default;

void DrawSurface::Fill(double, double, double, double) {}

bool DrawSurface::PaintWorld(HostWorld&, double, double, double) { return false; }

PF_Pixel8 DrawSurface::Pixel(A_long, A_long) const { return PF_Pixel8{}; }

bool DrawSurface::SavePng(const std::string&, std::string* error) const {
  if (error != nullptr) *error = "this build of the host has no drawing surface";
  return false;
}

}  // namespace Orvane::Mosaira
