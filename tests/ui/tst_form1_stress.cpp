// Three hundred actions of a fixed seed on the real window, as an impatient user makes them:
// typing in Hangul and ASCII, Enter while a run is still in flight, paging, rank lookups, double
// clicks on a list that a newer run is refilling, the popup's items while their row changes
// under them; site-sim slow and losing a page now and then. Runs overlap and supersede each
// other, so what this catches are the faults of that overlap: a crash, a run that never ends,
// a window left unable to take input.

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <array>
#include <optional>
#include <random>

#include "form1fixture.h"

using thornvale::Form1;
using namespace uitest;
using namespace std::chrono_literals;

namespace {

// Names whose search fills the list: every character, three pages of "토른", a few of Latin or
// of one Hangul word.
const std::array<QString, 5> NamesWithRows = { QString(), QStringLiteral("토른"), QStringLiteral("Arin"),
    QStringLiteral("검은"), QStringLiteral("달빛") };

class Driver final {
public:
    explicit Driver(Fixture &fx)
        : m_fx(fx)
        , m_form(*fx.form)
        , m_site(*fx.site)
        , m_ui(*fx.ui)
    {
    }

    bool ready() const { return m_ui.txtName && m_ui.txtnick && m_ui.txtAdd && m_ui.LV && m_ui.menu34; }

    // One action drawn from the mix: searches for names with rows come often enough that many
    // runs end with a full list even though most are superseded early.
    void act()
    {
        enum Action {
            SearchName,
            TypeHangul,
            TypeAscii,
            EnterName,
            EnterServer,
            RankLookup,
            ClickButton,
            ClickBox,
            SelectRow,
            LeftDoubleClick,
            RightDoubleClick,
            PopupItem,
            SiteChange,
            AwaitRun,
            ActionCount
        };
        static const std::array<double, ActionCount> weights = { 22, 7, 7, 7, 4, 4, 9, 6, 6, 6, 3, 9, 2, 3 };
        std::discrete_distribution<int> pick(weights.begin(), weights.end());
        const int action = pick(m_plan);
        // Drawn with the action, so the number of searches run to their end is the same in every
        // run, however the timing varies the rest.
        const bool awaitIt = std::bernoulli_distribution(0.5)(m_plan);
        closeWhatIsOpen();
        switch (action) {
        case SearchName: {
            QTest::mouseClick(m_ui.txtName, Qt::LeftButton);
            type(m_ui.txtName, NamesWithRows[std::size_t(draw(0, int(NamesWithRows.size()) - 1))]);
            QTest::keyClick(m_ui.txtName, Qt::Key_Return);
            if (awaitIt)
                awaitRun();
            break;
        }
        case TypeHangul:
            type(anyBox(), hangul());
            break;
        case TypeAscii:
            type(anyBox(), ascii());
            break;
        case EnterName:
            QTest::keyClick(m_ui.txtName, draw(0, 1) ? Qt::Key_Return : Qt::Key_Enter);
            break;
        case EnterServer:
            QTest::keyClick(m_ui.txtAdd, Qt::Key_Return);
            break;
        case RankLookup: {
            // Mostly a character the list shows, so its rank box comes up; else one of the roster.
            const int rows = m_ui.LV->model()->rowCount();
            const sitesim::Character &other = sitesim::Roster()[std::size_t(draw(0, 40))];
            QString nickname = q(other.name);
            QString server = q(other.server);
            if (rows > 0 && draw(0, 3) > 0) {
                const int row = draw(0, rows - 1);
                nickname = m_ui.LV->model()->index(row, thornvale::ResultRow::Nickname).data().toString();
                server = m_ui.LV->model()->index(row, thornvale::ResultRow::Server).data().toString();
            }
            QTest::mouseClick(m_ui.txtnick, Qt::LeftButton);
            type(m_ui.txtnick, nickname);
            QTest::mouseClick(m_ui.txtAdd, Qt::LeftButton);
            type(m_ui.txtAdd, server);
            if (draw(0, 1))
                QTest::keyClick(m_ui.txtAdd, Qt::Key_Return);
            else
                QTest::mouseClick(m_ui.Command3, Qt::LeftButton);
            break;
        }
        case ClickButton: {
            const std::array<QPushButton *, 3> buttons = { m_ui.Command1, m_ui.Command2, m_ui.Command3 };
            QTest::mouseClick(buttons[std::size_t(draw(0, 2))], Qt::LeftButton);
            break;
        }
        case ClickBox:
            QTest::mouseClick(anyBox(), Qt::LeftButton);
            break;
        case SelectRow:
            if (const auto at = anyRow())
                QTest::mouseClick(m_ui.LV->viewport(), Qt::LeftButton, {}, *at);
            break;
        case LeftDoubleClick:
            // The popup stays open until the next action meets it.
            QTest::mouseDClick(m_ui.LV->viewport(), Qt::LeftButton, {}, anyRow().value_or(QPoint(30, 10)));
            break;
        case RightDoubleClick:
            QTest::mouseDClick(m_ui.LV->viewport(), Qt::RightButton, {}, anyRow().value_or(QPoint(30, 10)));
            break;
        case PopupItem: {
            if (const auto at = anyRow())
                QTest::mouseDClick(m_ui.LV->viewport(), Qt::LeftButton, {}, *at);
            if (!m_ui.menu34->isVisible())
                break;
            m_fx.triggerAction(draw(0, 2) ? "cmdcmd" : "gourl");
            m_ui.menu34->hide();
            break;
        }
        case SiteChange: {
            static const std::array<sitesim::Fault, 4> faults = { sitesim::Fault::None,
                sitesim::Fault::CloseMidBody, sitesim::Fault::ErrorStatus, sitesim::Fault::NoHeading };
            m_site.setFault(3, faults[std::size_t(draw(0, 3))]);
            m_site.setLatency(std::chrono::milliseconds(draw(20, 50)));
            break;
        }
        case AwaitRun:
            awaitRun();
            break;
        default:
            break;
        }
        // Long enough for a few fetches to land in the middle of the next action, never for a run.
        QTest::qWait(draw(0, 25));
    }

