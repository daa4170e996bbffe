#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

#include "net/pagefetcher.h"
#include "net/qtbridge.h"
#include "search/fetchfailure.h"
#include "search/ranklookup.h"
#include "search/servicestatus.h"
#include "shell/links.h"
#include "shell/musicstrip.h"
#include "shell/programicon.h"
#include "shell/traymode.h"
#include "ui/resultmodel.h"
#include "ui/twips.h"

namespace thornvale {

namespace {

// The desktop colour roles the layout is drawn in, as the Qt palette names them:
//   window background -> Base, window text -> Text, highlight -> Highlight,
//   active border -> Mid (the palette has no border role; Mid is what styles draw frames with).
constexpr QPalette::ColorRole WindowBackground = QPalette::Base;
constexpr QPalette::ColorRole WindowText = QPalette::Text;
constexpr QPalette::ColorRole Highlight = QPalette::Highlight;
constexpr QPalette::ColorRole ActiveBorder = QPalette::Mid;

// Windows that must show no title. Qt puts the application's name into a title bar whose title
// is empty, and no public call stops it; a single space is blank on every window system.
const QString BlankTitle = QStringLiteral(" ");

const QString ItemDesign = QStringLiteral("장비명");
const QString GradeDesign = QStringLiteral("등급");
const QString TitleDesign = QStringLiteral("칭호");
const QString JobDesign = QStringLiteral("직업( 3특성)");
const QString SubLineDesign = QStringLiteral("레벨 종족 원정대");
const QString ServerDesign = QStringLiteral("서버");
const QString NicknameDesign = QStringLiteral("닉네임");

constexpr int ItemRows = 20;
constexpr int GradeRows = 18;

// One line of the detail panel, drawn one pixel wide beneath every control.
class PanelLine final : public QWidget {
public:
    PanelLine(QPalette::ColorRole role, QWidget *parent)
        : QWidget(parent)
        , m_role(role)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(m_role));
    }

private:
    QPalette::ColorRole m_role;
};

struct LineSpec {
    const char *name;
    int x1, y1, x2, y2;
    QPalette::ColorRole role;
};

constexpr std::array<LineSpec, 17> PanelLines = { {
    { "Line10", 5160, 120, 10920, 120, WindowText },
    { "Line8", 5160, 1200, 5160, 120, WindowText },
    { "Line9", 10920, 1200, 10920, 120, WindowText },
    { "Line1", 5160, 1200, 10920, 1200, WindowText },
    { "Line4", 5160, 7080, 5160, 1200, WindowText },
    { "Line3", 10920, 1200, 10920, 7080, WindowText },
    { "Line2", 5160, 7080, 10920, 7080, WindowText },
    { "Line5", 8040, 1200, 8040, 7080, ActiveBorder },
    { "Line6_0", 5160, 1800, 10920, 1800, ActiveBorder },
    { "Line7", 5160, 2400, 10920, 2400, ActiveBorder },
    { "Line6_1", 5160, 3000, 10920, 3000, ActiveBorder },
    { "Line6_2", 5160, 3600, 10920, 3600, ActiveBorder },
    { "Line6_3", 5160, 4200, 10920, 4200, ActiveBorder },
    { "Line6_4", 5160, 4800, 10920, 4800, ActiveBorder },
    { "Line6_5", 5160, 5400, 10920, 5400, ActiveBorder },
    { "Line6_6", 5160, 6000, 10920, 6000, ActiveBorder },
    { "Line6_7", 5160, 6600, 10920, 6600, ActiveBorder },
} };

// Where element k of the equipment grid sits: grid row (0-based) and column. The elements were
// numbered before the grid was laid out, so 1 and 19 ended up at the bottom of the right column.
struct GridCell {
    int row;
    bool right;
};

constexpr GridCell gridCell(int k)
{
    if (k == 1)
        return { 8, true };
    if (k == 19)
        return { 9, true };
    return { k / 2 - 1, k % 2 == 1 };
}

// The face the layout was drawn with, else a Hangul face the system has.
QString hangulFamily()
{
    const QStringList families = QFontDatabase::families();
    for (const QString &name : { QStringLiteral("맑은 고딕"), QStringLiteral("Malgun Gothic"),
             QStringLiteral("Noto Sans CJK KR") }) {
        if (families.contains(name))
            return name;
    }
    return {};
}

