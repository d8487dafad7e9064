#pragma once
// Helpers of the Qt drawing tests: a white 96-dpi canvas, the box of the
// pixels something was drawn on, and a scratch folder.

#include <QImage>
#include <QRect>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace korvanes::test {

// A canvas of the given size at 96 dpi, filled with `background`.
inline QImage Canvas(int width, int height, QColor background = Qt::white, int dpi = 96)
{
    QImage image(width, height, QImage::Format_RGB32);
    const int dotsPerMetre = static_cast<int>(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(background);
    return image;
}

// The smallest rectangle around every pixel that differs from `background`
// (null when none does).
inline QRect InkBox(const QImage& image, QColor background = Qt::white)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != background) {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box;
}

// A fresh, empty folder for one test, removed with the object.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() / ("korvanes-qtpaint-" + name + "-" + std::to_string(getpid())))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir() { std::filesystem::remove_all(m_path); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace korvanes::test
