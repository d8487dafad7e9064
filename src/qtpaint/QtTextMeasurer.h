#pragma once
// Text widths of Arial for surfaces that cannot measure text themselves (the
// metafile writer), taken from the same fonts the Qt surfaces draw with.

#include "plots/DrawingSurface.h"

namespace korvanes {

class QtTextMeasurer final : public TextMeasurer {
public:
    // Width in pixels of `text` (Windows-1252 or UTF-8 bytes) in Arial with
    // the cell height `cellHeight` pixels; 0 is the default size. Needs a
    // running QGuiApplication.
    int TextWidth(std::string_view text, int cellHeight) const override;
};

}  // namespace korvanes