    // The rank lookup's boxes and the failure box, as the user closes them: OK or Escape. Each
    // rank box closed may bring the next one up.
    void closeWhatIsOpen()
    {
        for (int guard = 0; guard < 200; ++guard) {
            QMessageBox *box = nullptr;
            for (QMessageBox *candidate : m_form.findChildren<QMessageBox *>()) {
                if (candidate->isVisible())
                    box = candidate;
            }
            if (!box)
                break;
            if (draw(0, 1))
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            else
                QTest::keyClick(box, Qt::Key_Escape);
            QCoreApplication::processEvents();
        }
        if (m_ui.menu34->isVisible())
            QTest::keyClick(m_ui.menu34, Qt::Key_Escape);
    }

    void awaitRun()
    {
        if (!m_form.isSearching())
            return;
        QSignalSpy finished(&m_form, &Form1::searchFinished);
        if (!finished.wait(15000))
            m_stuckRuns++;
    }

    int stuckRuns() const { return m_stuckRuns; }

private:
    int draw(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_random); }

    QLineEdit *anyBox()
    {
        const std::array<QLineEdit *, 3> boxes = { m_ui.txtName, m_ui.txtnick, m_ui.txtAdd };
        return boxes[std::size_t(draw(0, 2))];
    }

    // Hangul comes as the input method commits it; QTest::keyClicks types ASCII only.
    void type(QLineEdit *box, const QString &text)
    {
        bool asciiOnly = true;
        for (QChar c : text)
            asciiOnly = asciiOnly && c.unicode() < 0x80;
        if (asciiOnly) {
            QTest::keyClicks(box, text);
            return;
        }
        QInputMethodEvent typed;
        typed.setCommitString(text);
        QCoreApplication::sendEvent(box, &typed);
    }

    QString hangul()
    {
        QString text;
        for (int n = draw(1, 4); n > 0; --n)
            text += QChar(char16_t(draw(0xAC00, 0xD7A3)));
        return text;
    }

    QString ascii()
    {
        QString text;
        for (int n = draw(1, 6); n > 0; --n)
            text += QChar(char16_t(draw(0x21, 0x7E)));
        return text;
    }

    // A point inside a row the list holds now, scrolled into view.
    std::optional<QPoint> anyRow()
    {
        const int rows = m_ui.LV->model()->rowCount();
        if (rows == 0)
            return std::nullopt;
        const QModelIndex index = m_ui.LV->model()->index(draw(0, rows - 1), draw(0, 5));
        m_ui.LV->scrollTo(index);
        const QRect cell = m_ui.LV->visualRect(index);
        if (!cell.isValid() || !m_ui.LV->viewport()->rect().contains(cell.center()))
            return std::nullopt;
        return cell.center();
    }

    const Fixture &m_fx;
    Form1 &m_form;
    sitesim::Server &m_site;
    const Form1Controls &m_ui;
    std::mt19937 m_plan { 20240611u }; // which action comes next
    std::mt19937 m_random { 20240612u }; // everything within an action
    int m_stuckRuns = 0;
};

} // namespace

class TestForm1Stress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomActions();
};

void TestForm1Stress::randomActions()
{
    Fixture fx;
    QVERIFY(fx.start());
    Form1 &form = *fx.form;
    sitesim::Server &site = *fx.site;
    site.setLatency(30ms);
    site.setFault(3, sitesim::Fault::CloseMidBody);

    QStringList opened;
    form.setBrowserLauncher([&opened](const QString &address) { opened << address; });
    int withRows = 0;
    connect(&form, &Form1::searchFinished, this, [&] {
        if (form.results().count() > 0)
            ++withRows;
    });

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    Driver driver(fx);
    QVERIFY(driver.ready());
    for (int action = 0; action < 300; ++action)
        driver.act();
    driver.awaitRun();
    driver.closeWhatIsOpen();

    QCOMPARE(driver.stuckRuns(), 0);
    QVERIFY2(withRows >= 20, qPrintable(QStringLiteral("%1 searches ended with rows").arg(withRows)));
    qInfo("%d searches ended with rows; %lld addresses opened", withRows, qlonglong(opened.size()));
    // "주소접속" only ever opens a character page of the site, whichever run filled the row.
    for (const QString &address : std::as_const(opened))
        QVERIFY2(address.startsWith(q(site.characterBase())), qPrintable(address));

    // The window still takes input as the window system delivers it: a click into the name box,
    // a typed letter.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QLineEdit *txtName = fx.ui->txtName;
    QTest::mouseClick(
        form.windowHandle(), Qt::LeftButton, {}, txtName->mapTo(&form, txtName->rect().center()));
    QTRY_VERIFY(txtName->hasFocus());
    QTest::keyClick(form.windowHandle(), Qt::Key_X, {});
    QTRY_VERIFY(txtName->text().endsWith(u'x'));
}

QTEST_MAIN(TestForm1Stress)
#include "tst_form1_stress.moc"
