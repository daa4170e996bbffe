// The input boxes and the list: which clicks and focus moves empty a box, where the focus jumps,
// which Enter starts what, and the list's popup on a double click.

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include <QClipboard>

#include "form1fixture.h"

using thornvale::Form1;
using namespace uitest;

class TestForm1Input : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void clickEmptiesBox_data();
    void clickEmptiesBox();
    void focusArrivalEmptiesServerBox_data();
    void focusArrivalEmptiesServerBox();
    void leavingNicknameBoxJumpsToServerBox_data();
    void leavingNicknameBoxJumpsToServerBox();
    void windowSwitchLeavesFocusAlone();
    void enterKeys_data();
    void enterKeys();
    void doubleClickOpensPopup_data();
    void doubleClickOpensPopup();
    void copyRow();
    void copyRowEscapesControls();

private:
    QLineEdit *box(const QString &name) const { return m_fx.form->findChild<QLineEdit *>(name); }
    Fixture m_fx;
};

void TestForm1Input::init()
{
    QVERIFY(m_fx.start());
    m_fx.form->show();
    QApplication::setActiveWindow(m_fx.form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_fx.form.get()));
}

void TestForm1Input::cleanup()
{
    if (QMessageBox *open = openMessageBox())
        open->accept();
    m_fx.reset();
}

void TestForm1Input::clickEmptiesBox_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("focusedBefore");

    QTest::newRow("name box holding a name") << "txtName" << QStringLiteral("검은달") << false;
    QTest::newRow("name box clicked again while focused") << "txtName" << QStringLiteral("검은달") << true;
    QTest::newRow("nickname box holding its hint") << "txtnick" << QStringLiteral("닉네임") << false;
    QTest::newRow("nickname box clicked again while focused") << "txtnick" << QStringLiteral("Arin0") << true;
    QTest::newRow("server box holding its hint") << "txtAdd" << QStringLiteral("서버명") << false;
    QTest::newRow("server box clicked again while focused") << "txtAdd" << QStringLiteral("가시골") << true;
}

void TestForm1Input::clickEmptiesBox()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, focusedBefore);

    QLineEdit *edit = this->box(box);
    QVERIFY(edit);
    if (focusedBefore) {
        QTest::mouseClick(edit, Qt::LeftButton);
        QTRY_VERIFY(edit->hasFocus());
    }
    edit->setText(text);
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(edit->text(), QString());
    // The box is still usable: it types after the click.
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QCOMPARE(edit->text(), QStringLiteral("ab"));
}

void TestForm1Input::focusArrivalEmptiesServerBox_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Tab from the control before it") << "tab";
    QTest::newRow("Shift+Tab from the control after it") << "backtab";
    QTest::newRow("focus set by a click") << "click";
}

void TestForm1Input::focusArrivalEmptiesServerBox()
{
    QFETCH(QString, how);

    m_fx.ui->txtAdd->setText(QStringLiteral("가시골"));
    if (how == QLatin1String("tab")) {
        m_fx.ui->pic1->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(m_fx.ui->pic1->hasFocus());
        QTest::keyClick(m_fx.ui->pic1, Qt::Key_Tab);
    } else if (how == QLatin1String("backtab")) {
        m_fx.ui->Command1->setEnabled(true);
        m_fx.ui->Command1->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(m_fx.ui->Command1->hasFocus());
        QTest::keyClick(m_fx.ui->Command1, Qt::Key_Backtab, Qt::ShiftModifier);
    } else {
        QTest::mousePress(m_fx.ui->txtAdd, Qt::LeftButton);
        // Emptied on arrival, before the button comes up.
        QVERIFY(m_fx.ui->txtAdd->hasFocus());
        QCOMPARE(m_fx.ui->txtAdd->text(), QString());
        QTest::mouseRelease(m_fx.ui->txtAdd, Qt::LeftButton);
    }
    QTRY_VERIFY(m_fx.ui->txtAdd->hasFocus());
    QCOMPARE(m_fx.ui->txtAdd->text(), QString());
}

