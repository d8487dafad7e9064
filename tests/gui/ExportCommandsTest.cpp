// What leaves the program: printed pages, saved diagrams, results lines and
// the data file shown in a text viewer.

#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

#include <QClipboard>
#include <QMimeData>

#include "DocumentNotice.h"
#include "EmfTestSupport.h"
#include "GraphExport.h"
#include "GuiTestSupport.h"
#include "Printing.h"
#include "RawDataViewer.h"

namespace korvanes::guitest {
namespace {

class ExportCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetSettings();
        ASSERT_TRUE(m_folder.isValid());
    }

    static QString Run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_folder;
};

TEST_F(ExportCommands, PrintingToAPdfFileGivesOnePageWithTheSpecimen)
{
    RunningProgram program({Example("andesite-mt4.kvd")});
    for (int plotType : {kAraiPlot, kAllPlots}) {
        program.Doc().m_options.m_plotType = plotType;
        const QString pdf = m_folder.filePath(QStringLiteral("page%1.pdf").arg(plotType));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        ASSERT_TRUE(PrintPage(printer, *program.Frame().View()));
        EXPECT_TRUE(Run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
        const QString text = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.contains(QStringLiteral("AN03c"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("pTRM"))) << text.toStdString();
    }
}

// The widths, in points, of the strokes a PDF draws: each stroke's line width
// times the scale of the transformation in force when it is drawn.
std::vector<double> StrokeWidths(const QByteArray& pdf)
{
    std::vector<double> widths;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream", at)) >= 0) {
        qsizetype begin = at + 6;
        begin += pdf.mid(begin, 2) == "\r\n" ? 2 : 1;
        const qsizetype end = pdf.indexOf("endstream", begin);
        if (end < 0) {
            break;
        }
        at = end + 9;
        QByteArray packed = QByteArray("\x00\x10\x00\x00", 4) + pdf.mid(begin, end - begin);
        const QByteArray content = qUncompress(packed);
        struct State {
            double scale = 1.0;
            double width = 1.0;
        };
        std::vector<State> states{State{}};
        std::vector<double> operands;
        for (const QByteArray& token : content.simplified().split(' ')) {
            bool number = false;
            const double value = token.toDouble(&number);
            if (number) {
                operands.push_back(value);
                continue;
            }
            if (token == "q") {
                states.push_back(states.back());
            } else if (token == "Q" && states.size() > 1) {
                states.pop_back();
            } else if (token == "cm" && operands.size() >= 6) {
                const double* m = &operands[operands.size() - 6];
                states.back().scale *= std::sqrt(std::fabs(m[0] * m[3] - m[1] * m[2]));
            } else if (token == "w" && !operands.empty()) {
                states.back().width = operands.back();
            } else if (token == "S" || token == "s" || token == "B" || token == "b" || token == "B*" || token == "b*") {
                widths.push_back(states.back().width * states.back().scale);
            }
            operands.clear();
        }
    }
    std::sort(widths.begin(), widths.end());
    return widths;
}

