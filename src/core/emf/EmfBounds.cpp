#include "emf/EmfBounds.h"

#include <algorithm>
#include <limits>

namespace korvanes::emf {
namespace {

std::int64_t HalfPen(int penWidth)
{
    return std::max<std::int64_t>(penWidth, 1) / 2;
}

}  // namespace

PixelBox LineBox(int x0, int y0, int x1, int y1, int penWidth)
{
    const std::int64_t h = HalfPen(penWidth);
    return PixelBox{std::min<std::int64_t>(x0, x1) - h, std::min<std::int64_t>(y0, y1) - h,
                    std::max<std::int64_t>(x0, x1) + h, std::max<std::int64_t>(y0, y1) + h};
}

PixelBox ShapeBox(int x1, int y1, int x2, int y2, int penWidth)
{
    const std::int64_t h = HalfPen(penWidth);
    const std::int64_t left = std::min(x1, x2);
    const std::int64_t top = std::min(y1, y2);
    const std::int64_t right = std::max<std::int64_t>(left, std::int64_t{std::max(x1, x2)} - 1);
    const std::int64_t bottom = std::max<std::int64_t>(top, std::int64_t{std::max(y1, y2)} - 1);
    return PixelBox{left - h, top - h, right + h, bottom + h};
}

PixelBox TextBox(int x, int y, std::int64_t width, int cellHeight, TextAnchor anchor)
{
    if (width <= 0) {
        return PixelBox{};
    }
    const std::int64_t height = cellHeight > 0 ? cellHeight : kDefaultCellHeight;
    if (anchor == TextAnchor::kLeftTop) {
        return PixelBox{x, y, x + width - 1, y + height - 1};
    }
    const std::int64_t descent = height / 5;
    const std::int64_t ascent = height - descent;
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
    left = ClampToInt32(m_box.left);
    top = ClampToInt32(m_box.top);
    right = ClampToInt32(m_box.right);
    bottom = ClampToInt32(m_box.bottom);
}

std::int32_t ClampToInt32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace korvanes::emf
