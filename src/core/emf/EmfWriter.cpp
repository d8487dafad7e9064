#include "emf/EmfWriter.h"

namespace korvanes {

struct EmfSurface::Impl {
    const TextMeasurer& measurer;
};

EmfSurface::EmfSurface(const TextMeasurer& measurer, EmfReferenceDevice) : m_impl(new Impl{measurer}) {}
EmfSurface::~EmfSurface() { delete m_impl; }
void EmfSurface::MoveTo(int, int) {}
void EmfSurface::LineTo(int, int) {}
void EmfSurface::Ellipse(int, int, int, int) {}
void EmfSurface::Rectangle(int, int, int, int) {}
void EmfSurface::Text(int, int, std::string_view) {}
void EmfSurface::SetTextAnchor(TextAnchor) {}
int EmfSurface::TextWidth(std::string_view text) { return m_impl->measurer.TextWidth(text, 16); }
void EmfSurface::SelectPen(PenStyle, Rgb, int) {}
void EmfSurface::SelectFill(Rgb) {}
void EmfSurface::SelectFontPoints(int) {}
void EmfSurface::SelectFontHeight(int) {}
void EmfSurface::ReleaseFont() {}
std::vector<std::uint8_t> EmfSurface::Finish() { return {}; }
bool WriteFileReplacing(const std::string&, const std::vector<std::uint8_t>&, std::string& error)
{
    error = "not written";
    return false;
}

}  // namespace korvanes