TEST_F(ExportCommands, PrintedStrokesAreThoseOfTheSavedPdf)
{
    RunningProgram program({Example("andesite-mt4.kvd")});
    for (int plotType : {kAraiPlot, kAllPlots}) {
        SCOPED_TRACE(plotType);
        program.Doc().m_options.m_plotType = plotType;
        const QString printed = m_folder.filePath(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        ASSERT_TRUE(PrintPage(printer, *program.Frame().View()));
        const QString saved = m_folder.filePath(QStringLiteral("saved.pdf"));
        QString error;
        ASSERT_TRUE(SaveGraphFile(*program.Frame().View(), saved, PictureFormat::kPdf, error));
        const std::vector<double> page = StrokeWidths(Read(printed));
        const std::vector<double> graph = StrokeWidths(Read(saved));
        ASSERT_FALSE(page.empty());
        ASSERT_FALSE(graph.empty());
        // The thinnest and the thickest stroke (axes, and the fit line drawn
        // two units wide): a printed page is the saved picture drawn at the
        // printer's scale unit, made smaller only to fit the paper.
        EXPECT_NEAR(graph.front(), 0.75, 0.01);
        for (const auto& [printedWidth, savedWidth] : {std::pair{page.front(), graph.front()}, {page.back(), graph.back()}}) {
            EXPECT_GT(printedWidth, 0.85 * savedWidth) << printedWidth << " pt against " << savedWidth << " pt";
            EXPECT_LT(printedWidth, 1.15 * savedWidth) << printedWidth << " pt against " << savedWidth << " pt";
        }
    }
}

TEST_F(ExportCommands, SaveGraphWritesEachFormatByExtensionOrFilter)
{
    RunningProgram program({Example("basalt-mt1.kvd")});
    const QByteArray signatures[] = {QByteArray("\x01\x00\x00\x00", 4), QByteArray("<?xml"), QByteArray("%PDF"),
                                     QByteArray("\x89PNG")};
    const QStringList filters = GraphFileFilters();
    ASSERT_EQ(filters.size(), 4);
    for (int i = 0; i < 4; ++i) {
        // Without an extension the filter decides, and adds its extension.
        QString path = m_folder.filePath(QStringLiteral("graph%1").arg(i));
        const PictureFormat format = GraphFormat(path, filters[i]);
        QString error;
        ASSERT_TRUE(SaveGraphFile(*program.Frame().View(), path, format, error)) << error.toStdString();
        EXPECT_TRUE(Read(path).startsWith(signatures[i])) << path.toStdString();
    }
    QString named = m_folder.filePath(QStringLiteral("named.PNG"));
    EXPECT_EQ(GraphFormat(named, filters[0]), PictureFormat::kPng);
    EXPECT_TRUE(named.endsWith(QStringLiteral("named.PNG")));
}

TEST_F(ExportCommands, CopyPutsAMetafileWithSvgAndPngOnTheClipboard)
{
    RunningProgram program({Example("tuff-mt3.kvd")});
    QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
    QString error;
    ASSERT_TRUE(CopyPlot(*program.Frame().View(), error)) << error.toStdString();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(data->hasText());  // only the picture
    const QByteArray emf = data->data(QStringLiteral("image/x-emf"));
    EXPECT_EQ(data->data(QStringLiteral("image/emf")), emf);
    const std::vector<std::uint8_t> bytes(emf.begin(), emf.end());
    const std::vector<emftest::Record> records = emftest::WalkRecords(bytes);  // libUEMF checks every record
    ASSERT_GT(records.size(), 10u);
    EXPECT_EQ(records.back().type, static_cast<std::uint32_t>(U_EMR_EOF));
    EXPECT_TRUE(data->data(QStringLiteral("image/svg+xml")).contains("<svg"));
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), QSize(520, 420));
}

TEST_F(ExportCommands, SaveResultsAppendsOneHeaderAndOneLinePerSave)
{
    ModalAnswerer answerer;
    const QString results = m_folder.filePath(QStringLiteral("study.krv"));
    answerer.fileToChoose = results;
    RunningProgram program({Example("basalt-mt1.kvd")});
    QAbstractButton* save = ByText<QAbstractButton>(program.Form(), QStringLiteral("Save results"));
    save->click();
    save->click();
    const QList<QByteArray> lines = Read(results).split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two results, nothing after the last line end
    EXPECT_TRUE(lines[0].startsWith("Name\tLabfield\tPaleoint"));
    EXPECT_EQ(lines[1], lines[2]);
    const QJsonObject analysis = AnalyzeJson({Example("basalt-mt1.kvd")});
    EXPECT_EQ(QString::fromLatin1(lines[1]), analysis[QStringLiteral("resultsLine")].toString() + QLatin1Char('\r'));
    EXPECT_EQ(program.app.ResultsFileName(), QStringLiteral("study.krv"));

    // A file that is not a results table is refused and left as it was; a
    // data file is called one.
    const QString notes = m_folder.filePath(QStringLiteral("notes.txt"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("field notes\n");
    file.close();
    for (const QString& other : {notes, Example("tuff-mt3.kvd")}) {
        answerer.texts.clear();
        answerer.fileToChoose = other;
        const QByteArray data = Read(other);
        save->click();
        ASSERT_EQ(answerer.texts.size(), 1) << other.toStdString();
        if (other == notes) {
            EXPECT_EQ(answerer.texts[0], QStringLiteral("This is not a Korvanes-Data-File !!"));
        } else {
            EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("\"%1\" is a data file, not a results table")
                                                      .arg(QDir::toNativeSeparators(other))))
                << answerer.texts[0].toStdString();
        }
        EXPECT_EQ(Read(other), data);
    }
}

