// Searching from the window: the three entries, the page counter, rows page by page, a window
// that keeps working during a slow run, and a newer search replacing the one in flight.

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "form1fixture.h"

using thornvale::Form1;
using namespace uitest;

Q_DECLARE_METATYPE(QList<int>)
Q_DECLARE_METATYPE(sitesim::Fault)

class TestForm1Search : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void entries_data();
    void entries();
    void rowsNumberedAcrossPages_data();
    void rowsNumberedAcrossPages();
    void keyPressResetsCounter_data();
    void keyPressResetsCounter();
    void keyPressMidRunEndsIt();
    void failedPagesAreTold_data();
    void failedPagesAreTold();
    void windowWorksDuringSlowSearch();
    void newerSearchReplacesOlder();

private:
    // Runs one step of a scenario; a search step waits for its run and returns its pages.
    QList<int> step(QChar s);
    Fixture m_fx;
};

void TestForm1Search::init()
{
    QVERIFY(m_fx.start());
}

void TestForm1Search::cleanup()
{
    m_fx.reset();
}

QList<int> TestForm1Search::step(QChar s)
{
    Form1 &form = *m_fx.form;
    QSignalSpy pages(&form, &Form1::searchPageFinished);
    QSignalSpy finished(&form, &Form1::searchFinished);
    switch (s.unicode()) {
    case 'E':
        QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
        break;
    case 'F':
        m_fx.ui->Command1->click();
        break;
    case 'N':
        m_fx.ui->Command2->click();
        break;
    case 'k':
        QTest::keyClick(m_fx.ui->txtName, Qt::Key_A);
        return {};
    }
    if (!finished.wait(30000))
        return { -1 };
    QList<int> requested;
    for (const QList<QVariant> &args : pages)
        requested << args.at(0).toInt();
    return requested;
}

static QList<int> range(int first, int last)
{
    QList<int> r;
    for (int p = first; p <= last; ++p)
        r << p;
    return r;
}

void TestForm1Search::entries_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("pages"); // of the last search step
    QTest::addColumn<bool>("command1");
    QTest::addColumn<int>("counter");

    // E = Enter in the name box, F = "처음으로", N = "다음 페이지", k = a letter typed.
    QTest::newRow("Enter after load: 1-10, Command1 untouched") << "E" << range(1, 10) << false << 10;
    QTest::newRow("Next straight after load continues from 1") << "N" << range(2, 11) << true << 11;
    QTest::newRow("First after Next: 1-10 and disabled") << "NF" << range(1, 10) << false << 10;
    QTest::newRow("Enter after Next: 1-10, Command1 stays enabled") << "NE" << range(1, 10) << true << 10;
    QTest::newRow("Next twice: 12-21") << "NN" << range(12, 21) << true << 21;
    QTest::newRow("letter then Next starts from page 1") << "kN" << range(1, 10) << true << 10;
    QTest::newRow("Next after Enter: 11-20") << "EN" << range(11, 20) << true << 20;
}

void TestForm1Search::entries()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, pages);
    QFETCH(bool, command1);
    QFETCH(int, counter);

    QCOMPARE(m_fx.form->pageCounter(), 1);
    QList<int> last;
    for (const QChar s : steps) {
        const QList<int> requested = step(s);
        if (!requested.isEmpty())
            last = requested;
    }
    QCOMPARE(last, pages);
    QCOMPARE(m_fx.ui->Command1->isEnabled(), command1);
    QCOMPARE(m_fx.form->pageCounter(), counter);
}

void TestForm1Search::rowsNumberedAcrossPages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("firstCharacter"); // index in the site's full result list
    QTest::addColumn<int>("rows");

    QTest::newRow("empty name: ten full pages") << QString() << "E" << 0 << 100;
    QTest::newRow("Next after load: rows of pages 2-11, numbered from 0") << QString() << "N" << 10 << 100;
    QTest::newRow("three result pages, the last short") << QStringLiteral("토른") << "E" << 0 << 23;
}

