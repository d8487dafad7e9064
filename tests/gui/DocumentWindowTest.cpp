// The document window driven as a user drives it: the form shows what the
// command line computes, every option repaints the plot pane once, ranges
// and the laboratory field are taken or refused with the program's messages.

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QScrollBar>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTemporaryDir>

#include "DocumentNotice.h"
#include "FormFields.h"
#include "GuiTestSupport.h"
#include "analysis/AraiFit.h"

namespace korvanes::guitest {
namespace {

class DocumentWindow : public ::testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }

    // Clicks the form's button or box with `text` and lets the paint run.
    template <typename T = QAbstractButton>
    void Click(RunningProgram& program, const QString& text)
    {
        T* button = ByText<T>(program.Form(), text);
        ASSERT_NE(button, nullptr);
        button->click();
        Settle();
    }

    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

// The result fields and the JSON names of the values they show.
const std::pair<int, const char*> kNumberFields[] = {
    {1019, "paleointensity"}, {1020, "stdDev"}, {1022, "slope"},       {1023, "slopeRelStd"}, {1025, "f"},
    {1026, "g"},              {1027, "q"},      {1028, "w"},           {1029, "trm"},         {1030, "nrmT"},
    {1031, "ckError"},        {1032, "ckDiff"}, {1033, "decAnchored"}, {1034, "incAnchored"}, {1036, "madAnchored"},
    {1041, "decFree"},        {1042, "incFree"}, {1043, "madFree"},    {1074, "alpha"},       {1075, "drat"},
    {1038, "dAC"},            {1040, "dTR"},    {1077, "dTStar"},
};

void ExpectFormShows(RunningProgram& program, const QJsonObject& analysis)
{
    const QJsonObject result = analysis[QStringLiteral("result")].toObject();
    for (const auto& [id, name] : kNumberFields) {
        // The field shows what fits of six digits, the full value behind it;
        // a check the specimen lacks leaves it empty, saying why.
        const double value = result[QLatin1String(name)].toDouble();
        ResultField* field = program.Form().Field(id);
        if (field->FullText().isEmpty()) {
            EXPECT_EQ(value, 0.0) << name;
            EXPECT_TRUE(field->Edit()->toolTip().contains(QStringLiteral(" checks in this specimen"))) << name;
            continue;
        }
        EXPECT_EQ(field->FullText(), FormatFormNumber(value)) << name;
        bool shortened = false;
        for (int digits = 1; digits <= 6; ++digits) {
            shortened = shortened || field->Text() == FormatShortNumber(value, digits);
        }
        EXPECT_TRUE(shortened) << name << ": " << field->Text().toStdString();
    }
    EXPECT_EQ(program.FieldText(1021), QString::number(result[QStringLiteral("n")].toInt()));
    EXPECT_EQ(program.FieldText(1024), result[QStringLiteral("resultClass")].toString());
    EXPECT_EQ(program.FieldText(1037), result[QStringLiteral("methodType")].toString());
    const QJsonArray stepLines = analysis[QStringLiteral("stepLines")].toArray();
    QListWidget* steps = program.Form().findChildren<QListWidget*>().value(0);
    ASSERT_EQ(steps->count(), stepLines.size());
    for (int i = 0; i < steps->count(); ++i) {
        EXPECT_EQ(steps->item(i)->text(), stepLines[i].toString());
    }
}

TEST_F(DocumentWindow, FormShowsWhatTheCommandLineComputes)
{
    for (const char* example : {"basalt-mt1.kvd", "tuff-mt3.kvd", "andesite-mt4.kvd"}) {
        RunningProgram program({Example(example)});
        SCOPED_TRACE(example);
        const QJsonObject analysis = AnalyzeJson({Example(example)});
        ExpectFormShows(program, analysis);
        const QJsonObject result = analysis[QStringLiteral("result")].toObject();
        EXPECT_EQ(program.Form().HeldValues().from, result[QStringLiteral("tMin")].toInt());
        EXPECT_EQ(program.Form().HeldValues().to, result[QStringLiteral("tMax")].toInt());
        // Sample name and alteration-check method are shown as the file has them.
        const QString method = analysis[QStringLiteral("checkMethodText")].toString();
        EXPECT_NE(ByText<QLineEdit>(program.Form(), analysis[QStringLiteral("specimenName")].toString()), nullptr);
        EXPECT_NE(ByText<QLineEdit>(program.Form(), method.isEmpty() ? QStringLiteral("no alteration check") : method),
                  nullptr);
    }
}

TEST_F(DocumentWindow, EachOptionRepaintsThePlotPaneOnceAndTheFormFollows)
{
    RunningProgram program({Example("tuff-mt3.kvd")});
    CKorvanesToolView& view = *program.Frame().View();
    const auto paintsAfter = [&](const std::function<void()>& action) {
        const int before = view.PaintCount();
        action();
        Settle();
        return view.PaintCount() - before;
    };

    EXPECT_EQ(paintsAfter([&] { ByText<QRadioButton>(program.Form(), QStringLiteral("Geo"))->click(); }), 1);
    EXPECT_EQ(program.Doc().m_options.m_coordinates, kGeographic);
    ExpectFormShows(program, AnalyzeJson({Example("tuff-mt3.kvd"), QStringLiteral("--coords"), QStringLiteral("geo")}));

    const QString plots[] = {QStringLiteral("Zij Plot"), QStringLiteral("Decay Plot"),
                             QStringLiteral("Additional Plots"), QStringLiteral("All Plots"), QStringLiteral("Arai Plot")};
    const int types[] = {kZijderveldPlot, kDecayPlot, kAdditionalPlots, kAllPlots, kAraiPlot};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(paintsAfter([&] { ByText<QRadioButton>(program.Form(), plots[i])->click(); }), 1);
        EXPECT_EQ(program.Doc().m_options.m_plotType, types[i]);
    }
    EXPECT_EQ(paintsAfter([&] { ByText<QCheckBox>(program.Form(), QStringLiteral("only z-comp."))->click(); }), 1);
    EXPECT_EQ(program.Doc().m_options.m_onlyZComponent, 1);
    EXPECT_EQ(paintsAfter([&] { ByText<QCheckBox>(program.Form(), QStringLiteral("show AC"))->click(); }), 1);
    EXPECT_EQ(program.Doc().m_options.m_showAdditivityChecks, 0);

