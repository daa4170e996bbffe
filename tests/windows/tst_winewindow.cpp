// The window as a Windows user meets it, run under Wine: cross-built, pointed at a site-sim that
// runs on the host (THORNVALE_TEST_SITE), typed into through QTest. tests/windows/run.sh starts it
// with a private prefix, a logging xdg-open first on PATH (THORNVALE_TEST_OPENED) and a folder for
// screenshots and hand-offs (THORNVALE_TEST_WORK); it clicks the tray icon when the test asks.

#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <optional>

#include "qtbridge/qtbridge.h"
#include "ui/form1.h"
#include "ui/form1controls.h"

using thornvale::DetailPanel;
using thornvale::Form1;
using thornvale::toU16;
using uitest::openMessageBox;

namespace {

QString env(const char *name)
{
    return qEnvironmentVariable(name);
}

// The lines the logging xdg-open has written so far.
QStringList opened()
{
    QFile log(env("THORNVALE_TEST_OPENED"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// `text` drawn black on white in `font`, as the list draws it, fallback fonts included.
QImage drawn(const QString &text, const QFont &font)
{
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

int inkOf(const QImage &image)
{
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

} // namespace

class TestWineWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void searchForHangulNameFillsTheList();
    void detailFillsThePanel();
    void rankLookupShowsItsBox();
    void hangulIsDrawnWithGlyphs();
    void linksReachTheDesktop();
    void trayHidesAndTheIconBringsBack();
    void cleanupTestCase();

private:
    QString m_site;
    QString m_work;
    std::unique_ptr<Form1> m_form;
    std::optional<uitest::Form1Controls> m_ui;
};

void TestWineWindow::initTestCase()
{
    m_site = env("THORNVALE_TEST_SITE");
    m_work = env("THORNVALE_TEST_WORK");
    if (m_site.isEmpty() || m_work.isEmpty())
        QFAIL("run through tests/windows/run.sh, which sets THORNVALE_TEST_SITE and THORNVALE_TEST_WORK");

    thornvale::SiteConfig config = thornvale::SiteConfig::compiledIn();
    config.searchBase = toU16(m_site);
    config.characterBase = toU16(m_site + QStringLiteral("/characters/"));
    config.statusUrl = toU16(m_site + QStringLiteral("/status"));
    // One portal and one music choice lead to addresses the logging xdg-open can tell apart.
    config.invenUrl = toU16(m_site + QStringLiteral("/portal?name=%ED%86%A0%EB%A5%B8&page=2"));
    config.musicUrls[0] = toU16(m_site + QStringLiteral("/music/gayo"));
    m_form = std::make_unique<Form1>(config);
    m_ui.emplace(*m_form);

    QSignalSpy loaded(m_form.get(), &Form1::loadFinished);
    m_form->load();
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.first().first().toBool());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestWineWindow::searchForHangulNameFillsTheList()
{
    QSignalSpy searched(m_form.get(), &Form1::searchFinished);
    m_ui->txtName->setFocus();
    // Hangul reaches a Windows program through the input method, which commits whole syllables.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("토른"));
    QApplication::sendEvent(m_ui->txtName, &commit);
    QCOMPARE(m_ui->txtName->text(), QStringLiteral("토른"));
    QTest::keyClick(m_ui->txtName, Qt::Key_Return);
    QVERIFY(searched.wait(30000));

    QAbstractItemModel *list = m_ui->LV->model();
    QCOMPARE(list->rowCount(), 23);
    struct Cell {
        int row, column;
        QString text;
    };
    const Cell cells[] = {
        { 0, 0, QStringLiteral("0") },
        { 0, 1, QStringLiteral("토른전사12") },
        { 0, 2, QStringLiteral("이슬언덕") },
        { 0, 3, QStringLiteral("38") },
        { 0, 4, QStringLiteral("덩굴술사") },
        { 0, 5, QStringLiteral("가시요정") },
        { 0, 6, m_site + QStringLiteral("/characters/c0001") },
        { 2, 1, QStringLiteral("토른Cyrus") },
        { 2, 2, QStringLiteral("은방울숲") },
    };
    for (const Cell &c : cells)
        QCOMPARE(list->index(c.row, c.column).data().toString(), c.text);
}

void TestWineWindow::detailFillsThePanel()
{
    QAbstractItemModel *list = m_ui->LV->model();
    QVERIFY(list->rowCount() > 0);
    m_ui->LV->selectionModel()->select(
        list->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QSignalSpy done(m_form.get(), &Form1::detailFinished);
    QAction *direct = m_form->findChild<QAction *>(QStringLiteral("cmdcmd"));
    QVERIFY(direct);
    direct->trigger();
    QVERIFY(done.size() == 1 || done.wait(20000));

    QCOMPARE(m_ui->Label1[DetailPanel::Title]->text(), QStringLiteral("숲의 수호자"));
    QCOMPARE(m_ui->Label1[DetailPanel::Server]->text(), QStringLiteral("이슬언덕"));
    QCOMPARE(m_ui->Label1[DetailPanel::SubLine]->text(), QStringLiteral("38레벨 | 가시요정 | 달빛원정대"));
    QCOMPARE(m_ui->Label1[DetailPanel::Job]->text(), QStringLiteral("덩굴술사"));
    QCOMPARE(m_ui->Litem[1]->text(), QStringLiteral("견고한 장검"));
    QCOMPARE(m_ui->LDitem[1]->text(), QStringLiteral("고급"));
    QCOMPARE(m_ui->Litem[12]->text(), QStringLiteral("불타는 망토"));
}

void TestWineWindow::rankLookupShowsItsBox()
{
    QSignalSpy finished(m_form.get(), &Form1::rankLookupFinished);
    m_ui->txtnick->setText(QStringLiteral("토른Cyrus"));
    m_ui->txtAdd->setText(QStringLiteral("은방울숲"));
    m_ui->Command3->click();
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = openMessageBox()) != nullptr, 10000);
    QCOMPARE(box->text(), QStringLiteral("2번에 있습니다."));
    box->grab().save(m_work + QStringLiteral("/rank-box.png"));
    box->done(QMessageBox::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
}

void TestWineWindow::hangulIsDrawnWithGlyphs()
{
    // A missing glyph draws the same box for every character, or a question mark: two different
    // syllables drawn alike, or like a character no font has, mean the user sees no Korean.
    const QFont font = m_ui->LV->font();
    const QImage missing = drawn(QString(QChar(0xE000)), font);
    const QImage question = drawn(QStringLiteral("?"), font);
    const QImage to = drawn(QStringLiteral("토"), font);
    const QImage reun = drawn(QStringLiteral("른"), font);
    QVERIFY(inkOf(to) > 10);
    QVERIFY(inkOf(reun) > 10);
    QVERIFY(to != reun);
    for (const QImage *glyph : { &to, &reun }) {
        QVERIFY(*glyph != missing);
        QVERIFY(*glyph != question);
    }

    // The list as the screen shows it: the first row's nickname cell has ink, and the picture
    // is kept for a person to look at.
    QWidget *viewport = m_ui->LV->viewport();
    const QImage shot = viewport->grab().toImage();
    QVERIFY(shot.save(m_work + QStringLiteral("/list.png")));
    const QRect nickname = m_ui->LV->visualRect(m_ui->LV->model()->index(0, 1));
    QVERIFY(inkOf(shot.copy(nickname)) > 20);
    QVERIFY(m_form->grab().save(m_work + QStringLiteral("/window.png")));
}

void TestWineWindow::linksReachTheDesktop()
{
    // explorer.exe hands the address to winebrowser, which hands it to xdg-open: the address
    // arrives whole, query and escapes as they were.
    struct Link {
        const char *action;
        QString address;
    };
    const Link links[] = {
        { "inven", m_site + QStringLiteral("/portal?name=%ED%86%A0%EB%A5%B8&page=2") },
        { "gayo", m_site + QStringLiteral("/music/gayo") },
    };
    int expected = int(opened().size());
    for (const Link &link : links) {
        QAction *item = m_form->findChild<QAction *>(QLatin1String(link.action));
        QVERIFY2(item, link.action);
        item->trigger();
        ++expected;
        QTRY_COMPARE_WITH_TIMEOUT(opened().size(), expected, 20000);
        QCOMPARE(opened().constLast(), link.address);
    }
}

void TestWineWindow::trayHidesAndTheIconBringsBack()
{
    QAction *tray = m_form->findChild<QAction *>(QStringLiteral("menu2"));
    QVERIFY(tray);
    tray->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->isVisible(), 5000);

    // The harness finds the icon in Wine's tray window, keeps a picture of the balloon and clicks
    // the icon; the window comes back.
    QFile ask(m_work + QStringLiteral("/click-tray"));
    QVERIFY(ask.open(QIODevice::WriteOnly));
    ask.close();
    QTRY_VERIFY_WITH_TIMEOUT(m_form->isVisible(), 40000);
}

void TestWineWindow::cleanupTestCase()
{
    m_ui.reset();
    m_form.reset();
}

QTEST_MAIN(TestWineWindow)
#include "tst_winewindow.moc"
