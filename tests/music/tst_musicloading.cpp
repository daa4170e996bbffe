// How the program comes by its browser: the music module is loaded on the first music choice and
// not before, and a missing or broken module costs the music and nothing else. This binary, like
// the program, links no QtWebEngine library.

#include "config/siteconfig.h"
#include "qtbridge/qtbridge.h"
#include "shell/musicstrip.h"
#include "support/messagelog.h"
#include "support/sitesimfixture.h"
#include "ui/form1.h"
#include "ui/form1controls.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFocusFrame>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace thornvale;
using namespace Qt::StringLiterals;

namespace {

// QtWebEngine needs a while to start its processes on a loaded two-core machine.
constexpr int kPageTimeoutMs = 30000;

bool webEngineMapped()
{
    QFile maps(u"/proc/self/maps"_s);
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngine");
}

} // namespace

class TestMusicLoading final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_site = test::StartSiteSim();
        QVERIFY(m_site);
        QVERIFY2(QFileInfo::exists(QStringLiteral(THORNVALE_MUSIC_MODULE_DIR)),
            "the build names the module's folder");
    }

    void init()
    {
        SiteConfig config = SiteConfig::compiledIn();
        const QString base = QString::fromStdString(m_site->baseUrl());
        config.searchBase = toU16(base);
        config.characterBase = toU16(QString::fromStdString(m_site->characterBase()));
        config.statusUrl = toU16(QString::fromStdString(m_site->statusUrl()));
        config.musicUrls
            = { toU16(base + u"/music1"_s), toU16(base + u"/music2"_s), toU16(base + u"/music3"_s) };
        m_form = std::make_unique<Form1>(config);
        m_ui.emplace(*m_form);
        m_form->setMusicModuleFolder(QStringLiteral(THORNVALE_MUSIC_MODULE_DIR));
        QSignalSpy loaded(m_form.get(), &Form1::loadFinished);
        m_form->load();
        QVERIFY(loaded.wait(10000));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_strip = m_ui->pic1->findChild<MusicStrip *>();
        QVERIFY(m_strip);
    }

    void cleanup()
    {
        // The music pages open pop-ups; the window's close path would end them, but it also ends
        // the program.
        if (m_strip)
            m_strip->closePopups();
        m_strip = nullptr;
        m_form.reset();
    }

    // First, while the process is as the program is at start: nothing of QtWebEngine is mapped
    // until the first choice, and loading it late leaves no warning about its late start.
    void browserEngineArrivesWithTheFirstChoice()
    {
        QVERIFY(!webEngineMapped());
        MessageLog log;
        m_ui->gayo->trigger();
        QVERIFY(webEngineMapped());
        QWidget *view = m_strip->view();
        QVERIFY(view);
        QCOMPARE(view->parentWidget(), m_ui->pic1);
        // The first view is where QtWebEngine would crash without a shared GL context.
        QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
        QVERIFY(loaded.wait(kPageTimeoutMs));
        QVERIFY(loaded.first().first().toBool());
        for (const QString &line : log.lines())
            QVERIFY2(!line.contains(u"initialized from a plugin"_s), qPrintable(line));
    }

    // The strip is one tab stop after the list, marked while it has the focus: pic1 before any
    // music, the page after it, which Tab leaves at once.
    void stripIsOneTabStop()
    {
        if (!qEnvironmentVariableIsSet("THORNVALE_TEST_WM"))
            QSKIP("needs a window manager to activate the window (ctest music.tst_musicloading_openbox)");
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        auto *frame = m_form->findChild<QFocusFrame *>();
        QVERIFY(frame);
        QCOMPARE(tabWalk(),
            QStringList({ u"LV"_s, u"pic1"_s, u"txtAdd"_s, u"Command2"_s, u"txtnick"_s, u"txtAdd"_s }));
        m_ui->LV->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_ui->LV, Qt::Key_Tab);
        QVERIFY(frame->isVisible());

        m_ui->gayo->trigger();
        QWidget *view = m_strip->view();
        QVERIFY(view);
        QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy(), kPageTimeoutMs);
        // The browser's GL surface recreates the window's native window; the keyboard stays.
        QTRY_VERIFY(m_form->isActiveWindow());
        QCOMPARE(tabWalk(),
            QStringList({ u"LV"_s, u"WB"_s, u"txtAdd"_s, u"Command2"_s, u"txtnick"_s, u"txtAdd"_s }));
        QCOMPARE(tabWalk(Qt::Key_Backtab, m_ui->txtAdd), QStringList({ u"WB"_s, u"LV"_s, u"txtName"_s }));
        m_ui->LV->setFocus(Qt::TabFocusReason);
        QVERIFY(!frame->isVisible());
        QTest::keyClick(m_ui->LV, Qt::Key_Tab);
        QTRY_VERIFY(frame->isVisible());
    }

    void withoutTheModuleOnlyTheMusicIsGone_data()
    {
        QTest::addColumn<QByteArray>("fileContent"); // empty: no file at all
        QTest::addColumn<QString>("cause"); // what the line names, in the folder
        QTest::newRow("folder without it") << QByteArray() << u"not found in %1"_s;
        QTest::newRow("file that is no library")
            << QByteArray("not a library\n") << u"%1/thornvale-music.so"_s;
    }

    void withoutTheModuleOnlyTheMusicIsGone()
    {
        QFETCH(QByteArray, fileContent);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!fileContent.isEmpty()) {
            QFile file(dir.filePath(u"thornvale-music.so"_s));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(fileContent);
        }
        m_form->setMusicModuleFolder(dir.path());

        MessageLog log;
        m_ui->gayo->trigger();
        m_ui->club->trigger();
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().startsWith(u"thornvale: music unavailable: "_s),
            qPrintable(log.lines().first()));
        QVERIFY2(log.lines().first().contains(cause.arg(dir.path())), qPrintable(log.lines().first()));
        QCOMPARE(m_strip->view(), nullptr);
        QVERIFY(m_ui->pic1->findChildren<QWidget *>().isEmpty());
        QVERIFY(m_strip->popups().isEmpty());

        // The rest of the window goes on as ever: a search, then the close path with no pop-ups.
        QSignalSpy finished(m_form.get(), &Form1::searchFinished);
        m_ui->txtName->setText(u"토른"_s);
        QTest::keyClick(m_ui->txtName, Qt::Key_Return);
        QVERIFY(finished.wait(10000));
        QVERIFY(m_form->close());
    }

    // Run as its own entry with QT_XCB_GL_INTEGRATION=none, where no GL context can be made:
    // QtWebEngine would crash on its first view, so there is none, one line says why, and later
    // choices say nothing more.
    void withoutOpenGlTheStripStaysBlank()
    {
        if (qEnvironmentVariable("QT_XCB_GL_INTEGRATION") != u"none")
            QSKIP("needs QT_XCB_GL_INTEGRATION=none (ctest music.tst_musicloading_without_gl)");
        MessageLog log;
        m_ui->gayo->trigger();
        m_ui->club->trigger();
        // Qt says its own piece too, once for every context asked for.
        const QStringList ours = log.ours();
        QCOMPARE(ours.size(), 1);
        QVERIFY2(ours.first().startsWith(u"thornvale: music unavailable: no OpenGL context"_s),
            qPrintable(ours.first()));
        QCOMPARE(m_strip->view(), nullptr);
        QVERIFY(m_ui->pic1->findChildren<QWidget *>().isEmpty());
    }

    // As root with its sandbox on, the engine ends the whole process (status 1) as it starts:
    // the engine is not loaded then, and the music alone is gone.
    void rootWithTheSandboxOnLoadsNoEngine_data()
    {
        QTest::addColumn<bool>("root");
        QTest::addColumn<bool>("disableSandboxSet");
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<bool>("refused");
        QTest::newRow("not root") << false << false << QByteArray() << false;
        QTest::newRow("root, sandbox on") << true << false << "--disable-gpu"_ba << true;
        QTest::newRow("root, the variable set") << true << true << QByteArray() << false;
        QTest::newRow("root, --no-sandbox among others")
            << true << false << "--disable-gpu  --no-sandbox"_ba << false;
        QTest::newRow("root, one dash") << true << false << "-no-sandbox"_ba << false;
        QTest::newRow("root, a longer switch is another") << true << false << "--no-sandboxing"_ba << true;
        QTest::newRow("root, only inside a value") << true << false << "--js-flags=--no-sandbox"_ba << true;
    }
    void rootWithTheSandboxOnLoadsNoEngine()
    {
        QFETCH(bool, root);
        QFETCH(bool, disableSandboxSet);
        QFETCH(QByteArray, flags);
        QFETCH(bool, refused);
        const QString refusal = engineStartRefusal(root, disableSandboxSet, flags);
        QCOMPARE(!refusal.isEmpty(), refused);
        if (refused)
            QVERIFY(refusal.contains(u"QTWEBENGINE_DISABLE_SANDBOX=1"_s));
    }

private:
    // Where key presses take the focus from start, by the controls' names; the browser's input is
    // "WB".
    QStringList tabWalk(Qt::Key key = Qt::Key_Tab, QWidget *start = nullptr)
    {
        QWidget *from = start ? start : m_ui->txtName;
        from->setFocus(Qt::OtherFocusReason);
        QStringList names;
        for (int i = 0; i < (key == Qt::Key_Tab ? 6 : 3); ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QCoreApplication::processEvents(); // the jump from txtnick is queued
            QWidget *now = QApplication::focusWidget();
            const bool inBrowser = now && m_strip->view() && m_strip->view()->isAncestorOf(now);
            names << (inBrowser ? u"WB"_s : now ? now->objectName() : u"(none)"_s);
        }
        return names;
    }

    std::unique_ptr<sitesim::Server> m_site;
    std::unique_ptr<Form1> m_form;
    std::optional<uitest::Form1Controls> m_ui;
    MusicStrip *m_strip = nullptr;
};

QTEST_MAIN(TestMusicLoading)
#include "tst_musicloading.moc"