void TestForm1Search::rowsNumberedAcrossPages()
{
    QFETCH(QString, name);
    QFETCH(QString, steps);
    QFETCH(int, firstCharacter);
    QFETCH(int, rows);

    Form1 &form = *m_fx.form;
    m_fx.ui->txtName->setText(name);
    for (const QChar s : steps)
        QCOMPARE(step(s).size(), 10);

    const std::vector<sitesim::Character> found = sitesim::Matches(name.toStdString());
    QCOMPARE(m_fx.rowCount(), rows);
    for (int r = 0; r < rows; ++r) {
        const sitesim::Character &c = found.at(std::size_t(firstCharacter + r));
        QCOMPARE(m_fx.cell(r, 0), QString::number(r));
        QCOMPARE(m_fx.cell(r, 1), q(c.name));
        QCOMPARE(m_fx.cell(r, 2), q(c.server));
        QCOMPARE(m_fx.cell(r, 3), QString::number(c.level));
        QCOMPARE(m_fx.cell(r, 4), q(c.job));
        QCOMPARE(m_fx.cell(r, 5), q(c.race));
        QCOMPARE(m_fx.cell(r, 6), q(m_fx.site->characterBase() + c.key));
    }
    QCOMPARE(form.results().count(), rows);
}

void TestForm1Search::keyPressResetsCounter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("textAfter");

    QTest::newRow("letter") << int(Qt::Key_B) << QStringLiteral("토른b");
    QTest::newRow("digit") << int(Qt::Key_7) << QStringLiteral("토른7");
    QTest::newRow("backspace types code 8") << int(Qt::Key_Backspace) << QStringLiteral("토");
}

void TestForm1Search::keyPressResetsCounter()
{
    QFETCH(int, key);
    QFETCH(QString, textAfter);

    Form1 &form = *m_fx.form;
    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QCOMPARE(step(QLatin1Char('E')).size(), 10);
    QCOMPARE(form.pageCounter(), 10);

    QTest::keyClick(m_fx.ui->txtName, Qt::Key(key));
    QCOMPARE(form.pageCounter(), 0);
    QVERIFY(!form.isSearching());
    // The box still types the key.
    QCOMPARE(m_fx.ui->txtName->text(), textAfter);
    QCOMPARE(m_fx.rowCount(), 23);
}

// Typing into the name box while a run is in flight ends the run: no page of the old name lands
// after the counter went back to 0, and none of the new name is mixed in.
void TestForm1Search::keyPressMidRunEndsIt()
{
    Form1 &form = *m_fx.form;
    // Page 2 never answers, so the run is still waiting for it when the user types; the pages
    // after it have arrived and wait their turn.
    m_fx.site->setFault(2, sitesim::Fault::Hang);
    QSignalSpy pages(&form, &Form1::searchPageFinished);
    QSignalSpy finished(&form, &Form1::searchFinished);

    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(pages.wait(10000));
    const int shown = m_fx.rowCount();
    QCOMPARE(shown, 10);

    // Hangul arrives through the input method, as committed text.
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("달빛"));
    QCoreApplication::sendEvent(m_fx.ui->txtName, &typed);
    QCOMPARE(m_fx.ui->txtName->text(), QStringLiteral("토른달빛"));
    QVERIFY(!form.isSearching());
    QCOMPARE(form.pageCounter(), 0);
    QVERIFY(!pages.wait(1000));
    QCOMPARE(finished.size(), 0);
    QCOMPARE(m_fx.rowCount(), shown);
    for (int r = 0; r < shown; ++r)
        QCOMPARE(m_fx.cell(r, 0), QString::number(r));
}

void TestForm1Search::failedPagesAreTold_data()
{
    QTest::addColumn<QList<int>>("faultPages"); // 0: the server is gone
    QTest::addColumn<sitesim::Fault>("fault");
    QTest::addColumn<QString>("message"); // empty: no box

    QTest::newRow("server gone")
        << QList<int> { 0 } << sitesim::Fault::None
        << QStringLiteral("검색 결과 페이지 10개를 받지 못했습니다.\r\n서버에 연결할 수 없습니다.");
    QTest::newRow("two pages cut short")
        << QList<int> { 2, 5 } << sitesim::Fault::CloseMidBody
        << QStringLiteral("검색 결과 페이지 2개를 받지 못했습니다.\r\n페이지를 끝까지 받지 못했습니다.");
    QTest::newRow("a page past the size cap")
        << QList<int> { 3 } << sitesim::Fault::Oversized
        << QStringLiteral("검색 결과 페이지 1개를 받지 못했습니다.\r\n페이지가 너무 큽니다.");
    // The site sends such pages past its last result: not a failure to fetch.
    QTest::newRow("no heading: silent") << QList<int> { 4 } << sitesim::Fault::NoHeading << QString();
    QTest::newRow("error status: still a page")
        << QList<int> { 4 } << sitesim::Fault::ErrorStatus << QString();
}

