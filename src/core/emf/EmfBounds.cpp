#include "emf/EmfBounds.h"

#include <algorithm>
#include <limits>

#include "plots/ArialMetrics.h"

namespace korvanes::emf {
namespace {

std::int64_t HalfPen(int penWidth)
{
    return std::max<std::int64_t>(penWidth, 1) / 2;
}

}  // namespace

PixelBox StrokeBox(int x1, int y1, int x2, int y2, int penWidth)
{
    const std::int64_t h = HalfPen(penWidth);
    return PixelBox{std::min<std::int64_t>(x1, x2) - h, std::min<std::int64_t>(y1, y2) - h,
                    std::max<std::int64_t>(x1, x2) + h, std::max<std::int64_t>(y1, y2) + h};
}

PixelBox TextBox(int x, int y, std::int64_t width, int em, TextAnchor anchor)
{
    if (width <= 0) {
        return PixelBox{};
    }
    const std::int64_t ascent = ArialAscentPixels(em);
    const std::int64_t descent = ArialDescentPixels(em);
    if (anchor == TextAnchor::kLeftTop) {
        return PixelBox{x, y, x + width - 1, y + ascent + descent - 1};
    }
    const std::int64_t left = x - width / 2;
    return PixelBox{left, y - ascent, left + width - 1, y + descent - 1};
}

void BoundsAccumulator::Add(const PixelBox& box)
{
    if (box.IsEmpty()) {
        return;
    }
    if (m_empty) {
        m_box = box;
        m_empty = false;
        return;
    }
    m_box.left = std::min(m_box.left, box.left);
    m_box.top = std::min(m_box.top, box.top);
    m_box.right = std::max(m_box.right, box.right);
    m_box.bottom = std::max(m_box.bottom, box.bottom);
}

void BoundsAccumulator::Get(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const
{
    if (m_empty) {
        left = 0;
        top = 0;
        right = -1;
        bottom = -1;
        return;
    }
    left = ClampToInt32(m_box.left - kBlankMargin);
    top = ClampToInt32(m_box.top - kBlankMargin);
    right = ClampToInt32(m_box.right + kBlankMargin);
    bottom = ClampToInt32(m_box.bottom + kBlankMargin);
}

std::int32_t ClampToInt32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace korvanes::emf
