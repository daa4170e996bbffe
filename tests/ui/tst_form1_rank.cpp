// The rank lookup from the window: one message box per matching row, in list order, and the
// hints back afterwards; a search during one of its boxes never makes it read past the list.

#include <QLineEdit>
#include <QPushButton>

#include "form1fixture.h"
#include "support/resultrows.h"

using thornvale::Form1;
using namespace uitest;

using Rows = std::vector<thornvale::test::RowCells>;
Q_DECLARE_METATYPE(Rows)

class TestForm1Rank : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void messages_data();
    void messages();
    void boxesReadAgainForEveryRow();
    void searchDuringMessageBox();
    void afterRealSearch();

private:
    void fill(const Rows &rows);
    // Confirms every box the lookup shows until it finishes; returns their texts.
    void runToEnd(QSignalSpy &finished, QStringList &texts);
    QStringList runToEnd(QSignalSpy &finished)
    {
        QStringList texts;
        runToEnd(finished, texts);
        return texts;
    }
    Fixture m_fx;
};

void TestForm1Rank::init()
{
    QVERIFY(m_fx.start());
    m_fx.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_fx.form.get()));
}

void TestForm1Rank::cleanup()
{
    while (QMessageBox *open = openMessageBox())
        open->done(QMessageBox::Ok);
    m_fx.reset();
}

void TestForm1Rank::fill(const Rows &rows)
{
    m_fx.model()->clear();
    thornvale::test::AppendRows(*m_fx.model(), rows);
}

void TestForm1Rank::runToEnd(QSignalSpy &finished, QStringList &texts)
{
    for (;;) {
        QTRY_VERIFY_WITH_TIMEOUT(openMessageBox() || finished.size() > 0, 5000);
        QMessageBox *box = openMessageBox();
        if (!box)
            break;
        texts << box->text();
        QVERIFY(box->windowTitle().trimmed().isEmpty());
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        QTRY_VERIFY(openMessageBox() != box);
    }
}

void TestForm1Rank::messages_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QStringList>("expected");

    const Rows three = { { u"Arin0", u"가시골" }, { u"검은달", u"잿빛나루" }, { u"별3", u"은방울숲" } };
    QTest::newRow("first row is number 0") << three << "Arin0"
                                           << "가시골" << QStringList { "0번에 있습니다." };
    QTest::newRow("last of N rows is N-1") << three << "별3"
                                           << "은방울숲" << QStringList { "2번에 있습니다." };
    QTest::newRow("same character twice: two boxes in order")
        << Rows { three[0], three[1], three[0], three[2] } << "Arin0"
        << "가시골" << QStringList { "0번에 있습니다.", "2번에 있습니다." };
    QTest::newRow("server must match too") << three << "Arin0"
                                           << "잿빛나루" << QStringList {};
    QTest::newRow("letter case differs") << three << "arin0"
                                         << "가시골" << QStringList {};
    QTest::newRow("trailing space differs") << three << "Arin0 "
                                            << "가시골" << QStringList {};
    QTest::newRow("hints compared as text: no ordinary row matches") << three << "닉네임"
                                                                     << "서버명" << QStringList {};
    QTest::newRow("hints compared as text: a row holding them matches")
        << Rows { three[0], { u"닉네임", u"서버명" } } << "닉네임"
        << "서버명" << QStringList { "1번에 있습니다." };
    QTest::newRow("both boxes empty match empty cells") << Rows { three[0], { u"", u"" } } << ""
                                                        << "" << QStringList { "1번에 있습니다." };
    QTest::newRow("empty list: no box") << Rows {} << "Arin0"
                                        << "가시골" << QStringList {};
}

void TestForm1Rank::messages()
{
    QFETCH(Rows, rows);
    QFETCH(QString, nickname);
    QFETCH(QString, server);
    QFETCH(QStringList, expected);

    Form1 &form = *m_fx.form;
    fill(rows);
    m_fx.ui->txtnick->setText(nickname);
    m_fx.ui->txtAdd->setText(server);
    QSignalSpy finished(&form, &Form1::rankLookupFinished);
    m_fx.ui->Command3->click();
    QCOMPARE(runToEnd(finished), expected);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(m_fx.ui->txtnick->text(), QStringLiteral("닉네임"));
    QCOMPARE(m_fx.ui->txtAdd->text(), QStringLiteral("서버명"));
    QCOMPARE(form.results().count(), int(rows.size()));
}

void TestForm1Rank::boxesReadAgainForEveryRow()
{
    Form1 &form = *m_fx.form;
    fill({ { u"A", u"s" }, { u"B", u"s" }, { u"A", u"s" } });
    m_fx.ui->txtnick->setText(QStringLiteral("A"));
    m_fx.ui->txtAdd->setText(QStringLiteral("s"));
    QSignalSpy finished(&form, &Form1::rankLookupFinished);
    m_fx.ui->Command3->click();

    QTRY_VERIFY_WITH_TIMEOUT(openMessageBox(), 5000);
    QCOMPARE(openMessageBox()->text(), QStringLiteral("0번에 있습니다."));
    // Changed while the first box is up: the rows after it are compared with the new text.
    m_fx.ui->txtnick->setText(QStringLiteral("B"));
    openMessageBox()->accept();
    QCOMPARE(runToEnd(finished), QStringList { QStringLiteral("1번에 있습니다.") });
}

void TestForm1Rank::searchDuringMessageBox()
{
    Form1 &form = *m_fx.form;
    // A long list with matches early and late.
    Rows rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back({ i % 10 == 0 ? u"A" : thornvale::toU16(QStringLiteral("x%1").arg(i)), u"s" });
    fill(rows);
    m_fx.ui->txtnick->setText(QStringLiteral("A"));
    m_fx.ui->txtAdd->setText(QStringLiteral("s"));
    QSignalSpy finished(&form, &Form1::rankLookupFinished);
    QSignalSpy searched(&form, &Form1::searchFinished);
    m_fx.ui->Command3->click();
    QTRY_VERIFY_WITH_TIMEOUT(openMessageBox(), 5000);
    QCOMPARE(openMessageBox()->text(), QStringLiteral("0번에 있습니다."));

    // A search replaces the list with one short row while the box is up.
    m_fx.ui->txtName->setText(QStringLiteral("Arin0"));
    form.Command1_Click();
    QVERIFY(searched.wait(30000));
    QCOMPARE(form.results().count(), 1);

    openMessageBox()->accept();
    QCOMPARE(runToEnd(finished), QStringList {});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(m_fx.ui->txtnick->text(), QStringLiteral("닉네임"));
}

void TestForm1Rank::afterRealSearch()
{
    Form1 &form = *m_fx.form;
    QSignalSpy searched(&form, &Form1::searchFinished);
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(searched.wait(30000));
    QCOMPARE(form.results().count(), 100);

    // The number the message gives is the number the row shows.
    const sitesim::Character &c = sitesim::Roster().at(99);
    m_fx.ui->txtnick->setText(q(c.name));
    m_fx.ui->txtAdd->setText(q(c.server));
    QSignalSpy finished(&form, &Form1::rankLookupFinished);
    m_fx.ui->Command3->click();
    QCOMPARE(runToEnd(finished), QStringList { m_fx.cell(99, 0) + QStringLiteral("번에 있습니다.") });
}

QTEST_MAIN(TestForm1Rank)
#include "tst_form1_rank.moc"
