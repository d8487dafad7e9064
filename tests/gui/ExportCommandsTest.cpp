// What leaves the program: printed pages, saved diagrams, results lines and
// the data file shown in a text viewer.

#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

#include <QClipboard>
#include <QMimeData>

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

    // A file that is not a results table is refused and left as it was.
    answerer.fileToChoose = Example("tuff-mt3.kvd");
    const QByteArray data = Read(Example("tuff-mt3.kvd"));
    save->click();
    EXPECT_TRUE(answerer.texts.contains(QStringLiteral("This is not a Korvanes-Data-File !!")));
    EXPECT_EQ(Read(Example("tuff-mt3.kvd")), data);
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
