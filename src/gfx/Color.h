// Colours: TColor is 0x00BBGGRR as stored in form definitions, or a system
// colour (top bit set, low byte the system colour's index). Pixels in memory
// are 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <span>

#include "core/Object.h"

namespace skr {

using TColor = int32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);

// Resolves a system colour and turns BGR order into a pixel.
uint32_t ColorToPixel(TColor color) noexcept;

// Name tables for colour and charset properties stored as identifiers.
std::span<const TIdentMap> ColorNames() noexcept;
std::span<const TIdentMap> CharsetNames() noexcept;

}  // namespace skr
