// Every picture format writes a complete, valid file, and a failed export
// leaves no file behind.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QXmlStreamReader>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "PictureExport.h"
#include "QtPainterSurface.h"
#include "TestSupport.h"

namespace korvanes {
namespace {

using test::ScratchDir;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A short double-heating series: zero-field and in-field steps.
CKorvanesToolDoc SampleDocument(PlotType type)
{
    CKorvanesToolDoc doc;
    doc.m_header.m_specimenName = "AB12a";
    const float codes[] = {20.0f, 100.0f, 100.11f, 200.0f, 200.11f, 300.0f, 300.11f};
    const float moments[] = {500.0f, 450.0f, 470.0f, 380.0f, 430.0f, 250.0f, 350.0f};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        doc.m_measurements.push_back(CMeasurement{codes[i], moments[i], 40.0f, 10.0f});
    }
    doc.m_options.m_plotType = type;
    return doc;
}

// The entries of a folder other than the given file: temporary files must
// not be left over.
std::vector<std::string> OtherEntries(const ScratchDir& dir, const std::string& keep)
{
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        if (entry.path().filename() != keep) {
            others.push_back(entry.path().filename().string());
        }
    }
    return others;
}

TEST(PictureFormat, ChosenByTheExtensionInAnyCase)
{
    EXPECT_EQ(PictureFormatFromPath("a.png"), PictureFormat::kPng);
    EXPECT_EQ(PictureFormatFromPath("dir/a.PNG"), PictureFormat::kPng);
    EXPECT_EQ(PictureFormatFromPath("a.Svg"), PictureFormat::kSvg);
    EXPECT_EQ(PictureFormatFromPath("x.y.pdf"), PictureFormat::kPdf);
    EXPECT_EQ(PictureFormatFromPath("C.EMF"), PictureFormat::kEmf);
    EXPECT_EQ(PictureFormatFromPath("a.gif"), std::nullopt);
    EXPECT_EQ(PictureFormatFromPath("png"), std::nullopt);
    EXPECT_EQ(PictureFormatFromPath("pictures.png/plot"), std::nullopt);
    EXPECT_EQ(PictureFormatFromPath("a.png.bak"), std::nullopt);
    EXPECT_EQ(PictureFormatFromPath(""), std::nullopt);
}

TEST(PictureExport, PngHasTheSizeAWhiteBackgroundAnd96Dpi)
{
    const ScratchDir dir("png");
    for (PlotType type : {kAraiPlot, kZijderveldPlot, kDecayPlot, kAdditionalPlots, kAllPlots}) {
        CKorvanesToolDoc doc = SampleDocument(type);
        std::string error;
        const std::string path = dir.File("plot.png");
        // Large enough that every diagram, the all-plots page included, leaves the corners blank.
        ASSERT_TRUE(ExportPicture(doc, PictureFormat::kPng, path, {900, 820}, error)) << error;
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(path), "PNG"));
        EXPECT_EQ(image.size(), QSize(900, 820));
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
        EXPECT_EQ(image.pixelColor(899, 819), QColor(Qt::white));
        EXPECT_EQ(image.logicalDpiX(), 96);
        EXPECT_TRUE(OtherEntries(dir, "plot.png").empty());
    }
}

TEST(PictureExport, SvgIsWellFormedWithSizeAndDescription)
{
    const ScratchDir dir("svg");
    CKorvanesToolDoc doc = SampleDocument(kAraiPlot);
    std::string error;
    const std::string path = dir.File("plot.svg");
    ASSERT_TRUE(ExportPicture(doc, PictureFormat::kSvg, path, {520, 420}, error)) << error;

    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    bool sawRoot = false;
    QString title;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QStringLiteral("svg")) {
                sawRoot = true;
                EXPECT_EQ(xml.attributes().value(QStringLiteral("viewBox")), QStringLiteral("0 0 520 420"));
            } else if (xml.name() == QStringLiteral("title")) {
                title = xml.readElementText();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(sawRoot);
    EXPECT_EQ(title, QStringLiteral("KorvanesPlot"));
}

TEST(PictureExport, SvgCarriesTheDrawnTextsAndShapes)
{
    // Drawn straight on the surface the export uses, so that the test does
    // not depend on what the diagrams draw.
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setResolution(96);
        generator.setSize(QSize(200, 100));
        generator.setViewBox(QRect(0, 0, 200, 100));
        QPainter painter(&generator);
        QtPainterSurface surface(painter);
        surface.SelectFontPoints(10);
        surface.Text(100, 50, "350\xB0" "C");
        surface.SelectFill(kRed);
        surface.Rectangle(10, 10, 20, 20);
    }
    const QString text = QString::fromUtf8(svg);
    EXPECT_TRUE(text.contains(QString::fromUtf8("350\xC2\xB0" "C"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("#ff0000"))) << text.toStdString();
}