// The character a key event types, as the key-press handlers take it, or -1 for keys that type
// nothing (arrows, modifiers) and for Tab, which moves the focus instead of typing.
int characterCode(const QKeyEvent *key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return 13;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty())
        return -1;
    return key->text().at(0).unicode();
}

// Focus that comes or goes because another window took over (a message box, a popup, another
// program) is no move of the user's within this window.
bool isWindowSwitch(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason;
}

} // namespace

Form1::Form1(SiteConfig config, QWidget *parent)
    : QMainWindow(
        parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , m_config(std::move(config))
    , m_results(new ResultModel(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Thornvale 캐릭터 정보검색 프로그램"));

    QFont face = font();
    if (const QString family = hangulFamily(); !family.isEmpty())
        face.setFamilies({ family });
    face.setPointSize(9);
    setFont(face);

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(11055), px(7185));
    setCentralWidget(client);

    // Lines first: the panel draws them on the window's surface, under every control.
    buildDetailPanel(client);
    buildControls(client);
    buildMenus();
    connectShell();

    // The window keeps its design size; the menu bar's height comes on top of the client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtName, LV);
    setTabOrder(LV, pic1);
    setTabOrder(pic1, txtAdd);
    setTabOrder(txtAdd, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, txtnick);
    setTabOrder(txtnick, Command3);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1024);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    for (QObject *box : { static_cast<QObject *>(txtName), static_cast<QObject *>(txtnick),
             static_cast<QObject *>(txtAdd), static_cast<QObject *>(LV->viewport()) })
        box->installEventFilter(this);
}

Form1::~Form1()
{
    stopSearch();
    if (m_detailFetch)
        m_detailFetch->abort();
    delete m_closedBox;
    // The model goes with the window; a run must not outlive it.
    m_search.reset();
    m_retiredSearch.reset();
}

void Form1::buildControls(QWidget *client)
{
    auto lineEdit = [client](const char *name, const QString &text, QRect geometry) {
        auto *box = new QLineEdit(text, client);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(geometry);
        return box;
    };
    auto button = [client](const char *name, const QString &text, QRect geometry) {
        auto *b = new QPushButton(text, client);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };

    txtName = lineEdit("txtName", QString(), pxRect(120, 120, 4935, 330));
    txtnick = lineEdit("txtnick", toQString(NicknameHint), pxRect(120, 510, 1815, 330));
    txtAdd = lineEdit("txtAdd", toQString(ServerHint), pxRect(2040, 495, 1815, 330));
    Command3 = button("Command3", QStringLiteral("상세검색"), pxRect(3960, 495, 1095, 345));

    LV = new QTreeView(client);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setGeometry(pxRect(120, 900, 4935, 5865));
    LV->setModel(m_results);
    LV->setRootIsDecorated(false);
    LV->setItemsExpandable(false);
    LV->setUniformRowHeights(true);
    LV->setAllColumnsShowFocus(true);
    LV->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV->setSelectionMode(QAbstractItemView::SingleSelection);
    LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV->setBackgroundRole(WindowBackground);
    LV->setForegroundRole(WindowText);
    QHeaderView *header = LV->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The address column is one twip wide on purpose: it carries the address without showing it.
    header->setMinimumSectionSize(0);
    const std::array<int, ResultRow::CellCount> widths = { 400, 1000, 1300, 500, 1300, 1100, 1 };
    for (int c = 0; c < ResultRow::CellCount; ++c)
        header->resizeSection(c, px(widths[std::size_t(c)]));
    // Ctrl+C copies the selected row whole, as users expect of any list; the view's own copy
    // would take only the current cell.
    auto *copyRow = new QAction(LV);
    copyRow->setObjectName(QStringLiteral("copyRow"));
    copyRow->setShortcut(QKeySequence::Copy);
    copyRow->setShortcutContext(Qt::WidgetShortcut);
    LV->addAction(copyRow);
    connect(copyRow, &QAction::triggered, this, &Form1::copySelectedRow);

    Command1 = button("Command1", QStringLiteral("처음으로"), pxRect(120, 6840, 2535, 255));
    Command1->setEnabled(false);
    Command2 = button("Command2", QStringLiteral("다음 페이지"), pxRect(2760, 6840, 2295, 255));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);

    P = new QWidget(client);
    P->setObjectName(QStringLiteral("P"));
    P->setGeometry(pxRect(6120, 240, 300, 330));
    P->setVisible(false);

    pic1 = new QWidget(client);
    pic1->setObjectName(QStringLiteral("pic1"));
    pic1->setGeometry(pxRect(7680, 240, 3150, 320));
    pic1->setBackgroundRole(WindowBackground);
    pic1->setForegroundRole(WindowText);
    pic1->setAutoFillBackground(true);
    pic1->setFocusPolicy(Qt::TabFocus);

    Label2 = new QLabel(QStringLiteral("음악 출저 : 하늘음악창고"), client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    Label2->setGeometry(pxRect(8400, 555, 2415, 255));
}

