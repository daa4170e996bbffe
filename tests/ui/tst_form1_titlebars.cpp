// What the window system shows in the title bars of the boxes that must have none. Qt puts the
// application's name into a title bar whose title is empty, so the widget's own title proves
// nothing; this reads the X server's copy, under Xvfb.

#include <QLineEdit>
#include <QPushButton>

#include "form1fixture.h"
#include "support/x11title.h"

using thornvale::Form1;
using namespace uitest;

class TestForm1TitleBars : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void blankTitleBars_data();
    void blankTitleBars();

private:
    Fixture m_fx;
};

void TestForm1TitleBars::initTestCase()
{
    // As the program names itself: the name Qt would put into an empty title bar.
    QCoreApplication::setApplicationName(QStringLiteral("thornvale"));
}

void TestForm1TitleBars::cleanup()
{
    if (QMessageBox *box = openMessageBox())
        box->done(QMessageBox::Ok);
    m_fx.reset();
}

void TestForm1TitleBars::blankTitleBars_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("rank lookup") << QStringLiteral("rank");
    QTest::newRow("closed service") << QStringLiteral("closed");
    QTest::newRow("failed search") << QStringLiteral("failed");
    QTest::newRow("tray mode without a notification area") << QStringLiteral("tray");
}

void TestForm1TitleBars::blankTitleBars()
{
    QFETCH(QString, box);

    QVERIFY(m_fx.start(box != QLatin1String("closed")));
    Form1 &form = *m_fx.form;
    if (box == QLatin1String("closed")) {
        m_fx.site->setStatusBody("0");
        form.load();
    } else {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const std::optional<QString> mainTitle = thornvale::test::X11WindowName(form.windowHandle());
        QCOMPARE(mainTitle.value_or(QString()), QStringLiteral("Thornvale 캐릭터 정보검색 프로그램"));
        if (box == QLatin1String("failed"))
            m_fx.site->stop();
        QSignalSpy finished(&form, &Form1::searchFinished);
        if (box == QLatin1String("tray"))
            m_fx.triggerAction(QStringLiteral("menu2"));
        else
            QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
        QVERIFY(box == QLatin1String("tray") || finished.wait(30000));
        if (box == QLatin1String("rank")) {
            m_fx.ui->txtnick->setText(m_fx.cell(0, 1));
            m_fx.ui->txtAdd->setText(m_fx.cell(0, 2));
            m_fx.ui->Command3->click();
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(openMessageBox(), 10000);
    QMessageBox *shown = openMessageBox();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const std::optional<QString> title = thornvale::test::X11WindowName(shown->windowHandle());
    QVERIFY(title);
    QVERIFY2(title->trimmed().isEmpty(), qPrintable(*title));
}

QTEST_MAIN(TestForm1TitleBars)
#include "tst_form1_titlebars.moc"
