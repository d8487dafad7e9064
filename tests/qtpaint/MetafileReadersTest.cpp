// Our metafiles of real diagrams as other programs show them: rendered by
// two independent readers, emf2svg-conv and Inkscape (which imports EMF the
// way office programs do), every text must come out at its size and nothing
// may be clipped: the rendered picture's outermost rows and columns stay
// blank. The metafile bytes are the ones the clipboard gets (RenderEmf).

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "PictureExport.h"
#include "TestSupport.h"
#include "core/emf/EmfTestSupport.h"
#include "emf/EmfWriter.h"

namespace korvanes {
namespace {

using test::ScratchDir;

// A text and the size it is drawn at, in pixels.
using SizedText = std::pair<QString, int>;

// The texts of the metafile with the em of the font selected for each, in
// pixels of the reference device.
std::multiset<SizedText> TextsOfMetafile(const std::vector<std::uint8_t>& bytes)
{
    std::multiset<SizedText> texts;
    std::map<std::uint32_t, int> fontEms;  // the fonts that exist, by handle
    int em = 0;
    for (const emftest::Record& r : emftest::WalkRecords(bytes)) {
        if (r.type == U_EMR_EXTCREATEFONTINDIRECTW) {
            const auto font = emftest::RecordAs<U_EMREXTCREATEFONTINDIRECTW>(bytes, r.offset);
            fontEms[font.ihFont] = -font.elfw.elfLogFont.lfHeight / kEmfUnitsPerPixel;
        } else if (r.type == U_EMR_DELETEOBJECT) {
            fontEms.erase(emftest::RecordAs<U_EMRDELETEOBJECT>(bytes, r.offset).ihObject);
        } else if (r.type == U_EMR_SELECTOBJECT) {
            const auto handle = emftest::RecordAs<U_EMRSELECTOBJECT>(bytes, r.offset).ihObject;
            if (fontEms.count(handle) != 0) {
                em = fontEms[handle];
            }
        } else if (r.type == U_EMR_EXTTEXTOUTW) {
            texts.emplace(QString::fromStdU16String(emftest::ReadText(bytes, r).text), em);
        }
    }
    return texts;
}

// The texts of an SVG with their font size: the characters of each
// innermost element that holds some (Inkscape puts several metafile texts
// into one text element as spans), sized by the nearest font-size attribute
// or style property.
std::multiset<SizedText> TextsOfSvg(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    static const QRegularExpression kStyleSize(QStringLiteral("font-size:\\s*([0-9.]+)px"));
    struct Element {
        double size = 0;
        QString text;
    };
    std::vector<Element> open{Element{}};
    std::multiset<SizedText> texts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            Element element{open.back().size, {}};
            const QString attribute = xml.attributes().value(QStringLiteral("font-size")).toString();
            const auto style = kStyleSize.match(xml.attributes().value(QStringLiteral("style")));
            if (!attribute.isEmpty()) {
                element.size = attribute.toDouble();
            } else if (style.hasMatch()) {
                element.size = style.captured(1).toDouble();
            }
            open.push_back(element);
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            open.back().text += xml.text();
        } else if (xml.isEndElement()) {
            if (!open.back().text.isEmpty()) {
                texts.emplace(open.back().text, qRound(open.back().size));
            }
            open.pop_back();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return texts;
}

// The number of drawn pixels in the outermost rows and columns (white or
// transparent is blank), and whether anything at all was drawn.
struct Border {
    int inked = 0;
    bool anyInk = false;
};

Border BorderOf(const QString& path)
{
    QImage image;
    EXPECT_TRUE(image.load(path)) << path.toStdString();
    image = image.convertToFormat(QImage::Format_ARGB32);
    auto inked = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.alpha() != 0 && c != QColor(Qt::white);
    };
    Border border;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool edge = x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1;
            border.inked += edge && inked(x, y) ? 1 : 0;
            border.anyInk = border.anyInk || inked(x, y);
        }
    }
    return border;
}

void RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAll().toStdString();
}

// Inkscape renders a file to PNG on white, and writes a plain SVG of it
// where asked.
void Inkscape(const QString& in, const QString& png, const QString& svg = {})
{
    QStringList arguments{QStringLiteral("--export-background=white"), QStringLiteral("--export-background-opacity=1"),
                          QStringLiteral("--export-type=png"), QStringLiteral("--export-filename=") + png, in};
    RunTool(QStringLiteral(KORVANES_INKSCAPE), arguments);
    if (!svg.isEmpty()) {
        RunTool(QStringLiteral(KORVANES_INKSCAPE),
            {QStringLiteral("--export-plain-svg"), QStringLiteral("--export-filename=") + svg, in});
    }
}

TEST(MetafileReaders, ShowEveryTextAtItsSizeAndClipNothing)
{
    const ScratchDir dir("readers");
    for (PlotType type : {kAraiPlot, kZijderveldPlot, kDecayPlot, kAdditionalPlots, kAllPlots}) {
        SCOPED_TRACE("plot type " + std::to_string(type));
        CKorvanesToolDoc doc;
        ASSERT_TRUE(doc.Open(KORVANES_SOURCE_DIR "/examples/andesite-mt4.kvd").readable);
        doc.m_options.m_plotType = type;
        const std::vector<std::uint8_t> bytes = RenderEmf(doc, {520, 420});
        const std::multiset<SizedText> texts = TextsOfMetafile(bytes);
        ASSERT_GE(texts.size(), 5u);
        // A diagram of its own in Arial with a cell of 16; the all-plots page in 5 points.
        for (const SizedText& text : texts) {
            EXPECT_EQ(text.second, type == kAllPlots ? 7 : 14) << text.first.toStdString();
        }

        const QString base = QString::fromStdString(dir.File("plot" + std::to_string(type)));
        {
            QFile emf(base + ".emf");
            ASSERT_TRUE(emf.open(QIODevice::WriteOnly));
            emf.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        }
        RunTool(QStringLiteral(KORVANES_EMF2SVG_CONV), {QStringLiteral("-i"), base + ".emf", QStringLiteral("-o"),
                                                     base + "-emf2svg.svg"});
        Inkscape(base + "-emf2svg.svg", base + "-emf2svg.png");
        Inkscape(base + ".emf", base + "-inkscape.png", base + "-inkscape.svg");

        EXPECT_EQ(TextsOfSvg(base + "-emf2svg.svg"), texts);
        EXPECT_EQ(TextsOfSvg(base + "-inkscape.svg"), texts);
        for (const QString& png : {base + "-emf2svg.png", base + "-inkscape.png"}) {
            const Border border = BorderOf(png);
            EXPECT_TRUE(border.anyInk) << png.toStdString();
            EXPECT_EQ(border.inked, 0) << png.toStdString() << ": drawn pixels on the picture's edge";
        }
    }
}

}  // namespace
}  // namespace korvanes