void Form1::buildDetailPanel(QWidget *client)
{
    for (const LineSpec &ln : PanelLines) {
        auto *line = new PanelLine(ln.role, client);
        line->setObjectName(QString::fromLatin1(ln.name));
        line->setGeometry(QRect(QPoint(px(std::min(ln.x1, ln.x2)), px(std::min(ln.y1, ln.y2))),
            QPoint(px(std::max(ln.x1, ln.x2)), px(std::max(ln.y1, ln.y2)))));
    }

    // Scraped text is shown as the page holds it, so no label may read it as markup.
    auto label = [client](const QString &name, const QString &text) {
        auto *l = new QLabel(text, client);
        l->setObjectName(name);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    QFont bold;
    bold.setBold(true);

    struct HeaderSpec {
        int element;
        const QString &text;
        int left, top, width, height;
    };
    const HeaderSpec headers[] = {
        { 0, TitleDesign, 5280, 120, 360, 225 },
        { 5, NicknameDesign, 5280, 360, 540, 225 },
        { 4, ServerDesign, 6480, 360, 360, 225 },
        { 3, SubLineDesign, 5280, 600, 1380, 225 },
        { 2, JobDesign, 5280, 840, 1005, 225 },
    };
    for (const HeaderSpec &h : headers) {
        QLabel *l = label(QStringLiteral("Label1_%1").arg(h.element), h.text);
        l->setGeometry(pxRect(h.left, h.top, h.width, h.height));
        Label1[std::size_t(h.element)] = l;
    }
    Label1[5]->setFont(bold);
    Label1[5]->setForegroundRole(Highlight);
    // The headers size themselves to their captions; the design widths were those of the design
    // texts in the design face.
    for (const HeaderSpec &h : headers)
        Label1[std::size_t(h.element)]->adjustSize();
    // A long nickname grows to the right and runs under the server: the server's label paints its
    // own background, in the panel's colour, over the nickname's text.
    Label1[4]->setBackgroundRole(client->backgroundRole());
    Label1[4]->setAutoFillBackground(true);
    Label1[4]->raise();

    for (int k = 1; k <= ItemRows; ++k) {
        const GridCell cell = gridCell(k);
        const int left = cell.right ? 8160 : 5280;
        const int rowTop = 1200 + 600 * cell.row;
        QLabel *name = label(QStringLiteral("Litem_%1").arg(k), ItemDesign);
        name->setGeometry(pxRect(left, rowTop + 120, 2700, 225));
        name->setFont(bold);
        Litem[std::size_t(k)] = name;
        if (k <= GradeRows) {
            QLabel *grade = label(QStringLiteral("LDitem_%1").arg(k), GradeDesign);
            grade->setGeometry(pxRect(left, rowTop + 360, 2700, 225));
            grade->setFont(bold);
            LDitem[std::size_t(k)] = grade;
        }
    }
}

void Form1::buildMenus()
{
    QMenuBar *bar = menuBar();
    // The client area lies below the menu bar in every desktop, never in a global menu.
    bar->setNativeMenuBar(false);

    auto action = [](QWidget *owner, const char *name, const QString &caption) {
        auto *a = new QAction(caption, owner);
        a->setObjectName(QString::fromLatin1(name));
        owner->addAction(a);
        return a;
    };
    auto submenu = [this](QWidget *owner, const char *name, const QString &caption) {
        auto *m = new QMenu(caption, owner);
        m->setObjectName(QString::fromLatin1(name));
        // Popups are windows of their own and would not inherit the window's face otherwise.
        m->setAttribute(Qt::WA_WindowPropagation);
        m->setFont(font());
        if (auto *parentMenu = qobject_cast<QMenu *>(owner))
            parentMenu->addMenu(m);
        else if (auto *parentBar = qobject_cast<QMenuBar *>(owner))
            parentBar->addMenu(m);
        return m;
    };

    menu2 = action(bar, "menu2", QStringLiteral("트레이"));
    menu = submenu(bar, "menu", QStringLiteral("메뉴"));
    mm2 = submenu(menu, "mm2", QStringLiteral("노래"));
    gayo = action(mm2, "gayo", QStringLiteral("가요"));
    pop = action(mm2, "pop", QStringLiteral("팝송"));
    club = action(mm2, "club", QStringLiteral("클럽"));
    umenu = submenu(menu, "umenu", QStringLiteral("유틸리티"));
    Down1 = action(umenu, "Down1", toQString(m_config.downloads[0].caption));
    Down2 = action(umenu, "Down2", toQString(m_config.downloads[1].caption));
    Down3 = action(umenu, "Down3", toQString(m_config.downloads[2].caption));
    mm3 = submenu(menu, "mm3", QStringLiteral("홈페이지"));
    inven = action(mm3, "inven", QStringLiteral("토른인벤"));
    gong = action(mm3, "gong", QStringLiteral("토른공홈"));
    naver = action(mm3, "naver", QStringLiteral("네이버?"));

    menu34 = submenu(this, "menu34", QStringLiteral("메에뉴"));
    gourl = action(menu34, "gourl", QStringLiteral("주소접속"));
    cmdcmd = action(menu34, "cmdcmd", QStringLiteral("바로검색"));
    connect(cmdcmd, &QAction::triggered, this, &Form1::cmdcmd_Click);
}

const ResultList &Form1::results() const
{
    return *m_results;
}

bool Form1::isSearching() const
{
    return m_search && m_search->isRunning();
}

void Form1::connectShell()
{
    setWindowIcon(ProgramIcon());
    m_tray = new TrayMode(this, P, this);
    // The strip's browser is made on the first music choice, so start-up stays light.
    m_music = new MusicStrip(pic1);
    connect(menu2, &QAction::triggered, m_tray, &TrayMode::enter);

    const std::array<std::pair<QAction *, const std::u16string *>, 3> songs{{
        {gayo, &m_config.musicUrls[0]}, {pop, &m_config.musicUrls[1]}, {club, &m_config.musicUrls[2]}}};
    for (const auto &[item, address] : songs)
        connect(item, &QAction::triggered, this, [this, address = address] { playMusic(toQString(*address)); });

    const std::array<std::pair<QAction *, const std::u16string *>, 6> links{{
        {Down1, &m_config.downloads[0].url}, {Down2, &m_config.downloads[1].url},
        {Down3, &m_config.downloads[2].url}, {inven, &m_config.invenUrl}, {gong, &m_config.gongUrl},
        {naver, &m_config.naverUrl}}};
    for (const auto &[item, address] : links)
        connect(item, &QAction::triggered, this, [this, address = address] { openLink(toQString(*address)); });
    connect(gourl, &QAction::triggered, this, &Form1::gourl_Click);
}

void Form1::openLink(const QString &address)
{
    ShellOpenUrl(address, m_launch);
}

void Form1::playMusic(const QString &address)
{
    const bool first = !m_music->view();
    m_music->navigate(QUrl(address));
    // The browser takes pic1's place in the tab chain, between the list and the server box.
    if (QWidget *browser = m_music->view(); first && browser) {
        setTabOrder(LV, browser);
        setTabOrder(browser, txtAdd);
    }
}

void Form1::gourl_Click()
{
    // Nothing selected, nothing to open.
    const int row = selectedRow();
    if (row >= 0)
        openLink(toQString(m_results->cell(row, ResultRow::Address)));
}

void Form1::copySelectedRow()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    QStringList cells;
    for (int k = 0; k < ResultRow::CellCount; ++k)
        cells << toQString(m_results->cell(row, k));
    QGuiApplication::clipboard()->setText(cells.join(u'\t'));
}

