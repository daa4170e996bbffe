// The detail view ("바로검색"): the panel filled from the selected row's character page, grades
// coloured, and what stays when the page lacks a part or cannot be had.

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "form1fixture.h"
#include "support/resultrows.h"
#include "ui/detailpanel.h"

#include <cmath>

using thornvale::DetailPanel;
using thornvale::Form1;
using namespace uitest;

namespace {

QColor colourOf(const QLabel *label)
{
    return label->palette().color(label->foregroundRole());
}

// Each grade's colour on a light window, as the site's own pages colour them.
const QList<QPair<QString, QString>> GradeColours = {
    { QStringLiteral("일반"), QStringLiteral("#808080") },
    { QStringLiteral("고급"), QStringLiteral("#00c000") },
    { QStringLiteral("희귀"), QStringLiteral("#0000ff") },
    { QStringLiteral("고대"), QStringLiteral("#ff00ff") },
    { QStringLiteral("영웅"), QStringLiteral("#ff8000") },
    { QStringLiteral("유일"), QStringLiteral("#ffc080") },
    { QStringLiteral("유물"), QStringLiteral("#ff0000") },
    { QStringLiteral("경이"), QStringLiteral("#804000") },
    { QStringLiteral("서사"), QStringLiteral("#00ffff") },
    { QStringLiteral("전설"), QStringLiteral("#ff8000") },
    { QStringLiteral("신화"), QStringLiteral("#ff0000") },
};

QString gradeColour(const QString &grade)
{
    for (const auto &[name, colour] : GradeColours) {
        if (name == grade)
            return colour;
    }
    return {};
}

const QString Separator = QStringLiteral(" | ");

// WCAG's contrast of two colours, as an accessibility checker measures it.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear
            = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestForm1Detail : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void character_data();
    void character();
    void gradeColours_data();
    void gradeColours();
    void secondCharacterWithFewerItems();
    void missingPartsShowDesignTexts();
    void failedFetch_data();
    void failedFetch();
    void noRowSelected();
    void newerDetailReplacesOlder();
    void searchDuringDetail();

private:
    // Selects the row and runs "바로검색" through the popup's action; waits for the panel.
    bool showRow(int row);
    void checkCharacter(const sitesim::Character &c);
    Fixture m_fx;
    QColor m_defaultColour;
};

void TestForm1Detail::init()
{
    QVERIFY(m_fx.start());
    Form1 &form = *m_fx.form;
    m_defaultColour = colourOf(m_fx.ui->LDitem[1]);
    // The full roster, in order: row i is character i.
    QSignalSpy searched(&form, &Form1::searchFinished);
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(searched.wait(30000));
    QCOMPARE(form.results().count(), 100);
}

void TestForm1Detail::cleanup()
{
    m_fx.reset();
}

bool TestForm1Detail::showRow(int row)
{
    Form1 &form = *m_fx.form;
    m_fx.selectRow(row);
    QSignalSpy done(&form, &Form1::detailFinished);
    m_fx.triggerAction("cmdcmd");
    return done.size() == 1 || done.wait(10000);
}

void TestForm1Detail::checkCharacter(const sitesim::Character &c)
{
    for (int k = 1; k <= 20; ++k) {
        const bool has = std::size_t(k) <= c.items.size();
        QCOMPARE(m_fx.ui->Litem[std::size_t(k)]->text(),
            has ? q(c.items[std::size_t(k - 1)].name) : QStringLiteral("장비명"));
        if (k > 18)
            continue;
        QCOMPARE(m_fx.ui->LDitem[std::size_t(k)]->text(),
            has ? q(c.items[std::size_t(k - 1)].grade) : QStringLiteral("등급"));
        if (has)
            QCOMPARE(colourOf(m_fx.ui->LDitem[std::size_t(k)]).name(),
                gradeColour(q(c.items[std::size_t(k - 1)].grade)));
    }
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Title]->text(), c.hasTitle ? q(c.title) : QStringLiteral("칭호"));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Nickname]->text(), q(c.name));
    QCOMPARE(
        m_fx.ui->Label1[DetailPanel::Server]->text(), c.serverWithAt ? q(c.server) : QStringLiteral("서버"));
    QStringList parts;
    for (std::size_t j = 0; j < 3; ++j)
        parts << (j < c.subParts.size() ? q(c.subParts[j]) : QString());
    QCOMPARE(m_fx.ui->Label1[DetailPanel::SubLine]->text(), parts.join(Separator));
    QCOMPARE(
        m_fx.ui->Label1[DetailPanel::Job]->text(), c.hasClass ? q(c.job) : QStringLiteral("직업( 3특성)"));
    // The headers follow their captions.
    for (auto e : { DetailPanel::Title, DetailPanel::Job, DetailPanel::SubLine, DetailPanel::Server,
             DetailPanel::Nickname })
        QCOMPARE(m_fx.ui->Label1[e]->size(), m_fx.ui->Label1[e]->sizeHint());
}