TEST(PictureExport, PdfIsACompleteDocumentOfThePictureSize)
{
    const ScratchDir dir("pdf");
    CKorvanesToolDoc doc = SampleDocument(kAllPlots);
    std::string error;
    const std::string path = dir.File("plot.pdf");
    ASSERT_TRUE(ExportPicture(doc, PictureFormat::kPdf, path, {760, 760}, error)) << error;
    const std::string bytes = ReadAll(path);
    ASSERT_GE(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("%%EOF", bytes.size() - 10), std::string::npos);
    // 760 pixels at 96 dpi are 570 points.
    EXPECT_TRUE(std::regex_search(bytes, std::regex(R"(/MediaBox \[0 0 570(\.0*)? 570(\.0*)?\])")));
}

// The clipboard takes the bytes that a file would hold: one rendering for both.
TEST(PictureExport, FilesHoldTheBytesTheClipboardGets)
{
    const ScratchDir dir("bytes");
    const struct {
        PictureFormat format;
        std::string name;
        std::string signature;
        std::size_t at;
    } formats[] = {
        {PictureFormat::kPng, "plot.png", "\x89PNG", 0},
        {PictureFormat::kSvg, "plot.svg", "<?xml", 0},
        {PictureFormat::kPdf, "plot.pdf", "%PDF-", 0},
        {PictureFormat::kEmf, "plot.emf", " EMF", 40},  // the header record's signature
    };
    for (const auto& f : formats) {
        CKorvanesToolDoc doc = SampleDocument(kAraiPlot);
        std::string error;
        const QByteArray bytes = RenderPictureBytes(doc, f.format, {520, 420}, error);
        ASSERT_GT(bytes.size(), 100) << f.name << ": " << error;
        EXPECT_EQ(bytes.toStdString().substr(f.at, f.signature.size()), f.signature) << f.name;
        ASSERT_TRUE(ExportPicture(doc, f.format, dir.File(f.name), {520, 420}, error)) << error;
        if (f.format != PictureFormat::kPdf) {  // a PDF carries the time it was made
            EXPECT_EQ(ReadAll(dir.File(f.name)), bytes.toStdString()) << f.name;
        }
    }
    CKorvanesToolDoc doc = SampleDocument(kAllPlots);
    const std::vector<std::uint8_t> emf = RenderEmf(doc, {520, 420});
    std::string error;
    EXPECT_EQ(RenderPictureBytes(doc, PictureFormat::kEmf, {520, 420}, error).toStdString(),
              std::string(emf.begin(), emf.end()));

    EXPECT_TRUE(RenderPictureBytes(doc, PictureFormat::kSvg, {0, 420}, error).isEmpty());
    EXPECT_NE(error.find("picture size"), std::string::npos) << error;
}

TEST(PictureExport, UnwritablePathGivesAnErrorAndNoFile)
{
    const ScratchDir dir("unwritable");
    for (PictureFormat format : {PictureFormat::kPng, PictureFormat::kSvg, PictureFormat::kPdf, PictureFormat::kEmf}) {
        CKorvanesToolDoc doc = SampleDocument(kAraiPlot);
        std::string error;
        const std::string path = dir.File("missing-folder/plot.out");
        EXPECT_FALSE(ExportPicture(doc, format, path, {100, 100}, error));
        EXPECT_NE(error.find("missing-folder"), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // A folder where the file should be.
    std::filesystem::create_directory(dir.File("taken.png"));
    CKorvanesToolDoc doc = SampleDocument(kAraiPlot);
    std::string error;
    EXPECT_FALSE(ExportPicture(doc, PictureFormat::kPng, dir.File("taken.png"), {100, 100}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.png")));
}

TEST(PictureExport, ExistingFileIsReplacedOnlyByACompletePicture)
{
    const ScratchDir dir("replace");
    const std::string path = dir.File("plot.png");
    std::ofstream(path) << "old content";
    CKorvanesToolDoc doc = SampleDocument(kDecayPlot);
    std::string error;

    // A refused size leaves the old file alone.
    EXPECT_FALSE(ExportPicture(doc, PictureFormat::kPng, path, {0, 100}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ExportPicture(doc, PictureFormat::kPng, path, {100, kMaxPictureSide + 1}, error));
    EXPECT_EQ(ReadAll(path), "old content");

    ASSERT_TRUE(ExportPicture(doc, PictureFormat::kPng, path, {100, 80}, error)) << error;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path), "PNG"));
    EXPECT_EQ(image.size(), QSize(100, 80));
    EXPECT_TRUE(OtherEntries(dir, "plot.png").empty());
}

TEST(PictureExport, EmptyDocumentStillGivesAPicture)
{
    const ScratchDir dir("empty");
    CKorvanesToolDoc doc;
    doc.m_options.m_plotType = kAllPlots;
    std::string error;
    ASSERT_TRUE(ExportPicture(doc, PictureFormat::kPng, dir.File("empty.png"), {50, 40}, error)) << error;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(dir.File("empty.png"))));
    EXPECT_TRUE(test::InkBox(image).isNull());
}

}  // namespace
}  // namespace korvanes