// A dead server or lost pages must not look like a name without characters.
void TestForm1Search::failedPagesAreTold()
{
    QFETCH(QList<int>, faultPages);
    QFETCH(sitesim::Fault, fault);
    QFETCH(QString, message);

    Form1 &form = *m_fx.form;
    for (int page : faultPages) {
        if (page == 0)
            m_fx.site->stop();
        else
            m_fx.site->setFault(page, fault);
    }
    QSignalSpy finished(&form, &Form1::searchFinished);
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(finished.wait(30000));

    QMessageBox *box = openMessageBox();
    if (message.isEmpty()) {
        QVERIFY(!box);
        return;
    }
    QVERIFY(box);
    QCOMPARE(box->text(), message);
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(m_fx.rowCount(), 10 * (10 - (faultPages == QList<int> { 0 } ? 10 : int(faultPages.size()))));
    box->accept();
}

void TestForm1Search::windowWorksDuringSlowSearch()
{
    Form1 &form = *m_fx.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    m_fx.site->setLatency(std::chrono::milliseconds(300));

    // Events keep arriving while the run waits for its pages: a timer ticks, the name box takes
    // typing, and rows appear page by page.
    int ticksDuringRun = 0;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (form.isSearching())
            ++ticksDuringRun;
    });
    QList<int> rowsAtPage;
    QList<bool> busyAtPage;
    connect(&form, &Form1::searchPageFinished, this, [&] {
        rowsAtPage << m_fx.rowCount();
        busyAtPage << (m_fx.ui->LV->viewport()->cursor().shape() == Qt::BusyCursor);
    });
    QSignalSpy finished(&form, &Form1::searchFinished);

    m_fx.ui->txtName->clear();
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(form.isSearching());
    QCOMPARE(m_fx.ui->LV->viewport()->cursor().shape(), Qt::BusyCursor);
    ticker.start();
    QTRY_VERIFY_WITH_TIMEOUT(rowsAtPage.size() >= 1, 10000);
    // Typing into another box while the run is in flight.
    QTest::keyClicks(m_fx.ui->txtnick, QStringLiteral("xyz"));
    QVERIFY(m_fx.ui->txtnick->text().endsWith(QStringLiteral("xyz")));
    QVERIFY(form.isSearching());

    QVERIFY(finished.wait(30000));
    QVERIFY(ticksDuringRun > 0);
    QCOMPARE(rowsAtPage, (QList<int> { 10, 20, 30, 40, 50, 60, 70, 80, 90, 100 }));
    QCOMPARE(busyAtPage, QList<bool>(10, true));
    QVERIFY(m_fx.ui->LV->viewport()->cursor().shape() != Qt::BusyCursor);
}

void TestForm1Search::newerSearchReplacesOlder()
{
    Form1 &form = *m_fx.form;
    m_fx.site->setLatency(std::chrono::milliseconds(300));
    QSignalSpy finished(&form, &Form1::searchFinished);
    QSignalSpy pages(&form, &Form1::searchPageFinished);

    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(pages.size() >= 1, 10000);
    QVERIFY(form.isSearching());

    m_fx.ui->txtName->setText(QStringLiteral("Arin"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(finished.wait(30000));

    // Only one run finished, and only its rows are in the list.
    QCOMPARE(finished.size(), 1);
    const std::vector<sitesim::Character> arin = sitesim::Matches("Arin");
    QCOMPARE(m_fx.rowCount(), int(arin.size()));
    for (int r = 0; r < m_fx.rowCount(); ++r) {
        QCOMPARE(m_fx.cell(r, 0), QString::number(r));
        QCOMPARE(m_fx.cell(r, 1), q(arin[std::size_t(r)].name));
    }
    QCOMPARE(form.pageCounter(), 10);
    QVERIFY(!form.isSearching());
}

QTEST_MAIN(TestForm1Search)
#include "tst_form1_search.moc"
