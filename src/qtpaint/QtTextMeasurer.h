#pragma once
// Text widths of Arial for surfaces that cannot measure text themselves (the
// metafile writer), taken from the same fonts the Qt surfaces draw with.

#include "plots/DrawingSurface.h"

namespace korvanes {

class QtTextMeasurer final : public TextMeasurer {
public:
    // Width in pixels of `text` (Windows-1252 or UTF-8 bytes) in Arial of
    // `height` pixels: the cell height when positive, the em when negative,
    // the default size when 0. Needs a running QGuiApplication.
    int TextWidth(std::string_view text, int height) const override;
};

}  // namespace korvanes
