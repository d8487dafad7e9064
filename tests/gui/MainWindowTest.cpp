// The main window as a user meets it: opening files (and failing to),
// dropping files, the about box, several windows on one document, and the
// settings that a second start finds.

#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QShortcut>
#include <QSplitter>

#include "GuiTestSupport.h"

namespace korvanes::guitest {
namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }
};

QVariant Stored(const char* key)
{
    QSettings settings(QStringLiteral("Brenvoll"), QStringLiteral("KorvanesTool"));
    return settings.value(QString::fromLatin1(key));
}

TEST_F(MainWindow, FilesThatCannotBeReadAreReportedAndTheOthersOpen)
{
    ModalAnswerer answerer;
    const QString missing = QDir::tempPath() + QStringLiteral("/no-such-specimen.kvd");
    RunningProgram program({missing, QDir::tempPath(), Example("basalt-mt1.kvd")});
    ASSERT_EQ(answerer.texts.size(), 2);
    EXPECT_TRUE(answerer.texts[0].contains(QStringLiteral("no-such-specimen.kvd")));
    EXPECT_TRUE(answerer.texts[1].contains(QDir::tempPath()));
    EXPECT_EQ(answerer.captions.value(0), QStringLiteral("KorvanesTool"));
    ASSERT_EQ(program.Main().Frames().size(), 1u);  // no empty window for the bad ones
    EXPECT_EQ(program.Main().windowTitle(), QStringLiteral("KorvanesTool - [basalt-mt1.kvd]"));
    // Opening it again brings its window forward instead of a second copy.
    program.Main().OpenDocumentFile(Example("basalt-mt1.kvd"));
    EXPECT_EQ(program.Main().Frames().size(), 1u);
}

TEST_F(MainWindow, DroppedFilesOpen)
{
    RunningProgram program;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Example("tuff-mt3.kvd")), QUrl::fromLocalFile(Example("andesite-mt4.kvd"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&program.Main(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&program.Main(), &drop);
    EXPECT_TRUE(WaitFor([&] { return program.Main().Frames().size() == 2; }));
}

TEST_F(MainWindow, AboutBoxNamesTheVersion)
{
    ModalAnswerer answerer;
    RunningProgram program;
    QAction* about = nullptr;
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("&About KorvanesTool...")) {
            about = action;
        }
    }
    ASSERT_NE(about, nullptr);
    about->trigger();
    EXPECT_TRUE(answerer.texts.contains(QStringLiteral("KorvanesTool Version 4.1")));
    EXPECT_TRUE(answerer.captions.contains(QStringLiteral("About KorvanesTool")));
}

TEST_F(MainWindow, TwoWindowsOnOneDocumentStayInStepWithoutRepaintingEachOther)
{
    RunningProgram program({Example("andesite-mt4.kvd")});
    CChildFrame& first = program.Frame();
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("&New Window")) {
            action->trigger();
        }
    }
    Settle();
    ASSERT_EQ(program.Main().Frames().size(), 2u);
    CChildFrame& second = *program.Main().Frames()[1];
    EXPECT_EQ(first.windowTitle(), QStringLiteral("andesite-mt4.kvd:1"));
    EXPECT_EQ(second.windowTitle(), QStringLiteral("andesite-mt4.kvd:2"));
    program.Main().MdiArea()->tileSubWindows();
    Settle();
    const int paints = first.View()->PaintCount() + second.View()->PaintCount();
    Settle();
    EXPECT_EQ(first.View()->PaintCount() + second.View()->PaintCount(), paints);

    // A choice in one form reaches the other.
    ByText<QAbstractButton>(*second.Form(), QStringLiteral("Bedding"))->click();
    Settle();
    EXPECT_EQ(first.Form()->Field(1033)->Text(), second.Form()->Field(1033)->Text());
    second.close();
    Settle();
    EXPECT_EQ(first.windowTitle(), QStringLiteral("andesite-mt4.kvd"));
}