int Form1::selectedRow() const
{
    const QModelIndexList rows = LV->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_results->count())
        return -1;
    return rows.first().row();
}

// ---------------------------------------------------------------------------------------------
// Start-up

void Form1::load()
{
    m_pageCounter = 1;
    CheckServiceStatus();
}

void Form1::CheckServiceStatus()
{
    // A request of its own: the search's fetcher may not exist yet and must not be kept busy.
    delete m_statusRequest;
    m_statusRequest = new net::PageFetcher(this);
    // Nothing shows until the answer is in, so a status host that never answers must not keep
    // the program invisible for the page fetches' 30 s.
    m_statusRequest->setTimeout(net::ServiceStatusDeadline);
    net::FetchHandle *handle = m_statusRequest->FetchPage(toQString(m_config.statusUrl));
    connect(handle, &net::FetchHandle::finished, this, [this](const net::FetchResult &result) {
        m_statusRequest->deleteLater();
        m_statusRequest = nullptr;

        StatusDecision decision;
        if (!result.ok)
            decision = { ServiceState::Unknown, u"the status request failed: " + toU16(result.error) };
        else
            decision = DecideServiceStatus(view(result.text));
        // Only an explicit "closed" from the operator keeps users out; a status resource that is
        // down or garbled must not lock everyone out of the tool.
        if (decision.state == ServiceState::Unknown)
            qWarning().noquote() << QStringLiteral(
                "thornvale: cannot read the service status (%1); starting anyway")
                                        .arg(toQString(decision.reason));
        serviceAnswered(decision.state != ServiceState::Closed);
    });
}