void TestForm1Detail::character_data()
{
    QTest::addColumn<int>("row");

    QTest::newRow("25 items: names to 20, grades to 18") << int(sitesim::kWith25Items);
    QTest::newRow("12 items") << int(sitesim::kWith12Items);
    QTest::newRow("3 items, sub-line of two spans") << int(sitesim::kWith3Items);
    QTest::newRow("no items, no title") << int(sitesim::kWithNoItems);
    QTest::newRow("server written without @") << int(sitesim::kServerWithoutAt);
    QTest::newRow("no sub-line block") << int(sitesim::kWithoutSubLine);
    QTest::newRow("no class") << int(sitesim::kWithoutClass);
    QTest::newRow("address with a trailing slash") << int(sitesim::kAddressWithSlash);
    QTest::newRow("address with a query") << int(sitesim::kAddressWithQuery);
}

void TestForm1Detail::character()
{
    QFETCH(int, row);
    QVERIFY(showRow(row));
    checkCharacter(sitesim::Roster().at(std::size_t(row)));
}

// The grade table's colours on a light panel; on a dark one (the GTK dark theme's #323232) the same
// hue, light enough to read.
void TestForm1Detail::gradeColours_data()
{
    QTest::addColumn<QString>("grade");
    QTest::addColumn<QString>("light");

    for (const auto &[grade, colour] : GradeColours)
        QTest::newRow(qPrintable(grade)) << grade << colour;
}

void TestForm1Detail::gradeColours()
{
    QFETCH(QString, grade);
    QFETCH(QString, light);

    Form1 &form = *m_fx.form;
    auto *panel = form.findChild<DetailPanel *>();
    QVERIFY(panel);
    QLabel *label = m_fx.ui->LDitem[1];
    label->setText(grade);
    panel->ColourGradeLabels();
    QCOMPARE(colourOf(label).name(), light);

    const QColor background(0x32, 0x32, 0x32);
    QPalette dark = form.palette();
    dark.setColor(QPalette::Window, background);
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    form.setPalette(dark);
    panel->ColourGradeLabels();
    const QColor onDark = QColor(colourOf(label).rgb());
    QVERIFY2(contrast(onDark, background) >= 4.5, qPrintable(onDark.name()));
    QVERIFY2(std::abs(onDark.hslHue() - QColor(light).hslHue()) <= 1, qPrintable(onDark.name()));
}

void TestForm1Detail::secondCharacterWithFewerItems()
{
    QVERIFY(showRow(int(sitesim::kWith12Items)));
    std::array<QColor, 19> first;
    for (int k = 1; k <= 18; ++k)
        first[std::size_t(k)] = colourOf(m_fx.ui->LDitem[std::size_t(k)]);

    QVERIFY(showRow(int(sitesim::kWith3Items)));
    checkCharacter(sitesim::Roster().at(sitesim::kWith3Items));
    for (int k = 4; k <= 12; ++k) {
        QCOMPARE(m_fx.ui->Litem[std::size_t(k)]->text(), QStringLiteral("장비명"));
        QCOMPARE(m_fx.ui->LDitem[std::size_t(k)]->text(), QStringLiteral("등급"));
        // Colours are never reset: the first character's grades still colour these rows.
        QCOMPARE(colourOf(m_fx.ui->LDitem[std::size_t(k)]), first[std::size_t(k)]);
    }
    for (int k = 13; k <= 18; ++k)
        QCOMPARE(colourOf(m_fx.ui->LDitem[std::size_t(k)]), m_defaultColour);
}

void TestForm1Detail::missingPartsShowDesignTexts()
{
    // First a character with everything, then ones lacking one part each: no value of the first
    // may stay next to the new name.
    QVERIFY(showRow(0));
    QVERIFY(m_fx.ui->Label1[DetailPanel::Title]->text() != QStringLiteral("칭호"));
    QVERIFY(showRow(int(sitesim::kWithoutTitle)));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Title]->text(), QStringLiteral("칭호"));
    QCOMPARE(
        m_fx.ui->Label1[DetailPanel::Server]->text(), q(sitesim::Roster()[sitesim::kWithoutTitle].server));

    QVERIFY(showRow(0));
    QVERIFY(showRow(int(sitesim::kServerWithoutAt)));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Server]->text(), QStringLiteral("서버"));

    QVERIFY(showRow(0));
    QVERIFY(showRow(int(sitesim::kWithoutClass)));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Job]->text(), QStringLiteral("직업( 3특성)"));
    QCOMPARE(
        m_fx.ui->Label1[DetailPanel::Nickname]->text(), q(sitesim::Roster()[sitesim::kWithoutClass].name));
}