    // The range map, from the View menu: no diagram button is chosen then.
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("&Range Map")) {
            EXPECT_EQ(paintsAfter([&] { action->trigger(); }), 1);
        }
    }
    EXPECT_EQ(program.Doc().m_options.m_plotType, kRangeMapPlot);
    EXPECT_EQ(ByText<QRadioButton>(program.Form(), QStringLiteral("Arai Plot"))->isChecked(), false);
    EXPECT_EQ(paintsAfter([&] { ByText<QRadioButton>(program.Form(), QStringLiteral("Arai Plot"))->click(); }), 1);
    EXPECT_EQ(program.Doc().m_options.m_plotType, kAraiPlot);

    // A quiet window does not repaint by itself: the paint's own change
    // announcement does not start another paint.
    EXPECT_EQ(paintsAfter([] {}), 0);
}

TEST_F(DocumentWindow, ChosenTemperatureRangeIsAppliedOrRefused)
{
    ModalAnswerer answerer;
    RunningProgram program({Example("tuff-mt3.kvd")});
    QList<QLineEdit*> edits;
    for (QLineEdit* edit : program.Form().findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly()) {
            edits << edit;
        }
    }
    ASSERT_EQ(edits.size(), 3);  // laboratory field, from, to
    QLineEdit* labField = edits[0];
    QLineEdit* from = edits[1];
    QLineEdit* to = edits[2];
    EXPECT_FALSE(from->isEnabled());
    EXPECT_FALSE(to->isEnabled());

    Click(program, QStringLiteral("select temperature range"));
    EXPECT_TRUE(from->isEnabled());
    EXPECT_EQ(program.Doc().m_options.m_rangeMode, kSelectedRange);

    Type(from, QStringLiteral("300"));
    Type(to, QStringLiteral("550"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_TRUE(answerer.texts.isEmpty());
    ExpectFormShows(program, AnalyzeJson({Example("tuff-mt3.kvd"), QStringLiteral("--range"), QStringLiteral("300"),
                                          QStringLiteral("550")}));

    // from > to: the message, and the document keeps its range.
    Type(from, QStringLiteral("500"));
    Type(to, QStringLiteral("400"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_EQ(answerer.texts, QStringList{QStringLiteral("Check your temperature range !")});
    EXPECT_EQ(answerer.captions.value(0), QStringLiteral("KorvanesTool"));
    EXPECT_EQ(program.Doc().m_result.tMin, 300);

    // Equal ends are a range.
    answerer.texts.clear();
    Type(from, QStringLiteral("400"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_TRUE(answerer.texts.isEmpty());

    // Not a number in the laboratory field: the message, the focus on the
    // field, and the held value stays.
    Type(labField, QStringLiteral("35 uT"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_EQ(answerer.texts, QStringList{QStringLiteral("Please enter a number.")});
    EXPECT_EQ(program.Main().focusWidget(), labField);
    EXPECT_EQ(program.Form().HeldValues().labField, 40.0f);  // the file's value
    EXPECT_EQ(program.Doc().m_header.m_labField, 40.0f);

    // A number that gives no paleointensity: a message of our own, and the
    // held value stays as well.
    const std::string heldClass = program.Doc().m_result.resultClass;
    for (const QString& bad : {QStringLiteral("0"), QStringLiteral("-20"), QStringLiteral("inf"), QStringLiteral("nan"),
                               QStringLiteral("1e39")}) {
        answerer.texts.clear();
        Type(labField, bad);
        Click(program, QStringLiteral("Apply changes"));
        ASSERT_EQ(answerer.texts.size(), 1) << bad.toStdString();
        EXPECT_TRUE(answerer.texts[0].startsWith(QStringLiteral("The laboratory field must be a positive number")));
        EXPECT_TRUE(answerer.texts[0].contains(bad + QStringLiteral(" gives no paleointensity"))) << bad.toStdString();
        EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("keeps 40 \u00B5T")));
        EXPECT_EQ(program.Form().HeldValues().labField, 40.0f);
        EXPECT_EQ(program.Doc().m_header.m_labField, 40.0f);
        EXPECT_EQ(program.Doc().m_result.resultClass, heldClass);
    }

    answerer.texts.clear();
    Type(labField, QStringLiteral(" 45 "));
    Type(to, QStringLiteral("5x"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_EQ(answerer.texts, QStringList{QStringLiteral("Please enter an integer.")});
    EXPECT_EQ(program.Main().focusWidget(), to);
    EXPECT_EQ(program.Doc().m_header.m_labField, 45.0f);  // read before the bad field, then applied

    // Back to automatic: the fields close and show the range the search chose.
    answerer.texts.clear();
    Type(to, QStringLiteral("550"));
    Click(program, QStringLiteral("automatic calculation"));
    EXPECT_FALSE(from->isEnabled());
    EXPECT_EQ(from->text().toInt(), program.Doc().m_result.tMin);
}

TEST_F(DocumentWindow, FileWithoutAUsableLabFieldOpensAndItsFieldIsRefusedOnlyWhenTyped)
{
    // The header's 0 stands while the field is left alone: the other form
    // actions go on without a message, and the result has no class.
    ModalAnswerer answerer;
    QTemporaryDir scratch;
    QFile file(scratch.filePath(QStringLiteral("zero.kvd")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QFile example(Example("basalt-mt1.kvd"));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    QByteArray bytes = example.readAll();
    const int line2 = bytes.indexOf('\n') + 1;
    bytes.replace(line2, bytes.indexOf(' ', line2) - line2, "0");
    file.write(bytes);
    file.close();
    RunningProgram program({file.fileName()});
    EXPECT_EQ(program.Doc().m_header.m_labField, 0.0f);
    EXPECT_EQ(program.Doc().m_result.resultClass, "");
    EXPECT_NE(program.Doc().m_result.noResultReason.find("laboratory field is 0"), std::string::npos);
    Click(program, QStringLiteral("Geo"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_TRUE(answerer.texts.isEmpty()) << answerer.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(program.Doc().m_options.m_coordinates, kGeographic);

    QLineEdit* labField = nullptr;
    for (QLineEdit* edit : program.Form().findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly() && labField == nullptr) {
            labField = edit;
        }
    }
    ASSERT_NE(labField, nullptr);
    Type(labField, QStringLiteral("-5"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_EQ(answerer.texts.size(), 1);
    Type(labField, QStringLiteral("35"));
    Click(program, QStringLiteral("Apply changes"));
    EXPECT_EQ(program.Doc().m_header.m_labField, 35.0f);
    EXPECT_FALSE(program.Doc().m_result.resultClass.empty());
}

TEST_F(DocumentWindow, TypedTextSurvivesARepaint)
{
    RunningProgram program({Example("basalt-mt1.kvd")});
    QLineEdit* labField = nullptr;
    for (QLineEdit* edit : program.Form().findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly()) {
            labField = edit;
            break;
        }
    }
    ASSERT_NE(labField, nullptr);
    labField->selectAll();
    QTest::keyClicks(labField, QStringLiteral("42"));
    program.Frame().View()->viewport()->repaint();
    Settle();
    EXPECT_EQ(labField->text(), QStringLiteral("42"));
}

TEST_F(DocumentWindow, NumbersShowWhatFitsWithTheFullValueBehind)
{
    RunningProgram program({Example("basalt-mt1.kvd")});
    struct Case {
        int id;
        double value;
        const char* shown;
        const char* full;
    };
    const Case cases[] = {
        {1019, 28.4561234, "28.4561", "28.4561234"},
        {1026, 35.0, "35", "35"},
        {1022, 0.123456789, "0.12346", "0.123456789"},  // six digits and the point do not fit
        {1027, kQualityWithoutScatter, "inf", "inf"},  // no scatter about the line
        {1028, kQualityWithoutScatter, "inf", "inf"},
    };
    CSpecimenResult& result = program.Doc().m_result;
    result.paleointensity = cases[0].value;
    result.g = cases[1].value;
    result.slope = cases[2].value;
    result.q = cases[3].value;
    result.w = cases[4].value;
    program.Form().OnUpdate();
    for (const Case& c : cases) {
        ResultField* field = program.Form().Field(c.id);
        SCOPED_TRACE(c.full);
        EXPECT_EQ(field->Text(), QLatin1String(c.shown));
        EXPECT_EQ(field->FullText(), QLatin1String(c.full));
        EXPECT_EQ(field->Edit()->toolTip(), c.full == std::string(c.shown) ? QString() : QLatin1String(c.full));
        // Copy takes the whole value.
        QGuiApplication::clipboard()->clear();
        field->Edit()->selectAll();
        QTest::keySequence(field->Edit(), QKeySequence::Copy);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QLatin1String(c.full));
    }
    // So does the field's menu.
    QLineEdit* edit = program.Form().Field(1019)->Edit();
    QGuiApplication::clipboard()->clear();
    edit->selectAll();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), edit->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(edit, &menuEvent);
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    QWidget* menu = QApplication::activePopupWidget();
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QLineEdit::tr("&Copy"))) {
            action->trigger();
        }
    }
    menu->close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("28.4561234"));
    // The results line keeps the values as they are.
    EXPECT_EQ(program.Form().HeldValues().result.q, kQualityWithoutScatter);
}

TEST_F(DocumentWindow, FitToWindowScalesThePageToThePaneAndZoomScrolls)
{
    RunningProgram program({Example("tuff-mt3.kvd")});
    CKorvanesToolView& view = *program.Frame().View();
    EXPECT_TRUE(view.FitsToWindow());
    Click<QRadioButton>(program, QStringLiteral("All Plots"));
    for (const QSize size : {QSize(900, 700), QSize(1600, 1000)}) {
        program.Main().resize(size);
        Settle();
        // The all-plots page (760 units square) fills the pane, without scroll bars.
        const QSize pane = view.viewport()->size();
        EXPECT_NEAR(view.ShownScale(), std::min(pane.width(), pane.height()) / 760.0, 1e-9) << size.width();
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    }
    const double fitted = view.ShownScale();
    QAction* fit = nullptr;
    QAction* zoomIn = nullptr;
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        fit = action->text() == QStringLiteral("&Fit to Window") ? action : fit;
        zoomIn = action->text() == QStringLiteral("Zoom &In") ? action : zoomIn;
    }
    ASSERT_TRUE(fit != nullptr && zoomIn != nullptr);
    EXPECT_EQ(fit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    zoomIn->trigger();
    Settle();
    EXPECT_FALSE(view.FitsToWindow());
    EXPECT_FALSE(fit->isChecked());
    EXPECT_GT(view.ShownScale(), fitted);
    while (view.ShownScale() < 1.5) {
        zoomIn->trigger();
    }
    EXPECT_EQ(view.verticalScrollBar()->maximum(), static_cast<int>(1000 * view.ShownScale()) - view.viewport()->height());
    // Off: the scrolling page of 1000 units at scale 1; on again: fitted.
    fit->trigger();
    EXPECT_TRUE(view.FitsToWindow());
    fit->trigger();
    EXPECT_EQ(view.ShownScale(), 1.0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), CKorvanesToolView::kScrollExtent - view.viewport()->height());
}

TEST_F(DocumentWindow, MarksFollowTheCriteria)
{
    // MAD' is marked but not graded, so changing its limits leaves the
    // search's range as it is.
    RunningProgram program({Example("basalt-mt1.kvd")});
    ResultField* n = program.Form().Field(1043);
    ASSERT_EQ(program.FieldText(1043).left(4), QStringLiteral("3.13"));
    EXPECT_EQ(n->Mark(), CriteriaMark::kNone);

    OpenDocument& document = *program.Frame().Document();
    AnalysisInputs inputs = document.Inputs();
    inputs.criteria.classA.maxMadFree = 3;
    document.SetInputs(inputs);
    Settle();
    EXPECT_EQ(n->Mark(), CriteriaMark::kYellow);
    inputs.criteria.classB.maxMadFree = 3;
    document.SetInputs(inputs);
    Settle();
    EXPECT_EQ(n->Mark(), CriteriaMark::kRed);
    // Marks are painted as wide as their field, under it.
    QImage image(n->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    n->render(&image);
    const QRect edit = n->Edit()->geometry();
    EXPECT_EQ(image.pixelColor(edit.center().x(), edit.bottom() + 2), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(edit.center().x(), edit.bottom() + 1), QColor(0, 0, 0));  // outline
}

TEST_F(DocumentWindow, CheckCorrectionIsOfferedForMt4DataWhenTheCriteriaAllowIt)
{
    for (int allow : {0, 1}) {
        for (const char* example : {"andesite-mt4.kvd", "basalt-mt1.kvd"}) {
            RunningProgram program;
            program.app.Criteria().criteria.allowMt4CheckCorrection = allow;
            program.Main().OpenDocumentFile(Example(example));
            Settle();
            QCheckBox* box = ByText<QCheckBox>(program.Form(), QStringLiteral("include check correction"));
            const bool mt4 = std::string(example) == "andesite-mt4.kvd";
            EXPECT_EQ(box->isVisible(), allow == 1 && mt4) << example << " allow " << allow;
        }
    }
}

TEST_F(DocumentWindow, NothingToAnalyseShowsAnEmptyDiagramAndZeros)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.path();
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"empty.kvd", ""},
        {"infield-only.kvd", "Korvanes-kvd\n35 0 0 0 0\nS1\t100.11\t10\t0\t90\nS1\t200.11\t20\t0\t90\n"},
        {"warnings.kvd", "Korvanes-kvd\n35 0 0\nS1\t20.00\t100\t0\t45\nno-name-line\nS1\t100.00\t90\n"},
    };
    for (const Case& c : cases) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(c.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        RunningProgram program({path});
        SCOPED_TRACE(c.name);
        EXPECT_GE(program.Frame().View()->PaintCount(), 1);
        EXPECT_EQ(program.FieldText(1019), QStringLiteral("0"));
        EXPECT_EQ(program.FieldText(1024), QString());
        EXPECT_EQ(program.Form().Field(1021)->Mark(), CriteriaMark::kNone);
    }
    // The reader's remarks are shown without blocking, with the lines on request.
    RunningProgram program({folder + QStringLiteral("/warnings.kvd")});
    DocumentNotice* notice = program.Frame().Notice();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->Summary().contains(QStringLiteral("line 2")));
    EXPECT_GE(notice->Details().size(), 3);  // the reader's three, then steps left out of the fit
    EXPECT_TRUE(notice->Details().value(1).startsWith(QStringLiteral("line 4: ")));
}

TEST_F(DocumentWindow, NoticeNamesTheStepsLeftOutOfTheFit)
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("lost.kvd"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // The 60 degree step has no in-field step at its temperature.
    file.write("Korvanes-kvd\n35 0 0 0 0\nS1\t20.00\t1000\t0\t45\nS1\t60.00\t990\t0\t45\n"
               "S1\t100.00\t950\t0\t45\nS1\t100.11\t980\t0\t60\nS1\t200.00\t800\t0\t45\n"
               "S1\t200.11\t900\t0\t70\nS1\t300.00\t600\t0\t45\nS1\t300.11\t850\t0\t80\n");
    file.close();
    RunningProgram program({path});
    DocumentNotice* notice = program.Frame().Notice();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->Summary().contains(QStringLiteral("Arai fit")));
    EXPECT_TRUE(notice->Summary().contains(QStringLiteral("60 \u00B0C"))) << notice->Summary().toStdString();
    ASSERT_EQ(notice->Details().size(), 1);
    EXPECT_TRUE(notice->Details()[0].startsWith(QStringLiteral("60 \u00B0C")));
    EXPECT_TRUE(notice->Details()[0].contains(QStringLiteral("left out of the Arai fit: no in-field step")));
}

}  // namespace
}  // namespace korvanes::guitest
