// Start-up: the operator's status switch decides whether the window opens; the focus timer puts
// the cursor into the name box once; closing the window ends everything in flight. Tray mode on a
// desktop without a notification area is here too: these tests run where there is none.

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTimer>

#include "form1fixture.h"
#include "support/messagelog.h"
#include "ui/qtkorean.h"

using thornvale::Form1;
using namespace uitest;

class TestForm1Startup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void statusDecides_data();
    void statusDecides();
    void closedServiceMessage();
    void focusTimerTicksOnce();
    void closingEndsWorkInFlight();
    void trayWithoutNotificationArea();

private:
    Fixture m_fx;
};

void TestForm1Startup::cleanup()
{
    m_fx.reset();
}

void TestForm1Startup::statusDecides_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("fault"); // "", "refused" or "hang"
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("unreadable");

    QTest::newRow("1 with more fields") << "1//thornvale"
                                        << "" << true << false;
    QTest::newRow("1 alone") << "1"
                             << "" << true << false;
    QTest::newRow("0 then 1: only the first field counts") << "0//1"
                                                           << "" << false << false;
    QTest::newRow("2 closes") << "2"
                              << "" << false << false;
    QTest::newRow("empty body starts anyway") << ""
                                              << "" << true << true;
    QTest::newRow("no number starts anyway") << "abc"
                                             << "" << true << true;
    QTest::newRow("refused connection starts anyway") << "1"
                                                      << "refused" << true << true;
    QTest::newRow("no answer within 5 s starts anyway") << "0"
                                                        << "hang" << true << true;
}

void TestForm1Startup::statusDecides()
{
    QFETCH(QString, body);
    QFETCH(QString, fault);
    QFETCH(bool, open);
    QFETCH(bool, unreadable);

    m_fx.site = std::make_unique<sitesim::Server>();
    QVERIFY(m_fx.site->start());
    m_fx.site->setStatusBody(body.toStdString());
    thornvale::SiteConfig config = configFor(*m_fx.site);
    if (fault == QLatin1String("refused")) {
        // A port that was just free: nothing listens there any more.
        sitesim::Server gone;
        QVERIFY(gone.start());
        config.statusUrl = thornvale::toU16(q(gone.statusUrl()));
        gone.stop();
    } else if (fault == QLatin1String("hang")) {
        // The program's own deadline, not one set for the test: start-up waits at most 5 s.
        m_fx.site->setStatusFault(sitesim::Fault::Hang);
    }
    Form1 &form = m_fx.make(config);

    const QRegularExpression warning(
        QStringLiteral("^thornvale: cannot read the service status \\(.+\\); starting anyway$"));
    if (unreadable)
        QTest::ignoreMessage(QtWarningMsg, warning);
    else
        QTest::failOnWarning(warning);

    QSignalSpy loaded(&form, &Form1::loadFinished);
    form.load();
    QCOMPARE(form.pageCounter(), 1);
    if (!open) {
        QTRY_VERIFY_WITH_TIMEOUT(openMessageBox(), 10000);
        openMessageBox()->accept();
    }
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 10000);
    QCOMPARE(loaded.first().first().toBool(), open);
    QCOMPARE(m_fx.ui->Timer2->isActive(), open);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.pageCounter(), 1);
}

void TestForm1Startup::closedServiceMessage()
{
    // As the program does first thing: Qt's own words in Korean.
    QVERIFY(thornvale::InstallQtKorean());
    QVERIFY(m_fx.start(false));
    m_fx.site->setStatusBody("-1//점검 중");
    Form1 &form = *m_fx.form;
    QSignalSpy loaded(&form, &Form1::loadFinished);
    form.load();

    QTRY_VERIFY_WITH_TIMEOUT(openMessageBox(), 10000);
    QMessageBox *box = openMessageBox();
    QCOMPARE(box->text(),
        QStringLiteral("현재 서버가 닫혀있는 상태입니다.\r\n")
            + thornvale::toQString(thornvale::SiteConfig::compiledIn().contactLine));
    // Blank in the title bar; tst_form1_titlebars reads what the window system shows.
    QVERIFY(box->windowTitle().trimmed().isEmpty());
    QCOMPARE(box->icon(), QMessageBox::Critical);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box->button(QMessageBox::Ok)->text(), QStringLiteral("확인"));
    // The answer waits for the user; the window stays hidden meanwhile and afterwards.
    QCOMPARE(loaded.size(), 0);
    QVERIFY(!form.isVisible());

    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 5000);
    QCOMPARE(loaded.first().first().toBool(), false);
    QVERIFY(!form.isVisible());
    QVERIFY(!m_fx.ui->Timer2->isActive());
    QTRY_VERIFY(!openMessageBox());
}

void TestForm1Startup::focusTimerTicksOnce()
{
    QVERIFY(m_fx.start());
    Form1 &form = *m_fx.form;
    QVERIFY(m_fx.ui->Timer2->isActive());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The user wanders off before the tick; the tick brings the focus back once.
    m_fx.ui->Command2->setFocus();
    QCOMPARE(form.focusWidget(), m_fx.ui->Command2);
    QTRY_COMPARE_WITH_TIMEOUT(form.focusWidget(), m_fx.ui->txtName, 5000);
    QVERIFY(!m_fx.ui->Timer2->isActive());
}

void TestForm1Startup::closingEndsWorkInFlight()
{
    QVERIFY(m_fx.start());
    Form1 &form = *m_fx.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    m_fx.site->setLatency(std::chrono::milliseconds(300));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(form.isSearching());

    QSignalSpy closing(&form, &Form1::closing);
    QSignalSpy pages(&form, &Form1::searchPageFinished);
    QVERIFY(form.close());
    QCOMPARE(closing.size(), 1);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.isSearching());
    QCOMPARE(m_fx.ui->LV->viewport()->cursor().shape(), Qt::ArrowCursor);
    // Nothing of the run arrives after the close.
    QVERIFY(!pages.wait(1000));
}

namespace {

// Counts the times a window is taken off the screen.
class HideCounter final : public QObject {
public:
    explicit HideCounter(QWidget *window) { window->installEventFilter(this); }
    int hides = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        hides += event->type() == QEvent::Hide;
        return false;
    }
};

} // namespace

// Hiding the window with nowhere to bring it back from would lose it: it stays exactly as it is.
void TestForm1Startup::trayWithoutNotificationArea()
{
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    QVERIFY(m_fx.start());
    Form1 &form = *m_fx.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const HideCounter counter(&form);
    const MessageLog log;

    m_fx.triggerAction("menu2");
    QTRY_VERIFY(openMessageBox());
    QMessageBox *box = openMessageBox();
    QCOMPARE(box->text(), QStringLiteral("알림 영역이 없어 트레이 모드를 쓸 수 없습니다."));
    QCOMPARE(box->icon(), QMessageBox::Information);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box->windowTitle().trimmed().isEmpty());
    QCOMPARE(log.ours(),
        QStringList {
            QStringLiteral("thornvale: no notification area on this desktop; tray mode is not available") });
    box->accept();
    QCOMPARE(counter.hides, 0);
    QVERIFY(form.isVisible());
    QVERIFY(form.findChildren<QSystemTrayIcon *>().isEmpty());
}

QTEST_MAIN(TestForm1Startup)
#include "tst_form1_startup.moc"
