// Resource paths of the images rendered from src/*.svg and embedded by the
// quelmarn_images library (resource "images", prefix "/images").
#pragma once

namespace quelmarn::images {

// Row icons of the summary page: 60x60 px, shown at 30x30 points.
inline constexpr const char* kCpu = ":/images/cpu.png";
inline constexpr const char* kClock = ":/images/hz.png";
inline constexpr const char* kMemory = ":/images/memory.png";
inline constexpr const char* kOs = ":/images/os.png";
inline constexpr const char* kModel = ":/images/model.png";
inline constexpr const char* kDisplay = ":/images/display.png";
inline constexpr const char* kHeat = ":/images/heat.png";
inline constexpr const char* kFan = ":/images/fan.png";

// Product logo of the about panel: 300x300 px, shown at 150x150 points.
inline constexpr const char* kLogo = ":/images/quelmarn.png";
// Window icon: 64x64 px.
inline constexpr const char* kWindowIcon = ":/images/quelmarn-64.png";

// Registers the resource. Linking quelmarn_images already registers it at
// start-up; calling this again is harmless and keeps it registered even when
// a linker would drop unreferenced objects.
void ensureRegistered();

}  // namespace quelmarn::images