TEST_F(ExportCommands, SaveResultsWithoutAResultSaysSoAndWhy)
{
    ModalAnswerer answerer;
    const QString results = m_folder.filePath(QStringLiteral("study.krv"));
    answerer.fileToChoose = results;
    RunningProgram program({Example("basalt-mt1.kvd")});
    // A range of one step has no result.
    ByText<QAbstractButton>(program.Form(), QStringLiteral("select temperature range"))->click();
    AnalysisInputs inputs = program.Frame().Document()->Inputs();
    inputs.tMin = 100;
    inputs.tMax = 100;
    program.Frame().Document()->SetInputs(inputs);
    Settle();
    ASSERT_EQ(program.Form().HeldValues().result.paleointensity, 0.0);
    EXPECT_TRUE(program.Frame().Notice()->Summary().contains(
        QStringLiteral("No result: the range holds fewer than two measured zero-field steps.")))
        << program.Frame().Notice()->Summary().toStdString();

    ByText<QAbstractButton>(program.Form(), QStringLiteral("Save results"))->click();
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("\"BV12a\" has no result")));
    EXPECT_TRUE(answerer.texts[0].contains(QDir::toNativeSeparators(results)));
    EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("fewer than two measured zero-field steps")));
    // The line is still there, with its empty class.
    const QList<QByteArray> lines = Read(results).split('\n');
    ASSERT_EQ(lines.size(), 3);
    const int classColumn = static_cast<int>(lines[0].split('\t').indexOf("Class"));
    ASSERT_GT(classColumn, 0);
    EXPECT_EQ(lines[1].split('\t').value(0), "BV12a");
    EXPECT_EQ(lines[1].split('\t').value(classColumn), "");
}

TEST_F(ExportCommands, RawDataOpensThatFileAndNothingElse)
{
    // A viewer that writes down the arguments it was given.
    const QString record = m_folder.filePath(QStringLiteral("arguments.txt"));
    const QString viewer = m_folder.filePath(QStringLiteral("viewer.sh"));
    QFile script(viewer);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1.part' && mv '%1.part' '%1'\n")
                     .arg(record)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString hostile = m_folder.filePath(QStringLiteral("it's a \"sample\"; rm -rf x $(id).kvd"));
    ASSERT_TRUE(QFile::copy(Example("basalt-mt1.kvd"), hostile));
    qputenv("KORVANES_TEXT_VIEWER", viewer.toLocal8Bit());
    RunningProgram program({hostile});
    ByText<QAbstractButton>(program.Form(), QStringLiteral("View raw data"))->click();
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(record); }));
    EXPECT_EQ(QString::fromUtf8(Read(record)), QStringLiteral("1\n") + hostile + QLatin1Char('\n'));

    // No viewer at all: said in the status bar.
    qputenv("KORVANES_TEXT_VIEWER", "/nonexistent/viewer");
    ByText<QAbstractButton>(program.Form(), QStringLiteral("View raw data"))->click();
    EXPECT_TRUE(program.Main().statusBar()->currentMessage().contains(QStringLiteral("could not be started")));
    qunsetenv("KORVANES_TEXT_VIEWER");
}

}  // namespace
}  // namespace korvanes::guitest