void TestForm1Detail::failedFetch_data()
{
    QTest::addColumn<QString>("address"); // "dead": a server that is gone; "@": site-sim's base
    QTest::addColumn<QString>("cause");
    QTest::newRow("address leads nowhere")
        << QStringLiteral("dead") << QStringLiteral("서버에 연결할 수 없습니다.");
    QTest::newRow("no address: nothing asked for") << QString() << QStringLiteral("캐릭터 주소가 없습니다.");
    // The page holds a whole character, but the server said no: nothing of it is shown.
    QTest::newRow("character page under 404") << QStringLiteral("@/hostile/character/error?status=404")
                                              << QStringLiteral("서버가 오류로 답했습니다 (HTTP 404).");
    QTest::newRow("character page under 401") << QStringLiteral("@/hostile/character/error?status=401")
                                              << QStringLiteral("서버가 오류로 답했습니다 (HTTP 401).");
}

void TestForm1Detail::failedFetch()
{
    QFETCH(QString, address);
    QFETCH(QString, cause);
    QVERIFY(showRow(0));
    thornvale::ResultModel *list = m_fx.model();
    sitesim::Server gone;
    QVERIFY(gone.start());
    const QString deadAddress = q(gone.characterBase() + "c0001");
    gone.stop();
    const bool asksTheSite = address.startsWith(u'@');
    if (address == u"dead")
        address = deadAddress;
    else if (asksTheSite)
        address.replace(0, 1, q(m_fx.site->baseUrl()));
    thornvale::test::AppendRows(*list, { { u"없는사람", u"", thornvale::toU16(address) } });

    const std::size_t requests = m_fx.site->requestsServed();
    QVERIFY(showRow(list->count() - 1));
    QCOMPARE(m_fx.site->requestsServed(), requests + (asksTheSite ? 1 : 0));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::SubLine]->text(), QStringLiteral(" |  | "));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Nickname]->text(), QStringLiteral("없는사람"));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Title]->text(), QStringLiteral("칭호"));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Server]->text(), QStringLiteral("서버"));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Job]->text(), QStringLiteral("직업( 3특성)"));
    for (int k = 1; k <= 20; ++k)
        QCOMPARE(m_fx.ui->Litem[std::size_t(k)]->text(), QStringLiteral("장비명"));
    // The colours of the first character's grades stay.
    const auto &items = sitesim::Roster()[0].items;
    for (int k = 1; k <= 18; ++k)
        QCOMPARE(colourOf(m_fx.ui->LDitem[std::size_t(k)]).name(),
            gradeColour(q(items[std::size_t(k - 1)].grade)));
    // The user is told, after the panel was reset, that the page could not be had.
    QMessageBox *box = openMessageBox();
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("캐릭터 정보를 받지 못했습니다.\r\n") + cause);
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    box->accept();
}

void TestForm1Detail::noRowSelected()
{
    Form1 &form = *m_fx.form;
    QVERIFY(showRow(2));
    m_fx.ui->LV->clearSelection();
    QSignalSpy done(&form, &Form1::detailFinished);
    m_fx.triggerAction("cmdcmd");
    QTRY_COMPARE(done.size(), 1);
    // Nothing to fetch: the rows reset, the nickname stays, the level line has only separators.
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Nickname]->text(), q(sitesim::Roster()[2].name));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::SubLine]->text(), QStringLiteral(" |  | "));
    QCOMPARE(m_fx.ui->Litem[1]->text(), QStringLiteral("장비명"));
}

void TestForm1Detail::newerDetailReplacesOlder()
{
    Form1 &form = *m_fx.form;
    m_fx.site->setLatency(std::chrono::milliseconds(300));
    QSignalSpy done(&form, &Form1::detailFinished);
    m_fx.selectRow(0);
    m_fx.triggerAction("cmdcmd");
    m_fx.selectRow(int(sitesim::kWith3Items));
    m_fx.triggerAction("cmdcmd");
    QVERIFY(done.wait(10000));
    QCOMPARE(done.size(), 1);
    checkCharacter(sitesim::Roster().at(sitesim::kWith3Items));
}

void TestForm1Detail::searchDuringDetail()
{
    Form1 &form = *m_fx.form;
    m_fx.site->setLatency(std::chrono::milliseconds(300));
    QSignalSpy done(&form, &Form1::detailFinished);
    QSignalSpy searched(&form, &Form1::searchFinished);
    m_fx.selectRow(int(sitesim::kWith12Items));
    m_fx.triggerAction("cmdcmd");
    // The search empties the list before the page arrives: the panel still shows the character,
    // but there is no selected row any more to take the nickname from.
    m_fx.ui->txtName->setText(QStringLiteral("토른"));
    QTest::keyClick(m_fx.ui->txtName, Qt::Key_Return);
    QVERIFY(done.wait(10000));
    const sitesim::Character &c = sitesim::Roster().at(sitesim::kWith12Items);
    QCOMPARE(m_fx.ui->Litem[12]->text(), q(c.items[11].name));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Title]->text(), q(c.title));
    QCOMPARE(m_fx.ui->Label1[DetailPanel::Nickname]->text(), QStringLiteral("닉네임"));
    QVERIFY(searched.wait(30000));
    QCOMPARE(form.results().count(), 23);
}

QTEST_MAIN(TestForm1Detail)
#include "tst_form1_detail.moc"
