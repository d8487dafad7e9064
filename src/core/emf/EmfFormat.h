#pragma once
// Numbers of the Enhanced Metafile format ([MS-EMF]) that the writer uses:
// record types, the values of the state records and the stock objects.

#include <cstdint>

namespace korvanes::emf {

// Record types.
inline constexpr std::uint32_t kEmrHeader = 1;
inline constexpr std::uint32_t kEmrSetWindowExtEx = 9;
inline constexpr std::uint32_t kEmrSetViewportExtEx = 11;
inline constexpr std::uint32_t kEmrEof = 14;
inline constexpr std::uint32_t kEmrSetMapMode = 17;
inline constexpr std::uint32_t kEmrSetBkMode = 18;
inline constexpr std::uint32_t kEmrSetTextAlign = 22;
inline constexpr std::uint32_t kEmrMoveToEx = 27;
inline constexpr std::uint32_t kEmrSelectObject = 37;
inline constexpr std::uint32_t kEmrCreatePen = 38;
inline constexpr std::uint32_t kEmrCreateBrushIndirect = 39;
inline constexpr std::uint32_t kEmrDeleteObject = 40;
inline constexpr std::uint32_t kEmrEllipse = 42;
inline constexpr std::uint32_t kEmrRectangle = 43;
inline constexpr std::uint32_t kEmrLineTo = 54;
inline constexpr std::uint32_t kEmrExtCreateFontIndirectW = 82;
inline constexpr std::uint32_t kEmrExtTextOutW = 84;

// Header constants.
inline constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
inline constexpr std::uint32_t kVersion = 0x00010000;
// The header record up to and including szlMicrometers; the description follows.
inline constexpr std::uint32_t kHeaderFixedSize = 108;
inline constexpr std::uint32_t kEofSize = 20;

// Values of the state records.
inline constexpr std::uint32_t kMmText = 1;
inline constexpr std::uint32_t kMmAnisotropic = 8;
inline constexpr std::uint32_t kTransparent = 1;
inline constexpr std::uint32_t kTaLeft = 0;
inline constexpr std::uint32_t kTaTop = 0;
inline constexpr std::uint32_t kTaCenter = 6;
inline constexpr std::uint32_t kTaBaseline = 24;
inline constexpr std::uint32_t kPsSolid = 0;
inline constexpr std::uint32_t kPsDash = 1;
inline constexpr std::uint32_t kBsSolid = 0;
inline constexpr std::uint32_t kGmCompatible = 1;
inline constexpr std::int32_t kFwNormal = 400;
inline constexpr std::uint8_t kAnsiCharset = 0;

// Stock objects are selected by their index with the top bit set.
inline constexpr std::uint32_t kStockObject = 0x80000000;
inline constexpr std::uint32_t kStockSystemFont = kStockObject | 13;

// Sizes of the fixed records.
inline constexpr std::uint32_t kLogFontSize = 92;
inline constexpr std::uint32_t kExtTextOutFixedSize = 76;  // up to and including offDx

}  // namespace korvanes::emf