void TestForm1Input::leavingNicknameBoxJumpsToServerBox_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Tab lands in txtAdd, not in Command3") << "tab";
    QTest::newRow("click into the name box") << "clickName";
    QTest::newRow("click into the list") << "clickList";
}

void TestForm1Input::leavingNicknameBoxJumpsToServerBox()
{
    QFETCH(QString, how);

    QTest::mouseClick(m_fx.ui->txtnick, Qt::LeftButton);
    QTRY_VERIFY(m_fx.ui->txtnick->hasFocus());
    QTest::keyClicks(m_fx.ui->txtnick, QStringLiteral("Arin0"));
    m_fx.ui->txtAdd->setText(QStringLiteral("가시골"));

    if (how == QLatin1String("tab"))
        QTest::keyClick(m_fx.ui->txtnick, Qt::Key_Tab);
    else if (how == QLatin1String("clickName"))
        QTest::mouseClick(m_fx.ui->txtName, Qt::LeftButton);
    else
        QTest::mouseClick(m_fx.ui->LV->viewport(), Qt::LeftButton);

    QTRY_VERIFY(m_fx.ui->txtAdd->hasFocus());
    QCOMPARE(m_fx.ui->txtAdd->text(), QString());
    QCOMPARE(m_fx.ui->txtnick->text(), QStringLiteral("Arin0"));
}

void TestForm1Input::windowSwitchLeavesFocusAlone()
{
    Form1 &form = *m_fx.form;
    QTest::mouseClick(m_fx.ui->txtnick, Qt::LeftButton);
    QTRY_VERIFY(m_fx.ui->txtnick->hasFocus());
    m_fx.ui->txtnick->setText(QStringLiteral("Arin0"));
    m_fx.ui->txtAdd->setText(QStringLiteral("가시골"));

    // Another window takes over and hands back: no jump, nothing emptied.
    QWidget other;
    other.setWindowTitle(QStringLiteral("other"));
    other.resize(100, 100);
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!m_fx.ui->txtnick->hasFocus());
    other.close();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_VERIFY(m_fx.ui->txtnick->hasFocus());
    QCOMPARE(form.focusWidget(), m_fx.ui->txtnick);
    QCOMPARE(m_fx.ui->txtAdd->text(), QStringLiteral("가시골"));
}

void TestForm1Input::enterKeys_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("lookup");

    QTest::newRow("Enter in txtAdd runs the lookup") << "txtAdd" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter in txtAdd runs it too") << "txtAdd" << int(Qt::Key_Enter) << true;
    QTest::newRow("a letter in txtAdd only types") << "txtAdd" << int(Qt::Key_X) << false;
    QTest::newRow("Enter in txtnick only types") << "txtnick" << int(Qt::Key_Return) << false;
}

void TestForm1Input::enterKeys()
{
    QFETCH(QString, box);
    QFETCH(int, key);
    QFETCH(bool, lookup);

    Form1 &form = *m_fx.form;
    // Two rows that the hints themselves match: Enter with the hints in place looks for them.
    thornvale::ResultModel *list = m_fx.model();
    for (const char16_t *number : { u"0", u"1" }) {
        list->append(number);
        list->setLastCell(thornvale::ResultRow::Nickname, u"닉네임");
        list->setLastCell(thornvale::ResultRow::Server, u"서버명");
    }
    QLineEdit *edit = this->box(box);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_VERIFY(edit->hasFocus());
    m_fx.ui->txtnick->setText(QStringLiteral("닉네임"));
    m_fx.ui->txtAdd->setText(QStringLiteral("서버명"));

    QSignalSpy finished(&form, &Form1::rankLookupFinished);
    QSignalSpy returned(edit, &QLineEdit::returnPressed);
    QTest::keyClick(edit, Qt::Key(key));
    if (!lookup) {
        QVERIFY(!openMessageBox());
        QCOMPARE(finished.size(), 0);
        if (key == Qt::Key_Return)
            QCOMPARE(returned.size(), 1);
        return;
    }
    // The key was not swallowed: the box saw it too.
    QCOMPARE(returned.size(), 1);
    for (const QString &expected : { QStringLiteral("0번에 있습니다."), QStringLiteral("1번에 있습니다.") }) {
        QTRY_VERIFY_WITH_TIMEOUT(openMessageBox(), 5000);
        QMessageBox *shown = openMessageBox();
        QCOMPARE(shown->text(), expected);
        // As a desktop does: the box takes the activation, and gives it back when it closes.
        QApplication::setActiveWindow(shown);
        QTRY_VERIFY(shown->isActiveWindow());
        shown->accept();
        QTRY_VERIFY(openMessageBox() != shown);
    }
    QTRY_COMPARE(finished.size(), 1);
    // The focus coming back into txtAdd with the window is no move of the user's and must not
    // empty the hint just put back.
    QApplication::setActiveWindow(&form);
    QTRY_VERIFY(m_fx.ui->txtAdd->hasFocus());
    QCOMPARE(m_fx.ui->txtnick->text(), QStringLiteral("닉네임"));
    QCOMPARE(m_fx.ui->txtAdd->text(), QStringLiteral("서버명"));
}