TEST_F(MainWindow, ASecondStartRestoresWindowsAndPanes)
{
    QRect placement;
    {
        // A first start on a laptop screen: maximised document windows with a
        // 570 pixel plot pane and the whole form beside it.
        RunningProgram program;
        program.Main().resize(1366, 768);
        program.Main().OpenDocumentFile(Example("basalt-mt1.kvd"));
        Settle();
        EXPECT_TRUE(program.Frame().isMaximized());
        EXPECT_EQ(program.Frame().Splitter()->sizes().value(0), 570);
        program.Main().setGeometry(QRect(60, 50, 1300, 900));
        program.Frame().showNormal();
        Settle();
        QSplitter* splitter = program.Frame().Splitter();
        splitter->setSizes({480, splitter->width() - 480 - splitter->handleWidth()});
        // The user drags the splitter handle.
        QMetaObject::invokeMethod(splitter, "splitterMoved", Q_ARG(int, 480), Q_ARG(int, 1));
        Settle();
        placement = program.Main().normalGeometry();
        program.Quit();
    }
    EXPECT_EQ(Stored("Settings/ShowCmd").toInt(), 1);
    EXPECT_EQ(Stored("Settings/FrameSplit0x").toInt(), 480);
    EXPECT_FALSE(Stored("Settings/FrameSplit1x").isValid());  // never changes, never written
    EXPECT_TRUE(Stored("Settings/WindowPos").toString().startsWith(QStringLiteral("0,1,")));
    EXPECT_EQ(Stored("Recent File List/File1").toString(), Example("basalt-mt1.kvd"));

    RunningProgram again({Example("tuff-mt3.kvd")});
    EXPECT_FALSE(again.Frame().isMaximized());
    // The remembered plot pane, where the window has room for the form beside it.
    again.Frame().resize(1250, 800);
    Settle();
    EXPECT_EQ(again.Frame().Splitter()->sizes().value(0), 480);
    EXPECT_EQ(again.Main().normalGeometry(), placement);
}

TEST_F(MainWindow, MaximisedMainWindowIsStoredAndAQuietRunWritesNoDocumentWindowValue)
{
    {
        RunningProgram program({Example("basalt-mt1.kvd")});
        program.Main().showMaximized();
        Settle();
        program.Quit();
    }
    EXPECT_TRUE(Stored("Settings/WindowPos").toString().startsWith(QStringLiteral("2,3,")));
    for (const char* key : {"Settings/ShowCmd", "Settings/FrameSplit0x", "Settings/FrameSplit0y",
                            "Settings/FrameSplit1x", "Settings/FrameSplit1y", "Settings/PathCri"}) {
        EXPECT_FALSE(Stored(key).isValid()) << key;
    }
    RunningProgram again;
    EXPECT_TRUE(again.Main().isMaximized());
}

TEST_F(MainWindow, NoShortcutIsBoundTwiceAndCloseKeysReachTheWindows)
{
    RunningProgram program({Example("basalt-mt1.kvd"), Example("tuff-mt3.kvd"), Example("andesite-mt4.kvd")});
    ASSERT_EQ(program.Main().Frames().size(), 3u);
    // Every action of the main window, its menus and its document windows
    // (their window menus included) that the window's keys can reach.
    QMap<QString, QStringList> owners;
    for (QAction* action : program.Main().findChildren<QAction*>()) {
        if (action->shortcutContext() == Qt::WidgetShortcut) {
            continue;
        }
        for (const QKeySequence& key : action->shortcuts()) {
            owners[key.toString()] << action->text();
        }
    }
    for (QShortcut* shortcut : program.Main().findChildren<QShortcut*>()) {
        if (shortcut->context() == Qt::WindowShortcut || shortcut->context() == Qt::ApplicationShortcut) {
            for (const QKeySequence& key : shortcut->keys()) {
                owners[key.toString()] << QStringLiteral("shortcut");
            }
        }
    }
    EXPECT_TRUE(owners.contains(QStringLiteral("Ctrl+W")));
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        EXPECT_EQ(it.value().size(), 1) << it.key().toStdString() << ": " << it.value().join(QLatin1Char(',')).toStdString();
    }

    program.Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&program.Main()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([&] { return program.Main().Frames().size() == 2; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(WaitFor([&] { return program.Main().Frames().empty(); }));
}

TEST_F(MainWindow, MalformedPlacementIsIgnored)
{
    {
        QSettings settings(QStringLiteral("Brenvoll"), QStringLiteral("KorvanesTool"));
        settings.setValue(QStringLiteral("Settings/WindowPos"), QStringLiteral("0,1,-1,-1,-1,-1,10,10,900"));
    }
    RunningProgram program;
    EXPECT_TRUE(program.Main().isVisible());
    EXPECT_FALSE(program.Main().isMaximized());
    EXPECT_GT(program.Main().width(), 600);
}

}  // namespace
}  // namespace korvanes::guitest