void Form1::serviceAnswered(bool open)
{
    if (open) {
        Timer2->start();
        Q_EMIT loadFinished(true);
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Critical, BlankTitle,
        toQString(ClosedServiceMessage(m_config.contactLine)), QMessageBox::Ok);
    box->setObjectName(QStringLiteral("closedServiceMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    connect(box, &QDialog::finished, this, [this] { Q_EMIT loadFinished(false); });
    m_closedBox = box;
    box->show();
}

void Form1::Timer2_Timer()
{
    txtName->setFocus(Qt::OtherFocusReason);
    Timer2->stop();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    Q_EMIT closing();
    m_tray->removeIcon();
    m_music->closePopups();
    stopSearch();
    if (m_detailFetch)
        m_detailFetch->abort();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other windows are still open.
    QCoreApplication::quit();
}

// ---------------------------------------------------------------------------------------------
// Searching

net::PageFetcher *Form1::httpRequest()
{
    if (!m_httpRequest)
        m_httpRequest = new net::PageFetcher(this);
    return m_httpRequest;
}

void Form1::startSearch(SearchEntry entry)
{
    stopSearch();
    m_failedPages = 0;
    m_firstFailure = FetchFailure::None;
    SearchHost &host = *this;
    m_search = std::make_unique<SearchPages>(
        entry, host, *m_results, m_pageCounter, m_config.searchAddressStart(), m_config.characterBase);
    LV->viewport()->setCursor(Qt::BusyCursor);
    m_search->start();
}

void Form1::stopSearch()
{
    if (m_search) {
        m_search->cancel();
        m_retiredSearch = std::move(m_search);
    }
    LV->viewport()->unsetCursor();
}

std::u16string Form1::currentName()
{
    return toU16(txtName->text());
}

AbortFetch Form1::fetchPage(const std::u16string &address, std::function<void(PageBody)> done)
{
    net::FetchHandle *handle = httpRequest()->FetchPage(toQString(address));
    connect(handle, &net::FetchHandle::finished, this,
        [done = std::move(done)](const net::FetchResult &result) {
            PageBody body;
            if (result.ok)
                body.text = toU16(result.text);
            else
            {
                body.error = toU16(result.error);
                body.failure = result.failure;
            }
            done(std::move(body));
        });
    return [handle = QPointer<net::FetchHandle>(handle)] {
        if (handle)
            handle->abort();
    };
}

void Form1::setCommand1Enabled(bool enabled)
{
    Command1->setEnabled(enabled);
}

void Form1::pageFinished(const PageReport &report)
{
    if (report.outcome == PageReport::Outcome::FetchFailed) {
        if (m_failedPages++ == 0)
            m_firstFailure = report.failure;
        qWarning().noquote() << QStringLiteral("thornvale: page %1: %2 (%3)")
                                    .arg(report.page)
                                    .arg(toQString(report.error), toQString(report.address));
    } else if (report.outcome == PageReport::Outcome::NoHeading) {
        // The site sends such pages past its last result, so the user hears nothing of it.
        qWarning().noquote() << QStringLiteral("thornvale: page %1: no heading marker (%2)")
                                    .arg(report.page)
                                    .arg(toQString(report.address));
    }
    Q_EMIT searchPageFinished(report.page, report.rows);
}

void Form1::runFinished()
{
    LV->viewport()->unsetCursor();
    // A dead server must not look like a name without characters.
    if (m_failedPages > 0)
        showFailure(toQString(SearchFailureMessage(m_failedPages, m_firstFailure)));
    Q_EMIT searchFinished();
}

void Form1::showFailure(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, BlankTitle, text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("failureMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

void Form1::Command1_Click()
{
    startSearch(SearchEntry::FirstPages);
}

void Form1::Command2_Click()
{
    startSearch(SearchEntry::NextPages);
}

// ---------------------------------------------------------------------------------------------
// Input boxes and the list

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int code = characterCode(static_cast<QKeyEvent *>(event));
        if (code < 0)
            break;
        if (watched == txtName)
            txtName_KeyPress(code);
        else if (watched == txtAdd)
            txtAdd_KeyPress(code);
        break;
    }
    case QEvent::InputMethod: {
        // Hangul typed through an input method arrives as committed text, not as key presses.
        const QString committed = static_cast<QInputMethodEvent *>(event)->commitString();
        if (!committed.isEmpty() && watched == txtName)
            txtName_KeyPress(committed.at(0).unicode());
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        if (watched == txtName)
            txtName_Click();
        else if (watched == txtnick)
            txtnick_Click();
        else if (watched == txtAdd)
            txtAdd_Click();
        break;
    }
    case QEvent::MouseButtonDblClick: {
        // The list's double click is the left button's; the list has no right-button menu.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == LV->viewport() && mouse->button() == Qt::LeftButton)
            LV_DblClick(mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::FocusIn:
        if (watched == txtAdd && !isWindowSwitch(static_cast<QFocusEvent *>(event)->reason()))
            txtAdd_GotFocus();
        break;
    case QEvent::FocusOut:
        if (watched == txtnick && !isWindowSwitch(static_cast<QFocusEvent *>(event)->reason()))
            txtnick_LostFocus();
        break;
    default:
        break;
    }
    // The boxes still handle every key and click themselves.
    return QMainWindow::eventFilter(watched, event);
}

void Form1::txtName_KeyPress(int keyAscii)
{
    m_pageCounter = 0;
    // The run in flight was for the name as it stood; its remaining pages would now land under a
    // counter that says nothing was requested. The rows already shown stay.
    stopSearch();
    if (keyAscii == 13)
        startSearch(SearchEntry::EnterSearch);
}

void Form1::txtName_Click()
{
    txtName->clear();
}

void Form1::txtnick_Click()
{
    txtnick->clear();
}

void Form1::txtnick_LostFocus()
{
    // Qt is still in the middle of handing the focus to its new owner; take it over once that is
    // done, or the hand-over would undo the jump.
    QMetaObject::invokeMethod(
        this, [this] { txtAdd->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

void Form1::txtAdd_Click()
{
    txtAdd->clear();
}

void Form1::txtAdd_GotFocus()
{
    txtAdd->clear();
}

void Form1::txtAdd_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Command3_Click();
}

void Form1::LV_DblClick(const QPoint &globalPos)
{
    menu34->popup(globalPos);
}

// ---------------------------------------------------------------------------------------------
// Rank lookup

void Form1::Command3_Click()
{
    // A lookup started while another one's message box is open takes over; the older one ends
    // with its box.
    ++m_rankLookup;
    m_rankNext = 0;
    m_rankEnd = m_results->count();
    continueRankLookup(m_rankLookup);
}

void Form1::continueRankLookup(unsigned lookup)
{
    if (lookup != m_rankLookup)
        return;
    // The row count is the one at the start; a search meanwhile may have shortened the list, so
    // the lookup also stops at its end as it now stands.
    const int match = NextRankMatch(*m_results, m_rankNext, view(txtnick->text()), view(txtAdd->text()));
    if (match < 0 || match >= m_rankEnd) {
        txtnick->setText(toQString(NicknameHint));
        txtAdd->setText(toQString(ServerHint));
        Q_EMIT rankLookupFinished();
        return;
    }
    m_rankNext = match + 1;
    auto *box = new QMessageBox(
        QMessageBox::NoIcon, BlankTitle, toQString(RankMessage(match)), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("rankMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    connect(box, &QDialog::finished, this, [this, lookup] { continueRankLookup(lookup); });
    box->show();
}

// ---------------------------------------------------------------------------------------------
// Character detail

void Form1::cmdcmd_Click()
{
    if (m_detailFetch)
        m_detailFetch->abort();
    m_detailFetch = nullptr;

    ResetDetailPanel();
    const int row = selectedRow();
    if (row < 0) {
        finishDetail(QString());
        return;
    }
    const QString address = toQString(m_results->cell(row, ResultRow::Address));
    net::FetchHandle *handle = httpRequest()->FetchPage(address);
    m_detailFetch = handle;
    connect(handle, &net::FetchHandle::finished, this, [this, handle, address](const net::FetchResult &result) {
        if (m_detailFetch == handle)
            m_detailFetch = nullptr;
        if (!result.ok)
            qWarning().noquote() << QStringLiteral("thornvale: character page: %1 (%2)")
                                        .arg(result.error, address);
        finishDetail(result.ok ? result.text : QString(), result.failure);
    });
}

void Form1::finishDetail(const QString &body, FetchFailure failure)
{
    const CharacterDetail detail = ParseCharacterPage(view(body));
    // The nickname is read now, not at the click: a search in between may have emptied the list.
    std::optional<QString> nickname;
    if (const int row = selectedRow(); row >= 0)
        nickname = toQString(m_results->cell(row, ResultRow::Nickname));
    ShowCharacterDetail(detail, nickname);
    ColourGradeLabels();
    if (failure != FetchFailure::None)
        showFailure(toQString(DetailFailureMessage(failure)));
    Q_EMIT detailFinished();
}

void Form1::ResetDetailPanel()
{
    for (int k = 1; k <= ItemRows; ++k) {
        Litem[std::size_t(k)]->setText(ItemDesign);
        if (k <= GradeRows)
            LDitem[std::size_t(k)]->setText(GradeDesign);
    }
}

void Form1::ShowCharacterDetail(const CharacterDetail &detail, const std::optional<QString> &nickname)
{
    const int shown = std::min(int(detail.items.size()), ItemRows);
    for (int k = 1; k <= shown; ++k) {
        const EquipmentEntry &entry = detail.items[std::size_t(k - 1)];
        if (entry.name)
            Litem[std::size_t(k)]->setText(toQString(*entry.name));
        if (k <= GradeRows && entry.grade)
            LDitem[std::size_t(k)]->setText(toQString(*entry.grade));
    }
    // A label the new page has nothing for shows its design text: the previous character's title
    // or server next to this character's name would be wrong, not merely stale.
    setHeaderCaption(0, detail.title ? toQString(*detail.title) : TitleDesign);
    if (nickname)
        setHeaderCaption(5, *nickname);
    setHeaderCaption(4, detail.server ? toQString(*detail.server) : ServerDesign);
    setHeaderCaption(3, toQString(JoinSubParts(detail.subParts)));
    setHeaderCaption(2, detail.job ? toQString(*detail.job) : JobDesign);
}

void Form1::ColourGradeLabels()
{
    // Colours are only ever set: a label whose caption is no grade keeps the colour it had.
    for (int k = 1; k <= GradeRows; ++k) {
        QLabel *grade = LDitem[std::size_t(k)];
        if (const std::optional<Rgb> colour = GradeColourOf(view(grade->text()))) {
            QPalette palette = grade->palette();
            palette.setColor(grade->foregroundRole(), QColor(colour->r, colour->g, colour->b));
            grade->setPalette(palette);
        }
    }
}

void Form1::setHeaderCaption(int element, const QString &text)
{
    QLabel *label = Label1[std::size_t(element)];
    label->setText(text);
    label->adjustSize();
}

} // namespace thornvale