void TestForm1Input::doubleClickOpensPopup_data()
{
    QTest::addColumn<bool>("withRows");
    QTest::addColumn<Qt::MouseButton>("button");

    QTest::newRow("empty list") << false << Qt::LeftButton;
    QTest::newRow("on a row") << true << Qt::LeftButton;
    QTest::newRow("right button: no menu") << true << Qt::RightButton;
}

void TestForm1Input::doubleClickOpensPopup()
{
    QFETCH(bool, withRows);
    QFETCH(Qt::MouseButton, button);

    Form1 &form = *m_fx.form;
    if (withRows) {
        QSignalSpy finished(&form, &Form1::searchFinished);
        m_fx.ui->txtName->setText(QStringLiteral("토른"));
        QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
        QVERIFY(finished.wait(30000));
    }
    QVERIFY(!m_fx.ui->menu34->isVisible());
    const QPoint at(30, 10);
    QTest::mouseDClick(m_fx.ui->LV->viewport(), button, {}, at);
    if (button != Qt::LeftButton) {
        QVERIFY(!m_fx.ui->menu34->isVisible());
        return;
    }
    QTRY_VERIFY(m_fx.ui->menu34->isVisible());
    QCOMPARE(m_fx.ui->menu34->pos(), m_fx.ui->LV->viewport()->mapToGlobal(at));
    m_fx.ui->menu34->hide();
}

// Ctrl+C in the list copies the selected row whole, tab-separated.
void TestForm1Input::copyRow()
{
    Form1 &form = *m_fx.form;
    QSignalSpy finished(&form, &Form1::searchFinished);
    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(finished.wait(30000));
    QGuiApplication::clipboard()->clear();
    m_fx.selectRow(2);
    m_fx.ui->LV->setFocus();
    QTest::keySequence(m_fx.ui->LV, QKeySequence::Copy);
    QStringList cells;
    for (int c = 0; c < 7; ++c)
        cells << m_fx.cell(2, c);
    QCOMPARE(QGuiApplication::clipboard()->text(), cells.join(u'\t'));
}

// A row pasted into a terminal must not act: a nickname that hides a line feed and a command
// behind a bidi override and a concealing escape arrives as the CLI would write it.
void TestForm1Input::copyRowEscapesControls()
{
    thornvale::ResultModel *list = m_fx.model();
    list->clear();
    list->append(u"0");
    list->setLastCell(thornvale::ResultRow::Nickname, u"\u202e악당\x1b[8m\nrm -rf ~\r");
    list->setLastCell(thornvale::ResultRow::Server, u"가시\u061c골\t");
    list->setLastCell(thornvale::ResultRow::Address, u"http://c.example/characters/k");
    QGuiApplication::clipboard()->clear();
    m_fx.selectRow(0);
    m_fx.ui->LV->setFocus();
    QTest::keySequence(m_fx.ui->LV, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(),
        QStringLiteral("0\t\\u202e악당\\x1b[8m\\x0arm -rf ~\\x0d\t가시\\u061c골\\x09\t\t\t\t"
                       "http://c.example/characters/k"));
}

QTEST_MAIN(TestForm1Input)
#include "tst_form1_input.moc"
